#pragma once

namespace led {

class Player;

// Start-up steps 1 to 27: window, settings, card, storage, threads, playlist.
// False only when the main window cannot be created.
bool StartUp(Player& player);
// Step 28: the message loop, until the main window is destroyed or the
// bounded run ends. Returns the exit status.
int RunMessageLoop(Player& player);
// Starts the snapshot and bounded-run helpers (before start-up, so that they
// cover it too).
void StartRunHelpers(Player& player);

}  // namespace led
