// The player's outgoing link to a management server and its text port, with
// stand-ins for the server and the sender on loopback.

#include <gtest/gtest.h>

#include <fstream>

#include "support/ControlClient.h"
#include "support/PlayerProcess.h"
#include "support/TestPlayer.h"

namespace led::test {
namespace {

using namespace std::chrono_literals;

std::vector<nlohmann::json> LinkEvents(const LivePlayer& player, const std::string& state) {
    std::vector<nlohmann::json> out;
    for (const auto& e : player.Events("server-link"))
        if (e.value("state", "") == state) out.push_back(e);
    return out;
}

class ServerLinkTest : public ::testing::Test {
protected:
    std::unique_ptr<LivePlayer> Start(const std::string& netinfo, const char* timeScale) {
        MakeDeviceRoot(dir_.Path() / "root", PlaylistXml({{.id = "1", .areas = {AreaXml(0, 1)}}}));
        if (!netinfo.empty())
            std::ofstream(dir_.Path() / "root" / "nand" / "netinfo.txt") << netinfo;
        return std::make_unique<LivePlayer>(
            dir_.Path() / "root", std::vector<std::string>{"--clock-start", "2026-03-05 08:00:00",
                                                           "--time-scale", timeScale});
    }
    TempDir dir_;
};

TEST_F(ServerLinkTest, LinkCarriesTheCommandSetAndComesBackAfterItDrops) {
    TcpServer server;
    auto player = Start("x,desk1,127.0.0.1," + std::to_string(server.Port()), "10");
    auto link = server.Accept(60s);  // 5 s + 15 s of player time
    ASSERT_TRUE(link) << player->Output();
    ASSERT_TRUE(link->Send(Frame(100)));
    EXPECT_EQ(link->Receive(9), (Bytes{0x2A, 0x23, 0x64, 0, 0, 0, 0, 0x23, 0x2A}));
    ASSERT_TRUE(link->Send(Frame(4)));
    Bytes info = link->Receive(57);
    ASSERT_EQ(info.size(), 57u);
    EXPECT_EQ(std::string(info.begin() + 39, info.begin() + 44), "desk1");

    // The server drops the link: the player is back about 20 s later.
    link.reset();
    auto again = server.Accept(60s);
    ASSERT_TRUE(again);
    // The server may accept before the player has logged its side.
    for (int i = 0; i < 300 && LinkEvents(*player, "connected").size() < 2; ++i)
        std::this_thread::sleep_for(100ms);
    auto downs = LinkEvents(*player, "down");
    auto ups = LinkEvents(*player, "connected");
    ASSERT_FALSE(downs.empty());
    ASSERT_GE(ups.size(), 2u);
    double gap = SecondOfDay(ups[1]) - SecondOfDay(downs[0]);
    EXPECT_GE(gap, 14.0);
    EXPECT_LE(gap, 26.0);

    // Refused: an attempt about every 22 s.
    again.reset();
    server.Close();
    for (int i = 0; i < 400 && LinkEvents(*player, "unreachable").size() < 3; ++i)
        std::this_thread::sleep_for(100ms);
    auto failed = LinkEvents(*player, "unreachable");
    ASSERT_GE(failed.size(), 3u) << nlohmann::json(player->Events("server-link")).dump()
                                 << nlohmann::json(player->Events("session-close")).dump();
    for (size_t i = 1; i < failed.size(); ++i) {
        double every = SecondOfDay(failed[i]) - SecondOfDay(failed[i - 1]);
        EXPECT_GE(every, 21.0);
        EXPECT_LE(every, 26.0);
    }
}

TEST_F(ServerLinkTest, WithoutAServerHostTheLinkStaysIdle) {
    // A virtual hour at 1000 times real time.
    MakeDeviceRoot(dir_.Path() / "root", PlaylistXml({{.id = "1", .areas = {AreaXml(0, 1)}}}));
    auto run = RunPlayer(dir_.Path() / "root", {"--clock-start", "2026-03-05 08:00:00",
                                                "--time-scale", "1000", "--run-for", "3600"});
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    auto link = run.Events("server-link");
    ASSERT_FALSE(link.empty());
    for (const auto& e : link) EXPECT_EQ(e["state"], "idle");
}

TEST_F(ServerLinkTest, TextPortAnswersMessagesOnly) {
    auto player = Start("", "10");
    int port = player->Port("text");
    ASSERT_GT(port, 0) << player->Output();
    TcpClient sender(port);
    Bytes message = {30, 0, 40, 0, 200, 0, 60, 0};  // top, left, width, height
    for (char c : std::string("Hi")) {
        message.push_back(uint8_t(c));
        message.push_back(0);
    }
    message.resize(8 + 512, 0);
    // Another code first: no answer, and the session goes on.
    ASSERT_TRUE(sender.Send(Frame(100)));
    ASSERT_TRUE(sender.Send(Frame(111, message)));
    EXPECT_EQ(sender.Receive(10), (Bytes{0x2A, 0x23, 0x6F, 0x01, 0, 0, 0, 0, 0x23, 0x2A}));
    EXPECT_TRUE(player->WaitForEvent("text-message", {{"text", "Hi"}, {"left", 40}, {"top", 30}}));
}

}  // namespace
}  // namespace led::test
