#include "program/RemoteWindow.h"

#include "app/Player.h"
#include "app/WorkerThread.h"

namespace led {

void RemoteWindowThread(Player& player) {
    const int generation = player.remoteWindowGeneration.load();
    std::unique_ptr<Window> window;
    if (player.display) window = player.display->CreateWindow("REMOTE", {0, 0, 0, 0}, true);
    // The window has no content and handles no input; the thread only has to
    // notice that it was replaced.
    while (player.remoteWindowGeneration.load() == generation && player.SleepOrStop(500)) {
    }
}

void RestartRemoteWindow(Player& player) {
    if (!player.remoteWindowThread || player.ShuttingDown()) return;
    player.remoteWindowGeneration.fetch_add(1);
    player.remoteWindowThread->Start();  // joins the ended one first
}

}  // namespace led
