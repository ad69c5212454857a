// The command table's handlers, through the dispatchers, on a test player.

#include <gtest/gtest.h>

#include <fstream>

#include "core/Player.h"
#include "net/Command.h"
#include "net/Dispatch.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

using Bytes = std::vector<uint8_t>;

struct Recorder final : ReplySink, Relay {
    std::vector<Bytes> sent, relayed;
    std::vector<Endpoint> sentTo;
    bool Send(std::span<const uint8_t> b) override {
        sent.emplace_back(b.begin(), b.end());
        sentTo.push_back({});
        return true;
    }
    bool SendTo(std::span<const uint8_t> b, const Endpoint& to) override {
        sent.emplace_back(b.begin(), b.end());
        sentTo.push_back(to);
        return true;
    }
    void Forward(std::span<const uint8_t> f) override { relayed.emplace_back(f.begin(), f.end()); }
};

Bytes Ack(uint8_t code) { return {'*', '#', code, 0, 0, 0, 0, '#', '*'}; }

class ControlCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        player_ = test::MakeTestPlayer(dir_.Path() / "root");
        std::filesystem::create_directories(dir_.Path() / "root" / "nand" / "table");
        std::filesystem::create_directories(dir_.Path() / "root" / "Storage Card");
    }
    // One frame through a transport; returns what was answered.
    Recorder Run(Transport transport, uint8_t code, Bytes payload = {},
                 uint32_t length = UINT32_MAX) {
        Recorder out;
        Bytes raw = {'*', '#', code, 0, 0, 0, 0};
        raw.insert(raw.end(), payload.begin(), payload.end());
        Request r{*player_,
                  transport,
                  code,
                  length == UINT32_MAX ? uint32_t(payload.size()) : length,
                  payload,
                  raw,
                  {0x7F000001, 4000},
                  out};
        if (transport == Transport::Tcp)
            DispatchTcp(r, out);
        else
            DispatchUdp(r);
        return out;
    }
    std::filesystem::path Nand(const std::string& name) {
        return dir_.Path() / "root" / "nand" / name;
    }
    std::string Read(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    test::TempDir dir_;
    std::unique_ptr<Player> player_;
};

TEST(CommandTableTest, EveryRowHasTheHandlersItsRolesNeed) {
    for (const auto& c : Commands()) {
        SCOPED_TRACE(c.name);
        if (c.tcp == TcpRole::Own || c.tcp == TcpRole::RelayPlus) EXPECT_NE(c.onTcp, nullptr);
        if (c.udp) EXPECT_NE(c.onUdp, nullptr);
        EXPECT_EQ(FindCommand(c.code), &c);
    }
    EXPECT_EQ(FindCommand(10), nullptr);
}

TEST_F(ControlCommandsTest, EachTransportHandlesItsOwnCodes) {
    // UDP-only, TCP-only, unknown and out-of-range codes get nothing.
    EXPECT_TRUE(Run(Transport::Tcp, 43).sent.empty());
    EXPECT_TRUE(Run(Transport::Udp, 100).sent.empty());
    EXPECT_TRUE(Run(Transport::Udp, 0x80).sent.empty());
    EXPECT_TRUE(Run(Transport::Udp, 151).sent.empty());
    EXPECT_TRUE(Run(Transport::Tcp, 10).sent.empty());
    EXPECT_TRUE(Run(Transport::Tcp, 200).sent.empty());
    EXPECT_EQ(Run(Transport::Tcp, 100).sent, std::vector<Bytes>{Ack(100)});

    // A relayed command: the session acknowledges and forwards the frame whole.
    Recorder relayed = Run(Transport::Tcp, 21);
    EXPECT_EQ(relayed.sent, std::vector<Bytes>{Ack(21)});
    ASSERT_EQ(relayed.relayed.size(), 1u);
    EXPECT_EQ(relayed.relayed[0][2], 21);
}

