#pragma once
// The schedules as the settings files of "\nand\table" describe them, read
// whole by LoadSchedules and replaced whole when the tool changes a file: a
// schedule thread takes one snapshot per pass.

#include <array>
#include <cstdint>
#include <vector>

namespace led {

// A time of day to the second.
struct DayTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// One entry of the brightness time table (brightAdj.dat).
struct BrightnessEntry {
    int manualLevel = 0xFF;  // setManualbright.dat's level, 0xFF without the file
    DayTime begin, end;      // seconds 0
    int level = 0;
};

// autobright.dat: the light-sensor brightness rule.
struct AutoBrightness {
    int lowThreshold = 0, lowLevel = 0, highThreshold = 0, highLevel = 0;
};

// One screen power window of poweronoff.dat: an on time and the off time of
// the record after it.
struct PowerWindow {
    DayTime on, off;
};

// One record of relayschedule.dat: relay 1..4 on from begin to end.
struct RelayRecord {
    int relay = 1;
    DayTime begin, end;
};

// One record of adjvolume.dat.
struct VolumeRecord {
    DayTime begin, end;  // seconds 0
    int volume = 100;
};

namespace brightness_type {
inline constexpr int kOff = 0;
inline constexpr int kManual = 1;
inline constexpr int kTimed = 2;
inline constexpr int kSensor = 3;
}  // namespace brightness_type

struct ScheduleTables {
    int brightnessType = brightness_type::kManual;
    int manualBrightness = 255;
    bool hasManualFile = false;
    std::vector<BrightnessEntry> brightnessTable;
    AutoBrightness autoBrightness;
    std::vector<PowerWindow> powerWindows;
    bool hasRelaySchedule = false;  // relayschedule.dat could be read
    std::vector<RelayRecord> relaySchedule;
    bool hasVolumeSchedule = false;  // adjvolume.dat could be read
    std::vector<VolumeRecord> volumeSchedule;
    int volume = 100;  // volume.dat
};

}  // namespace led
