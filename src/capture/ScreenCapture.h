#pragma once
// Saves what the screen shows for the management tool: bitmaps of the
// composed raster (exactly what a snapshot shows) and, while a video plays, a
// JPEG of its picture.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/UpperHooks.h"
#include "platform/clock/Clock.h"
#include "platform/display/Surface.h"
#include "platform/geometry.h"

namespace led {

class Player;

inline constexpr const char* kCameraDirectory = "\\NAND\\Camera";

struct CapturedFile {
    std::string path;  // board path
    uint64_t size = 0;
};

// Writes the rectangle (left, top)-(right, bottom) of the raster as a 24-bit
// bitmap (created or overwritten); parts outside the raster are black, and a
// rectangle turned inside out has no rows. The file's size, or none when it
// cannot be written.
std::optional<uint64_t> SaveScreenBitmap(Player& player, const std::string& path,
                                         const Surface& raster, int left, int top, int right,
                                         int bottom);

// "Capture_YYYYMMDDhhmmss.jpg" for the given universal time.
std::string VideoCaptureName(const LocalTime& utc);

// The camera capture: empties \NAND\Camera, writes the JPEG of the video
// picture while a video plays, then org.bmp (the whole screen) and osd.bmp
// (from the OSD band's first line down). Logs the `capture` event.
std::vector<CapturedFile> CaptureToCamera(Player& player);

// \nand\capture.bmp of the whole screen, for the tool to fetch. False when
// there is no display or the file cannot be written.
bool CaptureScreenFile(Player& player);

}  // namespace led
