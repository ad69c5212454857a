#pragma once
// The main window's side of the video: the camera input switch and the graph
// events fetched on the cycle messages 1131 and 1325.

namespace led {

class EventLog;
class Player;
class VideoState;
enum class Layer;

// Camera input switch: the line is driven low while a camera item plays
// (on = true) and high otherwise.
void SetCameraSwitch(VideoState& video, EventLog& events, bool on);
// Takes one pending event from the layer's media graph and acts on it: end of
// stream, and a graph that must restart, stop and release the graph and the
// camera preview, switch the camera input off and end the item, so the area
// goes on with its next one; an event of a run that has already ended is
// dropped. An error is only printed.
void HandleGraphEvent(Player& player, Layer layer);

}  // namespace led
