#pragma once
// The schedule files of "\nand\table" as the tool writes them. Every file is
// optional and may be short: a missing file gives its default, a partial
// record at the end is ignored.

#include <cstdint>
#include <optional>
#include <vector>

#include "core/ScheduleTables.h"

namespace led {

class DeviceFs;

using FileBytes = std::optional<std::vector<uint8_t>>;

// brighttype.dat: a 32-bit word, or its first (signed) byte when shorter;
// manual (1) when the file is missing or empty.
int ParseBrightnessType(const FileBytes& bytes);
// brightAdj.dat: up to 40 records of 5 bytes (begin hour, minute, end hour,
// minute, level), each entry carrying `manualLevel`.
std::vector<BrightnessEntry> ParseBrightnessTable(const FileBytes& bytes, int manualLevel);
// autobright.dat: low threshold, low level, high threshold, high level; all
// zero (switched off) when fewer than 4 bytes can be read.
AutoBrightness ParseAutoBrightness(const FileBytes& bytes);
// poweronoff.dat: records of 3 bytes (hour, minute, unused) taken in pairs;
// an on time without an off time after it is not used.
std::vector<PowerWindow> ParsePowerWindows(const FileBytes& bytes);
// relayschedule.dat: up to 20 records of 7 bytes, up to the first whose relay
// is outside 1..4.
std::vector<RelayRecord> ParseRelaySchedule(const FileBytes& bytes);
// adjvolume.dat: up to 3 records of 5 bytes.
std::vector<VolumeRecord> ParseVolumeSchedule(const FileBytes& bytes);

// relayschedule.dat, adjvolume.dat and volume.dat into `tables`.
void ReadRelayAndVolume(const DeviceFs& fs, ScheduleTables& tables);
// Every schedule file of the device root.
ScheduleTables ReadScheduleTables(const DeviceFs& fs);

}  // namespace led
