#pragma once
// The schedule files the player keeps, as text people can type:
//   brightness and volume windows  "08:00-18:00=200,18:00-08:00=40"
//   relay windows                  "1@08:00:00-18:00:00,2@20:00:00-06:00:00"
//   relay states                   "0=on,3=off"
// Parsers throw std::invalid_argument with a message naming the bad part.

#include <string>
#include <vector>

#include "client/Frame.h"

namespace ledctl {

// brightAdj.dat (up to 40 records) and adjvolume.dat (3 records) hold
// 5-byte records: begin hour, minute, end hour, minute, level.
struct LevelWindow {
    int beginHour = 0, beginMinute = 0, endHour = 0, endMinute = 0, level = 0;
};
std::vector<LevelWindow> ParseLevelWindows(const std::string& windowsText, int maxLevel,
                                           size_t maxWindows);
Bytes EncodeLevelWindows(const std::vector<LevelWindow>& windows);
// Whole records only; a record whose begin equals its end holds no time
// and is left out.
std::vector<LevelWindow> DecodeLevelWindows(ByteView bytes);
std::string FormatLevelWindow(const LevelWindow& w);

// relayschedule.dat: up to 20 records of 7 bytes: relay 1..4, begin h, m, s, end h, m, s.
struct RelayWindow {
    int relay = 1;
    int begin[3] = {0, 0, 0}, end[3] = {0, 0, 0};
};
std::vector<RelayWindow> ParseRelayWindows(const std::string& windowsText);
Bytes EncodeRelayWindows(const std::vector<RelayWindow>& windows);
std::vector<RelayWindow> DecodeRelayWindows(ByteView bytes);
std::string FormatRelayWindow(const RelayWindow& w);

// Relay switch records of 2 bytes: relay index 0..3, state 0/1.
Bytes ParseRelayStates(const std::string& windowsText);

}  // namespace ledctl
