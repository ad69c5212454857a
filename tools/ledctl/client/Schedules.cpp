#include "client/Schedules.h"

#include <cstdio>
#include <stdexcept>

namespace ledctl {
namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

bool Empty(const std::string& windowsText) { return windowsText.empty() || windowsText == "none"; }

// "HH:MM" (or "HH:MM:SS" with seconds) into fields; false when malformed.
bool ReadTime(const std::string& text, int* fields, bool seconds) {
    int used = 0;
    int n = seconds
                ? std::sscanf(text.c_str(), "%d:%d:%d%n", &fields[0], &fields[1], &fields[2], &used)
                : std::sscanf(text.c_str(), "%d:%d%n", &fields[0], &fields[1], &used);
    if (n != (seconds ? 3 : 2) || size_t(used) != text.size()) return false;
    return fields[0] >= 0 && fields[0] <= 23 && fields[1] >= 0 && fields[1] <= 59 &&
           (!seconds || (fields[2] >= 0 && fields[2] <= 59));
}

void Window(const std::string& text, int* begin, int* end, bool seconds) {
    auto dash = text.find('-');
    if (dash == std::string::npos || !ReadTime(text.substr(0, dash), begin, seconds) ||
        !ReadTime(text.substr(dash + 1), end, seconds))
        throw std::invalid_argument("\"" + text + "\" is not a time window like " +
                                    (seconds ? "08:00:00-18:00:00" : "08:00-18:00"));
}

int Number(const std::string& text, int low, int high, const std::string& what) {
    int value = 0, used = 0;
    if (std::sscanf(text.c_str(), "%d%n", &value, &used) != 1 || size_t(used) != text.size() ||
        value < low || value > high)
        throw std::invalid_argument(what + " \"" + text + "\" is not a number from " +
                                    std::to_string(low) + " to " + std::to_string(high));
    return value;
}

std::string Clock(int h, int m) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", h, m);
    return text;
}

}  // namespace

std::vector<LevelWindow> ParseLevelWindows(const std::string& windowsText, int maxLevel,
                                           size_t maxWindows) {
    std::vector<LevelWindow> windows;
    if (Empty(windowsText)) return windows;
    for (const auto& part : Split(windowsText, ',')) {
        auto equals = part.find('=');
        if (equals == std::string::npos)
            throw std::invalid_argument("\"" + part + "\" lacks \"=LEVEL\"");
        int begin[2], end[2];
        Window(part.substr(0, equals), begin, end, false);
        LevelWindow w{begin[0], begin[1], end[0], end[1],
                      Number(part.substr(equals + 1), 0, maxLevel, "level")};
        windows.push_back(w);
    }
    if (windows.size() > maxWindows)
        throw std::invalid_argument("at most " + std::to_string(maxWindows) + " windows fit");
    return windows;
}

Bytes EncodeLevelWindows(const std::vector<LevelWindow>& windows) {
    Bytes out;
    for (const auto& w : windows)
        out.insert(out.end(), {uint8_t(w.beginHour), uint8_t(w.beginMinute), uint8_t(w.endHour),
                               uint8_t(w.endMinute), uint8_t(w.level)});
    return out;
}

std::vector<LevelWindow> DecodeLevelWindows(ByteView bytes) {
    std::vector<LevelWindow> windows;
    for (size_t i = 0; i + 5 <= bytes.size(); i += 5) {
        LevelWindow w{bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3], bytes[i + 4]};
        if (w.beginHour == w.endHour && w.beginMinute == w.endMinute) continue;
        windows.push_back(w);
    }
    return windows;
}

std::string FormatLevelWindow(const LevelWindow& w) {
    return Clock(w.beginHour, w.beginMinute) + "-" + Clock(w.endHour, w.endMinute) + "=" +
           std::to_string(w.level);
}

std::vector<RelayWindow> ParseRelayWindows(const std::string& windowsText) {
    std::vector<RelayWindow> windows;
    if (Empty(windowsText)) return windows;
    for (const auto& part : Split(windowsText, ',')) {
        auto at = part.find('@');
        if (at == std::string::npos)
            throw std::invalid_argument("\"" + part + "\" is not RELAY@HH:MM:SS-HH:MM:SS");
        RelayWindow w;
        w.relay = Number(part.substr(0, at), 1, 4, "relay");
        Window(part.substr(at + 1), w.begin, w.end, true);
        windows.push_back(w);
    }
    if (windows.size() > 20) throw std::invalid_argument("at most 20 relay windows fit");
    return windows;
}

Bytes EncodeRelayWindows(const std::vector<RelayWindow>& windows) {
    Bytes out;
    for (const auto& w : windows)
        out.insert(out.end(),
                   {uint8_t(w.relay), uint8_t(w.begin[0]), uint8_t(w.begin[1]), uint8_t(w.begin[2]),
                    uint8_t(w.end[0]), uint8_t(w.end[1]), uint8_t(w.end[2])});
    return out;
}

std::vector<RelayWindow> DecodeRelayWindows(ByteView bytes) {
    std::vector<RelayWindow> windows;
    for (size_t i = 0; i + 7 <= bytes.size(); i += 7) {
        RelayWindow w;
        w.relay = bytes[i];
        for (int k = 0; k < 3; ++k) {
            w.begin[k] = bytes[i + 1 + k];
            w.end[k] = bytes[i + 4 + k];
        }
        windows.push_back(w);
    }
    return windows;
}

std::string FormatRelayWindow(const RelayWindow& w) {
    char text[40];
    std::snprintf(text, sizeof text, "%d@%02d:%02d:%02d-%02d:%02d:%02d", w.relay, w.begin[0],
                  w.begin[1], w.begin[2], w.end[0], w.end[1], w.end[2]);
    return text;
}

Bytes ParseRelayStates(const std::string& windowsText) {
    Bytes out;
    for (const auto& part : Split(windowsText, ',')) {
        auto equals = part.find('=');
        std::string state = equals == std::string::npos ? "" : part.substr(equals + 1);
        if (state != "on" && state != "off")
            throw std::invalid_argument("\"" + part + "\" is not RELAY=on or RELAY=off");
        out.push_back(uint8_t(Number(part.substr(0, equals), 0, 3, "relay")));
        out.push_back(state == "on" ? 1 : 0);
    }
    return out;
}

}  // namespace ledctl
