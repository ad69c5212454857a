#include <gtest/gtest.h>

#include <thread>

#include "core/Player.h"
#include "screen/AuxBoard.h"
#include "screen/Brightness.h"
#include "screen/CardExchange.h"
#include "screen/CardSenders.h"
#include "screen/CardTestSupport.h"

namespace led {
namespace {

using test::BinDir;
using test::CardLine;
using test::CardSim;

using test::SlowClock;

// For tests where nothing needs an answer: the probe's waits pass quickly.
Clock FastClock() { return Clock(*LocalTime::Parse("2026-03-05 07:08:09"), 10.0); }

TEST(CardProbeTest, KeepsTheFastSpeedWhenTheCardAnswersIt) {
    CardSim sim(BinDir(), {"--aux"});
    CardLine line(sim, 0, SlowClock(0.5));
    EXPECT_TRUE(ProbeCardBaud(*line.ports));
    EXPECT_EQ(line.ports->cardPort.Baud(), 576000);
    EXPECT_EQ(line.ports->auxPort.Baud(), 115200);
    auto commands = sim.Commands("card", 1);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0]["command"], "*#RL d#*");
    EXPECT_EQ(commands[0]["baud"], 576000);
}

TEST(CardProbeTest, FallsBackTo115200WhenNothingAnswersAt576000) {
    CardSim sim(BinDir(), {"--baud", "115200", "--aux"});
    CardLine line(sim, 1, SlowClock(0.5));
    EXPECT_FALSE(ProbeCardBaud(*line.ports));
    EXPECT_EQ(line.ports->cardPort.Baud(), 115200);
    EXPECT_EQ(line.ports->auxPort.Baud(), 9600);
    // The card hears the player at the speed it fell back to.
    EXPECT_EQ(SetCardSwitchCC00(*line.ports, true), 1);
    auto commands = sim.Commands("card", 2);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0]["heard"], false);
    EXPECT_EQ(commands[1]["baud"], 115200);
}

// The card and the aux board answer on real time; a player previewing a day in
// minutes must still give them their 2 to 100 ms. Through the player's own
// ports, with its clock running a thousand times as fast as real time.
TEST(CardWaitsTest, RunOnRealTimeWhileThePlayersClockRunsFast) {
    CardSim sim(BinDir(), {"--aux", "--fault", "late", "--late-ms", "15"});
    Settings settings;
    settings.serialCom3 = sim.CardPath();
    settings.serialCom4 = sim.AuxPath();
    Player player(settings, Clock(*LocalTime::Parse("2026-03-05 07:08:09"), 1000.0),
                  MakeHeadlessBackend());
    EXPECT_TRUE(ProbeCardBaud(player.ports)) << "an answer 15 ms late is within the 100 ms wait";
    EXPECT_EQ(player.ports.cardPort.Baud(), 576000);
    EXPECT_EQ(ReadSensorBlock(player.ports).rfind("%#RL#%!#", 0), 0u)
        << "the sensor read waits its 50 ms";
}

TEST(CardProbeTest, AuxPortStaysClosedInOtherModes) {
    CardSim sim(BinDir(), {"--aux"});
    CardLine line(sim, 2, FastClock());
    ProbeCardBaud(*line.ports);
    EXPECT_TRUE(line.ports->cardPort.IsOpen());
    EXPECT_FALSE(line.ports->auxPort.IsOpen());
}

TEST(CardProbeTest, MissingDevicesLeaveClosedPortsWhoseCommandsFailSilently) {
    for (std::string device : {"", "/nonexistent/ttyUSB9"}) {
        Clock clock = FastClock();
        EventLog events(clock);
        Settings settings;
        settings.serialCom3 = device;
        settings.serialCom4 = device;
        CardPorts ports(settings, events, &clock);
        EXPECT_FALSE(ProbeCardBaud(ports));
        EXPECT_FALSE(ports.cardPort.IsOpen());
        EXPECT_FALSE(ports.auxPort.IsOpen());
        EXPECT_EQ(SetCardBrightness(ports, 100), 0);
        EXPECT_EQ(SetCardSwitchC800(ports, true), 0);
        EXPECT_EQ(SendPointEnable(ports, true), 0);
        EXPECT_EQ(ReadCardByte000F(ports), 0);
        EXPECT_TRUE(ReadBoardModel(ports).empty());
        ports.auxBoardOnline = true;
        EXPECT_EQ(SetRelay(ports, 1, 0), 0);
        EXPECT_EQ(ReadSensorBlock(ports), "");
    }
}

TEST(CardProbeTest, ADeviceThatDisappearsMakesSendersFailWithoutHanging) {
    CardSim sim(BinDir(), {"--aux"});
    CardLine line(sim, 0, SlowClock(0.25));
    line.Open();
    line.ports->auxBoardOnline = true;
    ASSERT_EQ(SetCardBrightness(*line.ports, 1), 1);
    sim.Stop();  // as a USB serial adapter pulled out
    EXPECT_EQ(SetCardBrightness(*line.ports, 2), 0);
    EXPECT_EQ(SetCardSwitchCC00(*line.ports, true), 0);
    EXPECT_TRUE(ReadBoardModel(*line.ports).empty());
    EXPECT_EQ(SetRelay(*line.ports, 1, 2), 0);
    EXPECT_EQ(ReadSensorBlock(*line.ports), "");
}

