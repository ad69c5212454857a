#include "storage/SettingsFiles.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "platform/fs/DeviceFs.h"
#include "storage/Files.h"

namespace led {
namespace {

// Leading integer of text at pos (digits after optional spaces), advancing pos.
std::optional<int> ReadInt(const std::string& text, size_t& pos) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    size_t start = pos;
    long value = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        value = value * 10 + (text[pos] - '0');
        if (value > 100000) return std::nullopt;
        ++pos;
    }
    if (pos == start) return std::nullopt;
    return int(value);
}

}  // namespace

bool ReadLanguageChinese(const DeviceFs& fs) {
    auto bytes = fs.ReadFile(files::kLanguage, 1);
    if (!bytes || bytes->empty()) return true;
    return (*bytes)[0] == 1;
}

std::optional<Size> ParseTestConfig(const std::string& text) {
    size_t pos = 0;
    auto width = ReadInt(text, pos);
    if (!width || pos >= text.size() || text[pos] != '*') return std::nullopt;
    ++pos;
    auto height = ReadInt(text, pos);
    if (!height || pos >= text.size() || text[pos] != '/') return std::nullopt;
    if (*width <= 0 || *height <= 0) return std::nullopt;
    return Size{*width, *height};
}

Size DecideWindowSize(const DeviceFs& fs, Size screen) {
    if (auto text = fs.ReadText(files::kTestConfig, 20))
        if (auto size = ParseTestConfig(*text);
            size && size->width <= kMaxWindowSide && size->height <= kMaxWindowSide)
            return *size;
    if (screen.height != 600) return {1920, 1080};
    if (screen.width == 800 || screen.width == 2880) return {screen.width, 600};
    // A 600-line screen of another width has no rule of its own: use the
    // screen as it is, which keeps the whole raster visible.
    return screen;
}

std::array<uint8_t, 4> VersionBytes(const std::string& version) {
    std::array<uint8_t, 4> out{};
    size_t pos = 0;
    for (int i = 0; i < 4 && pos <= version.size(); ++i) {
        size_t dot = version.find('.', pos);
        std::string part =
            version.substr(pos, dot == std::string::npos ? std::string::npos : dot - pos);
        out[i] = uint8_t(std::atoi(part.c_str()));
        if (dot == std::string::npos) break;
        pos = dot + 1;
    }
    return out;
}

int ReadVolume(const DeviceFs& fs, int fallback) {
    auto bytes = fs.ReadFile(files::kVolume, 1);
    if (!bytes || bytes->empty()) return fallback;
    // A signed byte on the board.
    return std::clamp<int>(int8_t((*bytes)[0]), 0, 100);
}

bool WriteVolume(const DeviceFs& fs, int volume) {
    uint8_t b = uint8_t(std::clamp(volume, 0, 100));
    return fs.WriteFile(files::kVolume, &b, 1);
}

int AdjustVolume(int volume, int delta) { return std::clamp(volume + delta, 0, 100); }

int ScheduledVolume(const DeviceFs& fs, int hour, int minute, int second, int fallback) {
    constexpr size_t kRecord = 5, kRecords = 3;
    auto bytes = fs.ReadFile(files::kAdjVolume, kRecord * kRecords);
    if (!bytes) return fallback;
    constexpr int kDay = 86400;
    auto wrap = [](int seconds) { return seconds < 0 ? seconds + kDay : seconds; };
    const int now = hour * 3600 + minute * 60 + second;
    for (size_t at = 0; at + kRecord <= bytes->size(); at += kRecord) {
        const uint8_t* r = bytes->data() + at;
        const int begin = r[0] * 3600 + r[1] * 60, end = r[2] * 3600 + r[3] * 60;
        if (wrap(end - begin) - wrap(now - begin) > 0) return int8_t(r[4]);
    }
    return fallback;
}

int ReadEmmcFailCount(const DeviceFs& fs) {
    auto bytes = fs.ReadFile(files::kEmmcFail, 1);
    if (!bytes || bytes->empty()) return 0;
    return (*bytes)[0];
}

bool WriteEmmcFailCount(const DeviceFs& fs, int count) {
    uint8_t b = uint8_t(std::clamp(count, 0, 255));
    return fs.WriteFile(files::kEmmcFail, &b, 1);
}

int ReadManualBrightness(const DeviceFs& fs) {
    auto bytes = fs.ReadFile(files::kManualBright, 2);
    if (!bytes || bytes->size() < 2) return 255;
    return (*bytes)[1];
}

}  // namespace led
