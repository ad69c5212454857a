// The control ports of the real player, driven by a stand-in for the PC tool
// that builds its own frames.

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "support/CardSim.h"
#include "support/ControlClient.h"
#include "support/PlayerProcess.h"
#include "support/TestPlayer.h"

namespace led::test {
namespace {

using namespace std::chrono_literals;

const Bytes kHeartbeatAck = {0x2A, 0x23, 0x64, 0, 0, 0, 0, 0x23, 0x2A};


class ControlProtocolTest : public ::testing::Test {
protected:
    void Start(std::vector<std::string> args = {}, const char* timeScale = "10") {
        MakeDeviceRoot(dir_.Path() / "root", PlaylistXml({{.id = "1", .areas = {AreaXml(0, 1)}}}));
        args.insert(args.end(),
                    {"--clock-start", "2026-03-05 08:00:00", "--time-scale", timeScale});
        player_ = std::make_unique<LivePlayer>(dir_.Path() / "root", args);
        tcpPort_ = player_->Port("tcp");
        udpPort_ = player_->Port("udp");
        ASSERT_GT(tcpPort_, 0) << player_->Output();
        ASSERT_GT(udpPort_, 0) << player_->Output();
    }
    std::string NandFile(const std::string& name) {
        std::ifstream in(dir_.Path() / "root" / "nand" / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    TempDir dir_;
    std::unique_ptr<LivePlayer> player_;
    int tcpPort_ = 0, udpPort_ = 0;
};

TEST_F(ControlProtocolTest, TcpFramesAreAnsweredHoweverTheStreamCutsThem) {
    Start();
    TcpClient tool(tcpPort_);
    ASSERT_TRUE(tool.Connected());

    ASSERT_TRUE(tool.Send(Frame(100)));
    EXPECT_EQ(tool.Receive(9), kHeartbeatAck);

    // One frame a byte at a time.
    for (uint8_t b : Frame(100)) {
        ASSERT_TRUE(tool.Send({b}));
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_EQ(tool.Receive(9), kHeartbeatAck);

    // Three frames in one write, behind junk: three answers, in order.
    Bytes three = Text("junk*");
    for (uint8_t code : {100, 115, 100}) {
        Bytes f = Frame(code);
        three.insert(three.end(), f.begin(), f.end());
    }
    ASSERT_TRUE(tool.Send(three));
    Bytes answers = tool.Receive(9 + 17 + 9);
    ASSERT_EQ(answers.size(), 35u);
    EXPECT_EQ(Bytes(answers.begin(), answers.begin() + 9), kHeartbeatAck);
    // The screen size of the playlist: 1920 x 1080, length 8.
    EXPECT_EQ(Bytes(answers.begin() + 9, answers.begin() + 26),
              (Bytes{'*', '#', 115, 8, 0, 0, 0, 0x80, 7, 0, 0, 0x38, 4, 0, 0, '#', '*'}));
    EXPECT_EQ(Bytes(answers.begin() + 26, answers.end()), kHeartbeatAck);

    // A non-file frame claiming more than 4096 bytes is dropped; the session goes on.
    ASSERT_TRUE(tool.Send(FrameWithLength(100, 5000)));
    ASSERT_TRUE(tool.Send(Frame(100)));
    EXPECT_EQ(tool.Receive(9), kHeartbeatAck);
    EXPECT_TRUE(tool.Receive(1, 300ms).empty());
}

TEST_F(ControlProtocolTest, SilenceEndsSessionsAndTheIntervalCommandShortensIt) {
    Start({}, "5");
    TcpClient quiet(tcpPort_);
    ASSERT_TRUE(quiet.Connected());
    ASSERT_TRUE(quiet.Send(Frame(100)));
    ASSERT_EQ(quiet.Receive(9), kHeartbeatAck);

    // Interval 10 s: 40 s of silence for every session, the quiet one included.
    TcpClient other(tcpPort_);
    ASSERT_TRUE(other.Send(Frame(42, {10})));
    ASSERT_EQ(other.Receive(9), (Bytes{'*', '#', 42, 0, 0, 0, 0, '#', '*'}));
    EXPECT_TRUE(quiet.ClosedWithin(60s));

    // Measured on the player's clock, from the quiet session's last frame.
    auto heartbeats = player_->Events("control");
    ASSERT_FALSE(heartbeats.empty());
    const auto& last = heartbeats.front();
    ASSERT_EQ(last["code"], 100);
    ASSERT_TRUE(player_->WaitForEvent("session-close", {{"peer", last["peer"]}}));
    for (const auto& close : player_->Events("session-close")) {
        if (close["peer"] != last["peer"]) continue;
        EXPECT_EQ(close["reason"], "silence");
        double silent = SecondOfDay(close) - SecondOfDay(last);
        EXPECT_GE(silent, 40.0);
        EXPECT_LT(silent, 58.0) << "the default 60 s limit still held";
    }
}

TEST_F(ControlProtocolTest, RelayedGetIsAnsweredWithItsAcknowledgementOnly) {
    Start();
    std::ofstream(dir_.Path() / "root" / "nand" / "table" / "para.dat") << "PARA";
    TcpClient tool(tcpPort_);
    ASSERT_TRUE(tool.Send(Frame(5)));
    EXPECT_EQ(tool.Receive(32, 2s), (Bytes{'*', '#', 5, 0, 0, 0, 0, '#', '*'}));
    // The UDP server ran it all the same.
    EXPECT_TRUE(
        player_->WaitForEvent("control", {{"transport", "udp"}, {"code", 5}, {"reply", "data"}}));
}

TEST_F(ControlProtocolTest, DiscoveryAnswersTheSegmentOrTheSender) {
    Start({"--set", "net.broadcast-address=127.255.255.255"});
    UdpClient tool("0.0.0.0");
    std::string to;

    ASSERT_TRUE(tool.SendTo(Frame(4), udpPort_));
    Bytes answer = tool.Receive(10s, &to);
    ASSERT_EQ(answer.size(), 73u);
    EXPECT_EQ(to, "127.255.255.255");
    EXPECT_EQ(answer[2], 4);
    EXPECT_EQ(answer[3], 0x14);  // the length field says 20 whatever follows
    EXPECT_EQ(Bytes(answer.begin() + 25, answer.begin() + 29), (Bytes{2, 3, 0, 1}));
    EXPECT_EQ(std::string(answer.begin() + 39, answer.begin() + 44), std::string("guest", 5));
    EXPECT_EQ(Bytes(answer.end() - 2, answer.end()), Text("#*"));

    ASSERT_TRUE(tool.SendTo(FrameWithLength(4, 1, {0}), udpPort_));
    answer = tool.Receive(10s, &to);
    EXPECT_EQ(answer.size(), 73u);
    EXPECT_EQ(to, "127.0.0.1");

    // Length 2 and an unknown code: nothing; then a request that is answered
    // shows nothing earlier was merely late.
    ASSERT_TRUE(tool.SendTo(FrameWithLength(4, 2, {0, 0}), udpPort_));
    ASSERT_TRUE(tool.SendTo(Frame(0x80), udpPort_));
    ASSERT_TRUE(tool.SendTo(Frame(43), udpPort_));
    answer = tool.Receive(10s);
    ASSERT_GE(answer.size(), 3u);
    EXPECT_EQ(answer[2], 43);
}

TEST_F(ControlProtocolTest, NetworkSettingsAreWrittenAndReadBack) {
    Start();
    UdpClient tool;
    ASSERT_TRUE(tool.SendTo(Frame(41, Text("x,desk1,127.0.0.5,6000")), udpPort_));
    EXPECT_EQ(tool.Receive(10s), (Bytes{'*', '#', 41, 0, 0, 0, 0, '#', '*'}));
    ASSERT_TRUE(tool.SendTo(Frame(43), udpPort_));
    EXPECT_EQ(tool.Receive(10s), Frame(43, Text("desk1,127.0.0.5,6000")));
    EXPECT_EQ(NandFile("netinfo.txt"), "x,desk1,127.0.0.5,6000");
    EXPECT_EQ(NandFile("netinfo_bk.txt"), NandFile("netinfo.txt"));
}

TEST_F(ControlProtocolTest, PeersOutsideTheAllowListGetNothing) {
    // Loopback is outside 10.0.0.0/8: refused on both ports, and nothing runs.
    Start({"--set", "net.allow=10.0.0.0/8"});
    UdpClient udp;
    ASSERT_TRUE(udp.SendTo(Frame(41, Text("x,evil,1.2.3.4,1")), udpPort_));
    EXPECT_TRUE(udp.Receive(1s).empty());
    TcpClient tcp(tcpPort_);
    tcp.Send(Frame(100));
    EXPECT_TRUE(tcp.Receive(9, 1s).empty());
    EXPECT_TRUE(player_->WaitForEvent("control-refused", {{"transport", "udp"}}));
    EXPECT_TRUE(player_->WaitForEvent("control-refused", {{"transport", "tcp"}}));
    EXPECT_EQ(NandFile("netinfo.txt"), "");
}

TEST_F(ControlProtocolTest, GammaCurvesReachTheCardAndAreStoredOnItsAcknowledgement) {
    CardSim card(LEDPLAYER_BIN_DIR, {"--model", "J7", "--letter", "C"});
    Start({"--com3", card.CardPath()});
    UdpClient tool;
    // Entry i of the curve is four hex digits after the 19-character head.
    auto entry = [](const std::string& command, int i) { return command.substr(19 + 4 * i, 4); };

    ASSERT_TRUE(tool.SendTo(Frame(16, {22}), udpPort_));  // blue, gamma 2.2
    EXPECT_EQ(tool.Receive(20s), (Bytes{'*', '#', 16, 0, 0, 0, 0, '#', '*'}));
    std::string blue = NandFile("tabletemp/GammaBlue.dat");
    ASSERT_EQ(blue.size(), 1045u);
    EXPECT_EQ(blue.substr(0, 19), "*#WL F400 0202 07f8");
    EXPECT_EQ(entry(blue, 128), "0383");  // 899
    EXPECT_EQ(blue.substr(1043), "#*");
    ASSERT_TRUE(tool.SendTo(Frame(19), udpPort_));
    EXPECT_EQ(tool.Receive(10s), (Bytes{'*', '#', 19, 1, 0, 0, 0, 22, '#', '*', 0}));

    ASSERT_TRUE(tool.SendTo(Frame(14, {10}), udpPort_));  // red, gamma 1.0
    EXPECT_EQ(tool.Receive(20s).size(), 9u);
    std::string red = NandFile("tabletemp/GammaRed.dat");
    ASSERT_EQ(red.size(), 1045u);
    EXPECT_EQ(entry(red, 0), "0000");
    EXPECT_EQ(entry(red, 128), "0807");  // 2055
    EXPECT_EQ(entry(red, 255), "0fff");
    // The card heard both curves as they were stored.
    auto heard = card.WaitFor(
        2, [](const nlohmann::json& l) { return l.value("command", "").rfind("*#WL F", 0) == 0; });
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0]["command"], blue);
}

}  // namespace
}  // namespace led::test
