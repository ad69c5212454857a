#pragma once

namespace led {

class Player;
enum class Layer;

// Camera input switch (a GPIO line on the board).
void SetCameraSwitch(Player& player, bool on);
// Takes one event from the layer's media graph and acts on it (main window,
// messages 1131 and 1325).
void HandleGraphEvent(Player& player, Layer layer);

}  // namespace led
