#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "core/Records.h"
#include "screen/Brightness.h"
#include "screen/CardAck.h"
#include "screen/CardCommands.h"
#include "screen/CardExchange.h"
#include "screen/CardSenders.h"
#include "screen/CardTestSupport.h"
#include "screen/OsdWindow.h"
#include "storage/PlayerType.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

using test::BinDir;
using test::CardLine;
using test::CardSim;

std::vector<std::string> CommandTexts(const CardSim& sim, const std::string& port, size_t count) {
    std::vector<std::string> texts;
    for (const auto& line : sim.Commands(port, count)) texts.push_back(line["command"]);
    return texts;
}

TEST(CardSendersTest, BrightnessTravelsAsTwoHexDigitsInA36ByteBlock) {
    CardSim sim(BinDir(), {});
    CardLine line(sim);
    line.Open();
    for (int level : {0, 15, 255, 300})
        EXPECT_EQ(SetCardBrightness(*line.ports, level), 1) << level;
    auto commands = sim.Commands("card", 4);
    ASSERT_EQ(commands.size(), 4u);
    const char* expected[] = {"*#WL D400 0202 0df20047#*", "*#WL D400 0202 0df20f47#*",
                              "*#WL D400 0202 0df2ff47#*", "*#WL D400 0202 0df2ff47#*"};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(commands[i]["command"], expected[i]);
        EXPECT_EQ(commands[i]["bytes"], 36);
    }
}

TEST(CardSendersTest, SwitchesPointEnableAndProgramPairSendTheirExactCommands) {
    CardSim sim(BinDir(), {});
    CardLine line(sim);
    line.Open();
    CardPorts& ports = *line.ports;
    EXPECT_EQ(SetCardSwitchC800(ports, true), 1);
    EXPECT_EQ(SetCardSwitchC800(ports, false), 1);
    EXPECT_EQ(SetCardSwitchC400(ports, true), 1);
    EXPECT_EQ(SetCardSwitchCC00(ports, true), 1);
    EXPECT_EQ(SetCardSwitchCC00(ports, false), 1);
    EXPECT_EQ(SendPointEnable(ports, true), 1);
    EXPECT_EQ(SendPointEnable(ports, false), 1);
    EXPECT_EQ(SendProgramPair(ports, 600, 40), 1);
    // Values beyond 16 bits keep the command's fixed layout.
    EXPECT_EQ(SendProgramPair(ports, 600, 99999), 1);
    EXPECT_EQ(
        CommandTexts(sim, "card", 9),
        (std::vector<std::string>{
            "*#WL C800 0202 0bf447#*", "*#WL C800 0202 0bf400#*", "*#WL C400 0202 0af547#*",
            "*#WL CC00 0202 0cf347#*", "*#WL CC00 0202 0cf300#*", "*#WL 003C 0001 01#*",
            "*#WL 003C 0001 00#*", "*#WL 0020 0004 02580028#*", "*#WL 0020 0004 0258869f#*"}));
}

TEST(CardSendersTest, OsdWindowCommandCarriesTheOffsetLineAndSmallestTop) {
    CardSim sim(BinDir(), {});
    CardLine line(sim);
    line.Open();
    ProgramRecord program;
    program.osd = 0;
    for (int top : {120, 40, 300}) {
        AreaRecord area;
        area.originalRect = {0, top, 100, top + 50};
        program.areas.push_back(area);
    }
    EXPECT_EQ(SmallestOriginalTop(program), 40);
    EXPECT_EQ(SendOsdWindowCommand(*line.ports, program, 1080), 1);
    EXPECT_EQ(CommandTexts(sim, "card", 1), std::vector<std::string>{"*#WL 0020 0004 04380028#*"});
}

TEST(CardSendersTest, StatusByteIsReadFromAnswerOffsetsEightAndNine) {
    {
        CardSim sim(BinDir(), {"--status", "5a"});
        CardLine line(sim);
        line.Open();
        EXPECT_EQ(ReadCardByte000F(*line.ports), 0x5a);
    }
    {
        // "%#RL#%*#a": one digit stands at offset 8, nothing at 9.
        CardSim sim(BinDir(), {"--status", "a5", "--fault", "short", "--short-bytes", "9"});
        CardLine line(sim);
        line.Open();
        EXPECT_EQ(ReadCardByte000F(*line.ports), 0xa);
    }
    {
        CardSim sim(BinDir(), {"--status", "a5", "--fault", "short", "--short-bytes", "8"});
        CardLine line(sim);
        line.Open();
        EXPECT_EQ(ReadCardByte000F(*line.ports), 0);
    }
}

