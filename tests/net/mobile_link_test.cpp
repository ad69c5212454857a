// The mobile data link: the relink sequence the server link runs, the
// NetworkManager answers it is built on, and the server link's attempt when
// the network check fails.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <thread>

#include "core/Player.h"
#include "net/MobileRelink.h"
#include "net/NetworkThreads.h"
#include "platform/net/MobileLink.h"
#include "support/ControlClient.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

// A modem whose answers the test sets; it records what was asked of it.
struct FakeModem : MobileLink {
    bool modem = true;
    bool entry = true;
    std::vector<int> states;  // LinkState answers in turn; the last one repeats
    std::vector<std::string> calls;

    bool DetectModem() override { return Note("detect"), modem; }
    bool EntryExists() override { return Note("exists"), entry; }
    bool CreateEntry() override { return Note("create"), entry = true; }
    bool Dial() override { return Note("dial"), true; }
    int LinkState() override {
        Note("state");
        int s = states.empty() ? kLinkDisconnected : states.front();
        if (states.size() > 1) states.erase(states.begin());
        return s;
    }
    void HangUpAndWait() override { Note("hang-up"); }
    void Note(const char* call) { calls.push_back(call); }
    int Count(const std::string& call) const {
        return int(std::count(calls.begin(), calls.end(), call));
    }
};

class MobileRelinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        player_ = test::MakeTestPlayer(dir_.Path() / "root");
        auto modem = std::make_unique<FakeModem>();
        modem_ = modem.get();
        player_->mobileLink = std::move(modem);
    }
    test::TempDir dir_;
    std::unique_ptr<Player> player_;
    FakeModem* modem_ = nullptr;
};

TEST_F(MobileRelinkTest, WithoutAModemTheLinkFailsAtOnceAndThePhonebookIsLeftAlone) {
    modem_->modem = false;
    EXPECT_FALSE(RelinkMobile(*player_));
    EXPECT_EQ(modem_->calls, std::vector<std::string>{"detect"});
}

TEST_F(MobileRelinkTest, DialsAndCreatesTheEntryOnlyWhenItIsMissing) {
    modem_->states = {kLinkDisconnected, kLinkConnectingDevice, kLinkConnected};
    EXPECT_TRUE(RelinkMobile(*player_));
    EXPECT_EQ(modem_->Count("create"), 0);
    EXPECT_EQ(modem_->Count("dial"), 1);
    EXPECT_TRUE(player_->network.mobileLinked);

    // A link this player dialled is hung up before it is dialled again.
    modem_->calls.clear();
    modem_->entry = false;
    modem_->states = {kLinkDisconnected, kLinkConnectingDevice, kLinkConnected};
    EXPECT_TRUE(RelinkMobile(*player_));
    EXPECT_EQ(modem_->calls.front(), "hang-up");
    EXPECT_EQ(modem_->Count("create"), 1);
    EXPECT_EQ(modem_->Count("dial"), 1);
}

TEST_F(MobileRelinkTest, APortStuckOpeningIsDialledOnceMoreAndADroppedDialFails) {
    modem_->states = {kLinkDisconnected, kLinkOpeningPort, kLinkConnected};
    EXPECT_TRUE(RelinkMobile(*player_));
    EXPECT_EQ(modem_->Count("dial"), 2);
    EXPECT_EQ(modem_->Count("hang-up"), 1);

    player_->network.mobileLinked = false;
    modem_->calls.clear();
    modem_->states = {kLinkDisconnected, kLinkConnectingDevice, kLinkDisconnected};
    EXPECT_FALSE(RelinkMobile(*player_));
    EXPECT_EQ(modem_->calls.back(), "hang-up");
    EXPECT_FALSE(player_->network.mobileLinked);

    // Already connected by someone else: nothing is dialled.
    modem_->calls.clear();
    modem_->states = {kLinkConnected};
    EXPECT_TRUE(RelinkMobile(*player_));
    EXPECT_EQ(modem_->Count("dial"), 0);
}

