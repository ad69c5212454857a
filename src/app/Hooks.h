#pragma once

namespace led {

class Player;

// Gives the control commands the capture and USB work of the upper floors.
void FillUpperHooks(Player& player);

}  // namespace led