TEST_F(ControlCommandsTest, SettingsFilesComeBackWithTheirRowsReplyKind) {
    // Missing: Ack10.
    EXPECT_EQ(Run(Transport::Udp, 5).sent,
              (std::vector<Bytes>{{'*', '#', 5, 0, 0, 0, 0, '#', '*', 0}}));
    std::ofstream(Nand("table/para.dat"), std::ios::binary) << "PQ";
    EXPECT_EQ(Run(Transport::Udp, 5).sent,
              (std::vector<Bytes>{{'*', '#', 5, 2, 0, 0, 0, 'P', 'Q', '#', '*', 0}}));
    // Data rows: no padding byte, on both transports.
    std::ofstream(Nand("table/adjvolume.dat"), std::ios::binary) << "V";
    EXPECT_EQ(Run(Transport::Tcp, 58).sent,
              (std::vector<Bytes>{{'*', '#', 58, 1, 0, 0, 0, 'V', '#', '*'}}));
    // The colour table answers its 48 bytes: 57 in all.
    std::ofstream(Nand("table/color.dat"), std::ios::binary) << std::string(60, 'c');
    auto colour = Run(Transport::Udp, 84).sent;
    ASSERT_EQ(colour.size(), 1u);
    EXPECT_EQ(colour[0].size(), 57u);
}

TEST_F(ControlCommandsTest, SettingsFilesWrittenWholeAndPowerScheduleDeletedWhenShort) {
    EXPECT_EQ(Run(Transport::Udp, 53, {1, 8, 0, 0, 9, 0, 0}).sent, std::vector<Bytes>{Ack(53)});
    EXPECT_EQ(Read(Nand("table/relayschedule.dat")), std::string("\x01\x08\0\0\x09\0\0", 7));

    EXPECT_EQ(Run(Transport::Udp, 39, {7, 30, 0, 22, 0, 0}).sent, std::vector<Bytes>{Ack(39)});
    EXPECT_TRUE(std::filesystem::exists(Nand("table/poweronoff.dat")));
    EXPECT_TRUE(Run(Transport::Udp, 39, {7, 30}).sent.empty());
    EXPECT_FALSE(std::filesystem::exists(Nand("table/poweronoff.dat")));
}

TEST_F(ControlCommandsTest, ScheduleAndSensorSettingsTakeEffectAtOnce) {
    // The temperature rules: written, kept for the tool, rules loaded.
    const std::string rules = "1/10/30/1/";
    EXPECT_EQ(Run(Transport::Udp, 91, Bytes(rules.begin(), rules.end())).sent,
              std::vector<Bytes>{Ack(91)});
    EXPECT_EQ(Read(Nand("tempctrlswitch.txt")), rules);
    EXPECT_EQ(Read(Nand("table/setswitchfile.dat")), "");
    ASSERT_EQ(player_->sensors.Rules()->size(), 1u);
    EXPECT_EQ(player_->sensors.Rules()->at(0).relay, 1);
    auto back = Run(Transport::Udp, 92).sent;
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(std::string(back[0].begin() + 7, back[0].end() - 2), rules);

    // Light sensor, power and volume schedules reach the threads' tables.
    EXPECT_EQ(Run(Transport::Udp, 38, {20, 40, 200, 250}).sent, std::vector<Bytes>{Ack(38)});
    EXPECT_EQ(player_->playback.hold.brightnessType, 3);
    EXPECT_EQ(player_->schedules.Tables()->autoBrightness.highLevel, 250);
    Run(Transport::Udp, 39, {8, 0, 0, 20, 0, 0});
    EXPECT_EQ(player_->schedules.Tables()->powerWindows.size(), 1u);
    Run(Transport::Udp, 57, {9, 0, 10, 0, 20});
    EXPECT_EQ(player_->schedules.Tables()->volumeSchedule.size(), 1u);

    // The status block: 85 bytes, screen power not decided yet, type 3.
    auto status = Run(Transport::Udp, 52).sent;
    ASSERT_EQ(status.size(), 1u);
    ASSERT_EQ(status[0].size(), 94u);
    EXPECT_EQ(status[0][7 + 0], 0);  // no board
    EXPECT_EQ(status[0][7 + 65], 3);
    EXPECT_EQ(status[0][7 + 66], 255);

    // The screen power by command is what the power schedule then goes on from.
    Run(Transport::Udp, 40, {0});
    EXPECT_EQ(player_->schedules.screenOn, 0);
    EXPECT_EQ(player_->playback.hold.brightnessType, 0);
    EXPECT_TRUE(player_->schedules.Tables()->powerWindows.empty());
    Run(Transport::Udp, 40, {1});
    EXPECT_EQ(player_->schedules.screenOn, 1);
    EXPECT_EQ(player_->playback.hold.brightnessType, 3);
}

