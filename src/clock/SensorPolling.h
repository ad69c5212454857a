#pragma once

namespace led {

class Player;

void SensorPollingThread(Player& player);

}  // namespace led
