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
// stream stops and releases the graph, switches the camera input off and ends
// the item; a graph that must restart is stopped and released; an error is
// only printed.
void HandleGraphEvent(Player& player, Layer layer);

}  // namespace led