TEST_F(ControlCommandsTest, PcParametersAreJoinedAndReadInIndexedBlocks) {
    EXPECT_EQ(Run(Transport::Udp, 102, {1, 'x'}).sent, std::vector<Bytes>{Ack(102)});
    EXPECT_FALSE(std::filesystem::exists(Nand("table/pcparas.dat")));  // append needs a file
    Run(Transport::Udp, 102, {0, 'A', 'B'});
    Bytes more = {1};
    more.insert(more.end(), 1500, 'C');
    Run(Transport::Udp, 102, more);
    EXPECT_EQ(Read(Nand("table/pcparas.dat")), "AB" + std::string(1500, 'C'));

    auto blocks = Run(Transport::Udp, 103).sent;
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].size(), 9u + 1 + 1024);
    EXPECT_EQ(blocks[0][7], 0);  // block index
    EXPECT_EQ(blocks[1][7], 1);
    EXPECT_EQ(blocks[1].size(), 9u + 1 + 478);
}

TEST_F(ControlCommandsTest, ClockIsSetOnlyToARealCalendarTime) {
    Bytes t = {0xEA, 0x07, 0, 0, 12, 24, 18, 30, 5};  // 2026-12-24 18:30:05
    auto answer = Run(Transport::Udp, 24, t).sent;
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_EQ(answer[0], Bytes(std::begin("FPGA_CMD_TIMEADJUST"), std::end("FPGA_CMD_TIMEADJUST")));
    auto now = player_->clock.Now();
    EXPECT_EQ(now.year, 2026);
    EXPECT_EQ(now.month, 12);
    EXPECT_EQ(now.day, 24);

    Bytes bad = t;
    bad[4] = 13;  // month 13
    EXPECT_TRUE(Run(Transport::Tcp, 24, bad).sent.empty());
    EXPECT_TRUE(Run(Transport::Tcp, 24, {0xEA, 0x07}).sent.empty());
    EXPECT_EQ(player_->clock.Now().month, 12);
    EXPECT_EQ(Run(Transport::Tcp, 24, t).sent, std::vector<Bytes>{Ack(24)});
}

TEST_F(ControlCommandsTest, HeartbeatIntervalSetsTheSilenceLimit) {
    Run(Transport::Tcp, 42, {10});
    EXPECT_EQ(player_->network.heartbeatTimeoutMs.load(), 40000u);
    Run(Transport::Tcp, 42, {0});
    EXPECT_EQ(player_->network.heartbeatTimeoutMs.load(), 30000u);
    EXPECT_TRUE(Run(Transport::Tcp, 42).sent.empty());
    EXPECT_EQ(player_->network.heartbeatTimeoutMs.load(), 30000u);
}

