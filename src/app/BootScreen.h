#pragma once
// What start-up shows on the main window: the boot screen and the storage
// checks of the run mode.

namespace led {

class Player;

// Four lines: title, MAC, IP, run mode; then waits 5 s.
void ShowBootScreen(Player& player);
// Flash: a missing "\Storage Card\" shows the repair message and requests a
// restart, at most three times (counted in "\nand\emmcFail.txt").
// SD card: a missing "\Storage Card 1_0\" shows "Insert SD card".
void CheckRunModeStorage(Player& player);

}  // namespace led
