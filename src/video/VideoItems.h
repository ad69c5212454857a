#pragma once
// The per-item rules of the video area that do not need a thread: what to
// open for an item, where the picture goes, the volume and the camera size.

#include <cstdint>
#include <string>

#include "core/Records.h"
#include "platform/geometry.h"
#include "platform/media/MediaGraph.h"

namespace led {

class DeviceFs;
class Player;

namespace stream_type {
inline constexpr int kFile = 0;
inline constexpr int kNetwork = 1;
inline constexpr int kCamera = 2;
}  // namespace stream_type

// The picture's rectangle in a video window of the area's size: 0, 0 to
// (width - 1 + padW, height - 1 + padH), padW = 16 unless the width is a
// multiple of 16, padH = 4 unless the height is a multiple of 4. The window
// clips the excess.
EdgeRect VideoDestination(int width, int height);

// The graph's volume in hundredths of a decibel for the player volume 0..100.
int32_t GraphVolume(int playerVolume);
// Applies the player volume to the graphs of both layers (no effect on a layer
// that plays nothing).
void SetVideoVolume(Player& player, int playerVolume);

// A stream item's address: the path from its "mms://" (or "http://",
// "https://", "rtsp://", "udp://") on, whichever comes first; the whole path
// when it holds none.
std::string StreamAddress(const std::string& path);

// What MediaGraph::Open is given for a file or stream item: the stream
// address, or the host path of the item's board path (a stream item without a
// scheme is such a path too). Empty when a path does not resolve to a place
// on its volume.
std::string MediaName(const AreaItem& item, const DeviceFs& fs);

// The camera capture size from "\nand\TVAreaSize.dat" ("720x576"); 0 x 0 when
// the file is missing or unreadable.
Size ReadCameraSize(const DeviceFs& fs);

}  // namespace led