TEST(AuxBoardTest, RelaysAreAddressedFrom23DownAndOnlyWhileTheBoardIsOnline) {
    CardSim sim(BinDir(), {"--aux"});
    CardLine line(sim, 0, SlowClock(0.25));
    line.Open();
    CardPorts& ports = *line.ports;
    EXPECT_EQ(SetRelay(ports, 1, 0), 0);  // offline: recorded, not sent
    EXPECT_EQ(ports.relayStates[0], 1);
    ports.auxBoardOnline = true;
    EXPECT_EQ(SetRelay(ports, 1, 0), 1);
    EXPECT_EQ(SetRelay(ports, 0, 1), 1);
    EXPECT_EQ(SetRelay(ports, 2, 3), 1);  // any state but 1 switches off
    EXPECT_EQ(SetRelay(ports, 1, 4), 1);  // no such relay: nothing sent
    EXPECT_EQ(SetRelay(ports, 1, -1), 1);
    std::string block = ReadSensorBlock(ports);
    EXPECT_EQ(block.rfind("%#RL#%!#01-2c-", 0), 0u) << block;
    auto commands = sim.Commands("aux", 4);
    ASSERT_EQ(commands.size(), 4u);
    EXPECT_EQ(commands[0]["command"], "!#WL 0023 0001 01#!");
    EXPECT_EQ(commands[1]["command"], "!#WL 0022 0001 00#!");
    EXPECT_EQ(commands[2]["command"], "!#WL 0020 0001 00#!");
    EXPECT_EQ(commands[3]["command"], "!#RL 0000 0032#!");
    // Nothing reached the card: a marker sent now is the first command it hears.
    ASSERT_EQ(SetCardSwitchC400(ports, true), 1);
    auto card = sim.Commands("card", 1);
    ASSERT_EQ(card.size(), 1u);
    EXPECT_EQ(card[0]["command"], "*#WL C400 0202 0af547#*");
}

TEST(AuxBoardTest, ModeOneSendsOnlyTheBinaryBrightnessPacket) {
    CardSim sim(BinDir(), {"--aux"});
    CardLine line(sim, 1);
    line.Open();
    CardPorts& ports = *line.ports;
    ports.auxBoardOnline = true;
    EXPECT_EQ(SetCardBrightness(ports, 0), 1);
    EXPECT_EQ(SetRelay(ports, 1, 0), 1);
    EXPECT_EQ(ReadSensorBlock(ports), "");
    auto commands = sim.Commands("aux", 1);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0]["kind"], "binary");
    EXPECT_EQ(commands[0]["bytes"], 520);
    EXPECT_EQ(commands[0]["level"], 0);
    EXPECT_EQ(commands[0]["checksum"], 0x4D);
    EXPECT_EQ(commands[0]["sumOk"], true);
    // Nothing else went out: markers sent now follow at once on both ports.
    RunExchange(ports, PortRole::Aux, Exchange("!#RL 0000 0001#!"));
    ASSERT_EQ(SetCardSwitchC400(ports, true), 1);
    auto aux = sim.Commands("aux", 2);
    ASSERT_EQ(aux.size(), 2u);
    EXPECT_EQ(aux[1]["command"], "!#RL 0000 0001#!");
    auto card = sim.Commands("card", 1);
    ASSERT_EQ(card.size(), 1u);
    EXPECT_EQ(card[0]["command"], "*#WL C400 0202 0af547#*");
}

TEST(AuxBoardTest, ModeOneWithoutAnAuxDeviceReportsBrightnessFailure) {
    CardSim sim(BinDir(), {});
    CardLine line(sim, 1);
    line.Open();
    EXPECT_EQ(SetCardBrightness(*line.ports, 50), 0);
}

TEST(BrightnessPacketTest, FixedHeaderLevelZerosAndTheChecksumByte) {
    // Checksums worked out by hand: the fixed bytes sum to 0x4B3, plus the level.
    const struct {
        int level;
        uint8_t checksum;
    } kCases[] = {{0, 0x4D}, {1, 0x4C}, {0x80, 0xCD}, {0x4D, 0x00}, {255, 0x4E}};
    for (const auto& c : kCases) {
        auto packet = BrightnessPacket(c.level);
        ASSERT_EQ(packet.size(), 520u);
        const uint8_t head[] = {0xAA, 0x55, 0x04, 0x00, 0x00, 0x02,
                                0x00, 0x71, 0x00, 0x00, 0x40, uint8_t(c.level),
                                0xFF, 0xFF, 0xFF};
        for (size_t i = 0; i < sizeof head; ++i) EXPECT_EQ(packet[i], head[i]) << "byte " << i;
        for (size_t i = sizeof head; i < 519; ++i) ASSERT_EQ(packet[i], 0) << "byte " << i;
        EXPECT_EQ(packet[519], c.checksum) << "level " << c.level;
    }
}

}  // namespace
}  // namespace led
