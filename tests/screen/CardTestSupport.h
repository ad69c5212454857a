#pragma once
// The player's card ports wired to a running cardsim, on a real clock.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/Player.h"
#include "platform/clock/Clock.h"
#include "platform/config/Settings.h"
#include "platform/display/Backend.h"
#include "platform/events/EventLog.h"
#include "screen/CardProbe.h"
#include "support/CardSim.h"

namespace led::test {

// The card's waits (5 to 100 ms) stretched ten times in real time: cardsim is a
// process like any other, and on a busy machine it may take tens of
// milliseconds to answer. Tests check what is answered, not how fast. Given
// to the ports as their device clock.
inline Clock SlowClock(double scale = 0.1) {
    return Clock(*LocalTime::Parse("2026-03-05 07:08:09"), scale);
}

struct CardLine {
    explicit CardLine(const CardSim& sim, int auxPortMode = 0, Clock c = SlowClock())
        : clock(std::move(c)), events(clock) {
        Settings settings;
        settings.serialCom3 = sim.CardPath();
        settings.serialCom4 = sim.AuxPath();
        settings.auxPortMode = auxPortMode;
        ports = std::make_unique<CardPorts>(settings, events, &clock);
    }
    // Opens both ports at their speeds without the probe's waits.
    CardLine& Open() {
        OpenCardPortAt(ports->cardPort, kCardPortNumber, 115200);
        if (ports->auxPortMode == 0 || ports->auxPortMode == 1)
            OpenCardPortAt(ports->auxPort, kAuxPortNumber, ports->auxPortMode == 0 ? 115200 : 9600);
        return *this;
    }

    Clock clock;
    EventLog events;
    std::unique_ptr<CardPorts> ports;
};

inline std::string BinDir() { return LEDPLAYER_BIN_DIR; }

// The card port commands cardsim logged, once `count` are there.
inline std::vector<std::string> CardCommands(const CardSim& sim, size_t count) {
    std::vector<std::string> texts;
    for (const auto& line : sim.Commands("card", count)) texts.push_back(line["command"]);
    return texts;
}

inline std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

// A whole player on a temporary device root whose card port is the cardsim's,
// open at 115200, with the built-in flash volume start-up makes (no directories
// in it). The player's own clock runs 1000 times real time; the
// card's waits stay real, as on the board.
inline std::unique_ptr<Player> MakeCardPlayer(const std::filesystem::path& root,
                                              const CardSim& sim) {
    Settings settings;
    settings.root = root.string();
    settings.serialCom3 = sim.CardPath();
    auto player = std::make_unique<Player>(
        settings, Clock(*LocalTime::Parse("2026-03-05 07:08:09"), 1000.0), MakeHeadlessBackend());
    player->fs.CreateVolume("nand");
    OpenCardPortAt(player->ports.cardPort, kCardPortNumber, 115200);
    return player;
}

}  // namespace led::test