TEST_F(ControlCommandsTest, DeviceDescriptionsHaveTheirFixedLayouts) {
    std::ofstream(Nand("playertype.txt")) << "J7-C";
    auto tcp = Run(Transport::Tcp, 4).sent;
    ASSERT_EQ(tcp.size(), 1u);
    ASSERT_EQ(tcp[0].size(), 57u);
    EXPECT_EQ(tcp[0][3], 48);
    EXPECT_EQ(std::string(tcp[0].begin() + 29, tcp[0].begin() + 33), "J7-C");
    EXPECT_EQ(std::string(tcp[0].begin() + 39, tcp[0].begin() + 44), "guest");

    auto udp = Run(Transport::Udp, 4);
    ASSERT_EQ(udp.sent.size(), 1u);
    EXPECT_EQ(udp.sent[0].size(), 73u);
    EXPECT_EQ(udp.sentTo[0].ip, 0xFFFFFFFFu);  // the whole segment
    EXPECT_EQ(udp.sentTo[0].port, 4000);
    // English without bspver.dat: "General BSP".
    std::ofstream(Nand("Language.dat")) << '\0';
    auto english = Run(Transport::Udp, 4, {0}, 1).sent;
    ASSERT_EQ(english.size(), 1u);
    EXPECT_EQ(std::string(english[0].begin() + 55, english[0].begin() + 66), "General BSP");
    EXPECT_TRUE(Run(Transport::Udp, 4, {0, 0}, 2).sent.empty());
}

TEST_F(ControlCommandsTest, StorageSpaceReportsTheProgramVolume) {
    auto answer = Run(Transport::Udp, 44).sent;
    ASSERT_EQ(answer.size(), 1u);
    ASSERT_EQ(answer[0].size(), 18u);
    EXPECT_EQ(answer[0][7], 0);  // Flash run mode
    uint32_t total =
        answer[0][8] | answer[0][9] << 8 | answer[0][10] << 16 | uint32_t(answer[0][11]) << 24;
    EXPECT_GT(total, 0u);
}

TEST_F(ControlCommandsTest, StoragePlaceSwitchesTheRunModeAtOnceOverTcpOnly) {
    std::filesystem::create_directories(dir_.Path() / "root" / "Storage Card 1_0");
    EXPECT_TRUE(Run(Transport::Tcp, 34, {1}).sent.empty());  // TCP answers nothing
    EXPECT_EQ(Read(Nand("storeplace.txt")), std::string("\x01\0", 2));
    EXPECT_EQ(player_->Storage()->runMode, RunMode::SdCard);
    EXPECT_TRUE(std::filesystem::exists(dir_.Path() / "root" / "Storage Card 1_0" / "xml"));

    // UDP records the choice for the next start; place 0 deletes the file.
    EXPECT_EQ(Run(Transport::Udp, 34, {0}).sent, std::vector<Bytes>{Ack(34)});
    EXPECT_FALSE(std::filesystem::exists(Nand("storeplace.txt")));
    EXPECT_EQ(player_->Storage()->runMode, RunMode::SdCard);
    EXPECT_EQ(player_->system->RebootRequests(), 1);
}

// Every handler, every transport that runs it, fed payloads that do not fit
// its layout: nothing crashes, nothing hangs, nothing lands outside the root.
TEST_F(ControlCommandsTest, EveryHandlerSurvivesPayloadsOfTheWrongShape) {
    const std::vector<Bytes> payloads = {
        {}, {0xFF}, {2, 1, 3}, Bytes(4096, 0xFF), {'.', '.', '/', 0xE4, 0xBD, 0xA0, 0xFF, ','},
    };
    for (const auto& command : Commands()) {
        if (command.code == 101 || command.code == 0) continue;  // restarts and erases: below
        for (const auto& p : payloads) {
            SCOPED_TRACE(std::string(command.name) + " with " + std::to_string(p.size()) +
                         " bytes");
            Run(Transport::Tcp, command.code, p);
            Run(Transport::Udp, command.code, p);
            Run(Transport::Udp, command.code, p, 4096);  // length beyond the bytes present
        }
    }
    Run(Transport::Udp, 0, {0xFF});
    EXPECT_TRUE(std::filesystem::exists(Nand("table")));
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path()))
        EXPECT_EQ(entry.path().filename(), "root") << "written outside the device root";
}

}  // namespace
}  // namespace led