TEST(CardSendersTest, PlayerTypeComesFromTheBoardModelAnswer) {
    struct Case {
        std::vector<std::string> args;
        std::string type;
        Size bounds;
    } cases[] = {
        // Every code's type is the parser's test; here the read over the line.
        {{"--model", "J7", "--letter", "L"}, "J7-L", {2880, 600}},
        {{"--model", "J6", "--letter", "space"}, "J6", {1920, 1080}},
        {{"--model", "J7", "--letter", "L", "--fault", "silent"}, "hardware erro", {1920, 1080}},
        {{"--model", "J7", "--letter", "L", "--fault", "noisy"}, "J7-L", {2880, 600}},
    };
    for (const auto& c : cases) {
        CardSim sim(BinDir(), c.args);
        CardLine line(sim);
        line.Open();
        PlayerType type = ParsePlayerType(ReadBoardModel(*line.ports), false);
        EXPECT_EQ(type.text, c.type) << c.args[3];
        EXPECT_EQ(type.rasterBounds.width, c.bounds.width) << c.type;
        EXPECT_EQ(type.rasterBounds.height, c.bounds.height) << c.type;
    }
}

TEST(CardSendersTest, AcknowledgementRulesUnderFaults) {
    // Waits run ten times slower in real time: 20 ms is 200 ms, the short
    // acknowledgement wait 600 ms, and a late card answers after 1.5 s.
    struct Case {
        const char* fault;
        int brightness;  // searches the whole answer
        bool shortAck;   // must begin with the marker, 3 x 20 ms
        bool longAck;    // 300 x 10 ms
    } cases[] = {
        {"none", 1, true, true},      {"noisy", 1, false, false},  {"split", 1, true, true},
        {"garbage", 0, false, false}, {"silent", 0, false, false}, {"late", 0, false, true},
    };
    for (const auto& c : cases) {
        CardSim sim(BinDir(), {"--fault", c.fault, "--late-ms", "1500"});
        CardLine line(sim);
        line.Open();
        CardPorts& ports = *line.ports;
        EXPECT_EQ(SetCardBrightness(ports, 10), c.brightness) << c.fault;
        // A late answer to the last command is never taken for this one's.
        EXPECT_EQ(SetCardSwitchC400(ports, true), c.brightness) << c.fault;
        const char* command = "*#WL C800 000a 0bf4000047#*";
        EXPECT_EQ(WriteCardAndWaitAck(ports, command, kShortAckWait), c.shortAck) << c.fault;
        // Where no acknowledgement can come, a shortened long wait tells as much.
        AckWait longWait = c.longAck ? kLongAckWait : AckWait{5, 10};
        EXPECT_EQ(WriteCardAndWaitAck(ports, command, longWait), c.longAck) << c.fault;
    }
}

TEST(CardSendersTest, FourThreadsOnOnePortEachGetTheirOwnReplies) {
    CardSim sim(BinDir(), {});
    CardLine line(sim);
    line.Open();
    CardPorts& ports = *line.ports;
    std::atomic<int> own{0}, foreign{0};
    std::vector<std::thread> threads;
    for (int k = 0; k < 4; ++k) {
        threads.emplace_back([&, k] {
            // Each thread reads back its own register of the card.
            std::string address = "01" + LowerHex(unsigned(k), 1) + "0";
            std::string value = LowerHex(unsigned(0x10 * (k + 1) + k), 2);
            std::string write = CardWriteCommand(address, "0001", value);
            std::string read = CardReadCommand(address, "0001");
            RunExchange(ports, PortRole::Card, Exchange(write).Wait(10).Reply(100));
            for (int i = 0; i < 8; ++i) {
                auto reply =
                    RunExchange(ports, PortRole::Card, Exchange(read).Wait(10).Reply(100)).reply;
                if (reply == "%#RL#%*#" + value + "&#*")
                    ++own;
                else if (!reply.empty())  // a card slowed down by a busy machine may miss one
                    ++foreign;
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(foreign, 0);
    EXPECT_GT(own, 24);
}

TEST(CardSendersTest, CommandsRepliesAndBrightnessAreLoggedAsEvents) {
    CardSim sim(BinDir(), {});
    test::TempDir dir;
    CardLine line(sim);
    ASSERT_TRUE(line.events.Open(dir / "events.jsonl"));
    line.Open();
    SetCardBrightness(*line.ports, 200);
    std::ifstream in(dir / "events.jsonl");
    std::vector<nlohmann::json> events;
    for (std::string text; std::getline(in, text);) events.push_back(nlohmann::json::parse(text));
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0]["event"], "card-command");
    EXPECT_EQ(events[0]["command"], "*#WL D400 0202 0df2c847#*");
    EXPECT_EQ(events[0]["bytes"], 36);
    EXPECT_EQ(events[1]["event"], "card-reply");
    EXPECT_EQ(events[1]["reply"], "%#WL#%");
    EXPECT_EQ(events[2]["event"], "brightness");
    EXPECT_EQ(events[2]["level"], 200);
    EXPECT_EQ(events[2]["ok"], true);
}

}  // namespace
}  // namespace led
