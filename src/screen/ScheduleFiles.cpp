#include "screen/ScheduleFiles.h"

#include <algorithm>

#include "platform/fs/DeviceFs.h"
#include "storage/Files.h"
#include "storage/SettingsFiles.h"

namespace led {
namespace {

constexpr size_t kBrightAdjMax = 200;
constexpr size_t kRelayRecord = 7, kRelayRecords = 20;
constexpr size_t kVolumeRecord = 5, kVolumeRecords = 3;

DayTime HourMinute(const uint8_t* at) { return {at[0], at[1], 0}; }

// Whole records of `size` bytes, at most `limit` of them.
template <typename F>
void ForRecords(const FileBytes& bytes, size_t size, size_t limit, F&& take) {
    if (!bytes) return;
    for (size_t at = 0, n = 0; at + size <= bytes->size() && n < limit; at += size, ++n)
        if (!take(bytes->data() + at)) return;
}

}  // namespace

int ParseBrightnessType(const FileBytes& bytes) {
    if (!bytes || bytes->empty()) return brightness_type::kManual;
    const auto& b = *bytes;
    if (b.size() >= 4)
        return int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                       uint32_t(b[3]) << 24);
    return int8_t(b[0]);
}

std::vector<BrightnessEntry> ParseBrightnessTable(const FileBytes& bytes, int manualLevel) {
    std::vector<BrightnessEntry> table;
    ForRecords(bytes, 5, kBrightAdjMax / 5, [&](const uint8_t* r) {
        table.push_back({manualLevel, HourMinute(r), HourMinute(r + 2), r[4]});
        return true;
    });
    return table;
}

AutoBrightness ParseAutoBrightness(const FileBytes& bytes) {
    if (!bytes || bytes->size() < 4) return {};
    const auto& b = *bytes;
    return {b[0], b[1], b[2], b[3]};
}

std::vector<PowerWindow> ParsePowerWindows(const FileBytes& bytes) {
    std::vector<PowerWindow> windows;
    ForRecords(bytes, 6, SIZE_MAX, [&](const uint8_t* r) {
        windows.push_back({HourMinute(r), HourMinute(r + 3)});
        return true;
    });
    return windows;
}

std::vector<RelayRecord> ParseRelaySchedule(const FileBytes& bytes) {
    std::vector<RelayRecord> records;
    ForRecords(bytes, kRelayRecord, kRelayRecords, [&](const uint8_t* r) {
        if (r[0] < 1 || r[0] > 4) return false;
        records.push_back({r[0], {r[1], r[2], r[3]}, {r[4], r[5], r[6]}});
        return true;
    });
    return records;
}

std::vector<VolumeRecord> ParseVolumeSchedule(const FileBytes& bytes) {
    std::vector<VolumeRecord> records;
    ForRecords(bytes, kVolumeRecord, kVolumeRecords, [&](const uint8_t* r) {
        // A signed byte on the board; kept within 0..100 so that the wave
        // volume never wraps into a full-scale level.
        records.push_back(
            {HourMinute(r), HourMinute(r + 2), std::clamp<int>(int8_t(r[4]), 0, 100)});
        return true;
    });
    return records;
}

ScheduleTables ReadScheduleTables(const DeviceFs& fs) {
    ScheduleTables t;
    t.brightnessType = ParseBrightnessType(fs.ReadFile(files::kBrightType, 4));
    auto manual = fs.ReadFile(files::kManualBright, 2);
    t.hasManualFile = manual && manual->size() >= 2;
    t.manualBrightness = t.hasManualFile ? (*manual)[1] : 255;
    t.brightnessTable = ParseBrightnessTable(fs.ReadFile(files::kBrightAdj, kBrightAdjMax),
                                             t.hasManualFile ? t.manualBrightness : 0xFF);
    t.autoBrightness = ParseAutoBrightness(fs.ReadFile(files::kAutoBright, 10));
    t.powerWindows = ParsePowerWindows(fs.ReadFile(files::kPowerOnOff));
    ReadRelayAndVolume(fs, t);
    return t;
}

void ReadRelayAndVolume(const DeviceFs& fs, ScheduleTables& t) {
    auto relays = fs.ReadFile(files::kRelaySchedule, kRelayRecord * kRelayRecords + 1);
    t.hasRelaySchedule = relays.has_value();
    t.relaySchedule = ParseRelaySchedule(relays);
    auto volumes = fs.ReadFile(files::kAdjVolume, kVolumeRecord * kVolumeRecords);
    t.hasVolumeSchedule = volumes.has_value();
    t.volumeSchedule = ParseVolumeSchedule(volumes);
    t.volume = ReadVolume(fs, 100);
}

}  // namespace led
