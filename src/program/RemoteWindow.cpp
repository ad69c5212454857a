#include "program/RemoteWindow.h"

#include "core/Player.h"
#include "core/WorkerThread.h"

namespace led {
namespace {

// One life of the window, for one generation: it ends when a later program
// start has moved the generation on, or when the player ends.
void RunRemoteWindow(Player& player, int generation) {
    std::unique_ptr<Window> window;
    if (player.output.display)
        window = player.output.display->CreateWindow("REMOTE", {0, 0, 0, 0}, true);
    // The window has no content and handles no input; the thread only has to
    // notice that it was replaced.
    while (player.threads.remoteWindowGeneration.load() == generation && player.SleepOrStop(500)) {
    }
}

}  // namespace

void RemoteWindowThread(Player& player) {
    RunRemoteWindow(player, player.threads.remoteWindowGeneration.load());
}

void RestartRemoteWindow(Player& player) {
    if (!player.threads.remoteWindowThread || player.ShuttingDown()) return;
    // The new run is given its generation: read later, it could already be
    // a newer launcher's, and that launcher's run would then never end.
    const int generation = player.threads.remoteWindowGeneration.fetch_add(1) + 1;
    player.threads.remoteWindowThread->StartWith(
        [&player, generation] { RunRemoteWindow(player, generation); });
}

}  // namespace led
