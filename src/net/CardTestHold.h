#pragma once
// Playback gives way while the card shows its own test display or takes a
// firmware update: both layers stop and the schedulers hold until the card is
// done, then start afresh at the program that was playing.

namespace led {

class Player;

// Suspends both schedulers, then stops the normal layer (keeping its program
// index for the resume) and the OSD layer.
void HoldPlaybackForCard(Player& player);
// Releases the schedulers; each starts a program at its next pass.
void ResumePlaybackAfterCard(Player& player);
// "硬件升级:" and below it the percentage, on the main window.
void DrawFirmwareProgress(Player& player, int block, int percent);

}  // namespace led