// nmcli's terse answers, keyed by the command line.
struct NmcliScript {
    std::map<std::string, std::string> answers;
    std::vector<std::string> asked;
    bool installed = true;
    ProcessResult operator()(const std::vector<std::string>& args) {
        std::string line;
        for (const auto& a : args) line += (line.empty() ? "" : " ") + a;
        asked.push_back(line);
        ProcessResult r;
        r.started = installed;
        auto it = answers.find(line);
        r.exitCode = it == answers.end() ? 10 : 0;
        if (it != answers.end()) r.output = it->second;
        return r;
    }
};

TEST(NetworkManagerLinkTest, ReadsModemProfileAndStateFromNmcli) {
    auto script = std::make_shared<NmcliScript>();
    script->answers["-t -f DEVICE,TYPE device"] = "eth0:ethernet\nlo:loopback\ncdc-wdm0:gsm\n";
    script->answers["-t -f NAME connection show"] = "Wired connection 1\n3gnet\n";
    script->answers["-t -f NAME,STATE connection show --active"] =
        "Wired connection 1:activated\n3GNET:activating\n";
    auto link = MakeNetworkManagerLink([script](const auto& args) { return (*script)(args); });
    EXPECT_TRUE(link->DetectModem());
    EXPECT_TRUE(link->EntryExists());  // names compare without regard to case
    EXPECT_EQ(link->LinkState(), kLinkConnectingDevice);
    script->answers["-t -f NAME,STATE connection show --active"] = "3GNET:activated\n";
    EXPECT_EQ(link->LinkState(), kLinkConnected);
    script->answers["-t -f NAME,STATE connection show --active"] = "Wired connection 1:activated\n";
    EXPECT_EQ(link->LinkState(), kLinkDisconnected);

    script->answers["-t -f DEVICE,TYPE device"] = "eth0:ethernet\n";
    EXPECT_FALSE(link->DetectModem());
    script->answers["-t -f NAME connection show"] = "Wired connection 1\n3GNET-old\n";
    EXPECT_FALSE(link->EntryExists());

    script->asked.clear();
    script->answers.clear();
    EXPECT_FALSE(link->CreateEntry());  // nmcli refused
    ASSERT_EQ(script->asked.size(), 1u);
    const std::string& add = script->asked[0];
    for (const char* part : {"connection add type gsm", "con-name 3GNET", "gsm.number *99#"})
        EXPECT_NE(add.find(part), std::string::npos) << add;
}

TEST(NetworkManagerLinkTest, WithoutNmcliThereIsNoModem) {
    auto script = std::make_shared<NmcliScript>();
    script->installed = false;
    auto link = MakeNetworkManagerLink([script](const auto& args) { return (*script)(args); });
    EXPECT_FALSE(link->DetectModem());
    EXPECT_FALSE(link->Dial());
}

// A host whose network check fails and that has no modem still tries the
// server: another route may reach it.
struct DisconnectedSystem : System {
    DisconnectedSystem() : System({}, [](const std::string&, const std::string&) {}) {}
    bool InterfaceConnected(const std::string&) const override { return false; }
};

TEST(ServerLinkTest, ABrokenInterfaceWithoutAModemStillTriesTheServer) {
    test::TempDir dir;
    auto player = test::MakeTestPlayer(dir.Path() / "root", 2000.0);
    player->system = std::make_unique<DisconnectedSystem>();
    auto owned = std::make_unique<FakeModem>();
    FakeModem* modem = owned.get();
    modem->modem = false;
    player->mobileLink = std::move(owned);
    test::TcpServer server;
    NetInfo info;
    info.serverHost = "127.0.0.1";
    info.serverPort = server.Port();
    player->network.SetInfo(info);

    std::thread link([&] { ServerLinkThread(*player); });
    auto accepted = server.Accept(std::chrono::seconds(20));
    player->BeginShutdown();
    link.join();
    EXPECT_NE(accepted, nullptr);
    EXPECT_GE(modem->Count("detect"), 1);  // the relink came first
}

}  // namespace
}  // namespace led
