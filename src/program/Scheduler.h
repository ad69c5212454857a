#pragma once

namespace led {

class Player;

void NormalSchedulerThread(Player& player);
void OsdSchedulerThread(Player& player);
// The window "REMOTE" thread.
void RemoteWindowThread(Player& player);

}  // namespace led
