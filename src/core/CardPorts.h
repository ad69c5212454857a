#pragma once
// The player's two serial ports: `cardPort` ("COM3:") to the receiving card and
// `auxPort` ("COM4:") to the optional sensor and relay board, with the setting
// that decides how the auxiliary board is driven. Both are opened once at
// start-up (screen/CardProbe.h) and stay open, or closed, for the life of the
// player; the card protocol in screen/ talks through them.

#include <array>
#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/clock/Clock.h"
#include "platform/serial/SerialPort.h"

namespace led {

class EventLog;
struct Settings;

inline constexpr int kCardPortNumber = 3;
inline constexpr int kAuxPortNumber = 4;

class CardPorts {
    Clock realTime_;  // first: deviceClock may refer to it

public:
    // Port devices come from serial.com3 / serial.com4, `auxPortMode` from
    // serial.aux-port-mode; every command, reply and brightness sent is written
    // to `events`. The waits for the card and the aux board run on
    // `deviceClock`, real time unless one is given: the devices answer no
    // sooner when the player's clock previews a day in minutes, and a wait
    // that shrank with it would lose their answers. Tests on a loaded machine
    // give a slower clock.
    explicit CardPorts(const Settings& settings, EventLog& events,
                       const Clock* deviceClock = nullptr);
    CardPorts(const CardPorts&) = delete;
    CardPorts& operator=(const CardPorts&) = delete;

    SerialPort cardPort;
    SerialPort auxPort;
    // 0: auxPort at 115200 with relays and sensors; 1: auxPort at 9600 taking
    // the binary brightness packet only; other: auxPort stays closed.
    const int auxPortMode;
    // Set by each answered sensor poll, cleared by each unanswered one;
    // relays are only switched while it is set.
    std::atomic<bool> auxBoardOnline{false};
    // The last state asked for each relay (0..3), sent or not.
    std::array<std::atomic<int>, 4> relayStates{};

    // The relay switches saved for start-up (index, state), sent once at the
    // board's first answered poll.
    void SaveRelaySwitches(std::vector<std::pair<int, int>> switches);
    // The saved switches, the first time only; empty afterwards.
    std::vector<std::pair<int, int>> TakeRelaySwitches();

    const Clock& deviceClock;
    EventLog& events;

private:
    std::mutex switchesMutex_;
    std::vector<std::pair<int, int>> savedSwitches_;
    bool switchesTaken_ = false;
};

}  // namespace led
