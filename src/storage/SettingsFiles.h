#pragma once
// Readers and writers of the small settings files of "\nand\". Every file is
// optional: missing, empty or garbage gives the default.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/geometry.h"

namespace led {

class DeviceFs;

inline constexpr const char* kVersionString = "2.3.0.1";

// 1 (Chinese) when the byte is 1 or the file cannot be read, else 0.
bool ReadLanguageChinese(const DeviceFs& fs);

// The largest side of a main window, from the command line (--size) or
// testconfig.txt: 16384 x 16384 is already a gigabyte a surface.
inline constexpr int kMaxWindowSide = 16384;

// "width*height/" from the first 20 bytes; none when the text does not follow
// that shape (then the screen-size rule applies).
std::optional<Size> ParseTestConfig(const std::string& text);
// The main window size: testconfig.txt when present, well formed and within
// kMaxWindowSide, else by the screen size (a size no raster can have must not
// break every boot from the card).
Size DecideWindowSize(const DeviceFs& fs, Size screen);

// "2.3.0.1" as four bytes.
std::array<uint8_t, 4> VersionBytes(const std::string& version);

// The volume setting 0..100: one byte of "\nand\table\volume.dat".
int ReadVolume(const DeviceFs& fs, int fallback);
bool WriteVolume(const DeviceFs& fs, int volume);
// Volume plus delta, clamped to 0..100.
int AdjustVolume(int volume, int delta);
// The volume adjustment of "\nand\table\adjvolume.dat" (up to three records
// of begin hour, minute, end hour, minute, volume): the volume of the first
// record whose window holds hour:minute:second (a window may cross midnight;
// one that begins where it ends holds nothing); `fallback` when the file is
// missing or no window holds the time.
int ScheduledVolume(const DeviceFs& fs, int hour, int minute, int second, int fallback);

// The restart counter of the Flash volume check.
int ReadEmmcFailCount(const DeviceFs& fs);
bool WriteEmmcFailCount(const DeviceFs& fs, int count);

// Second byte of setManualbright.dat; 255 when missing.
int ReadManualBrightness(const DeviceFs& fs);

}  // namespace led
