#include "program/RemoteWindow.h"

#include "core/Player.h"
#include "core/WorkerThread.h"

namespace led {

void RemoteWindowThread(Player& player) {
    const int generation = player.threads.remoteWindowGeneration.load();
    std::unique_ptr<Window> window;
    if (player.output.display)
        window = player.output.display->CreateWindow("REMOTE", {0, 0, 0, 0}, true);
    // The window has no content and handles no input; the thread only has to
    // notice that it was replaced.
    while (player.threads.remoteWindowGeneration.load() == generation && player.SleepOrStop(500)) {
    }
}

void RestartRemoteWindow(Player& player) {
    if (!player.threads.remoteWindowThread || player.ShuttingDown()) return;
    player.threads.remoteWindowGeneration.fetch_add(1);
    player.threads.remoteWindowThread->Start();  // joins the ended one first
}

}  // namespace led
