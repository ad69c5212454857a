#include "app/Startup.h"

#include <gtest/gtest.h>

#include <fstream>

#include "app/AreaBodyTable.h"
#include "app/BootScreen.h"
#include "core/Player.h"
#include "core/WorkerThread.h"
#include "screen/AuxBoard.h"
#include "screen/CardTestSupport.h"
#include "storage/Files.h"
#include "storage/SettingsFiles.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

const uint32_t kRedPixel = kRed.ToPixel();

class StartupTest : public ::testing::Test {
protected:
    StartupTest() { std::filesystem::create_directories(dir.Path() / "nand" / "table"); }
    test::TempDir dir;
};

TEST_F(StartupTest, FourthFailedFlashStartShowsMessageWithoutRestart) {
    auto player = test::MakeTestPlayer(dir.Path());
    test::OpenMainWindow(*player);
    player->fs.WriteText(files::kEmmcFail, std::string(1, char(3)));
    CheckRunModeStorage(*player);
    EXPECT_EQ(ReadEmmcFailCount(player->fs), 4);
    EXPECT_EQ(player->system->RebootRequests(), 0);
    Surface raster = player->output.display->CaptureRaster();
    EXPECT_GT(test::CountPixels(raster, {0, 0, 250, 20}, kRedPixel), 20) << "message drawn";
}

TEST_F(StartupTest, MissingFlashVolumeCountsAndRequestsRestart) {
    auto player = test::MakeTestPlayer(dir.Path());
    test::OpenMainWindow(*player);
    for (int start = 1; start <= 3; ++start) {
        CheckRunModeStorage(*player);
        EXPECT_EQ(ReadEmmcFailCount(player->fs), start);
        EXPECT_EQ(player->system->RebootRequests(), start);
    }
    // The volume comes back: the counter file goes.
    std::filesystem::create_directories(dir.Path() / "Storage Card");
    CheckRunModeStorage(*player);
    EXPECT_FALSE(player->fs.Exists(files::kEmmcFail));
    EXPECT_EQ(player->system->RebootRequests(), 3);
}

TEST_F(StartupTest, BootScreenIsChineseWithoutLanguageFile) {
    std::filesystem::create_directories(dir.Path() / "Storage Card");
    auto player = test::MakeTestPlayer(dir.Path(), 10000.0);
    test::TempDir events;
    ASSERT_TRUE(player->events.Open(events / "events.jsonl"));
    ASSERT_TRUE(StartUp(*player));
    EXPECT_TRUE(player->boot.chinese);
    std::ifstream in(events / "events.jsonl");
    std::string all((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(all.find("MAC地址:"), std::string::npos);
    EXPECT_NE(all.find("IP 地址:"), std::string::npos);
    Surface raster = player->output.display->CaptureRaster();
    for (int line = 0; line < 4; ++line)
        EXPECT_GT(test::CountPixels(raster, {0, line * 20, 250, 20}, kRedPixel), 10) << line;
}

TEST_F(StartupTest, SwitchFilesTurnThreadsOffAndFirstStartWritesVersion) {
    std::filesystem::create_directories(dir.Path() / "Storage Card" / "xml");
    test::WriteHostFile(dir.Path() / "nand" / "volumethread.dat", "");
    test::WriteHostFile(dir.Path() / "nand" / "USBTHREAD.dat", "");
    test::WriteHostFile(dir.Path() / "Storage Card" / "xml" / "playlist.xml", "<root/>");
    test::WriteHostFile(dir.Path() / "nand" / "table" / "channel.dat", "\x02");
    test::WriteHostFile(dir.Path() / "nand" / "table" / "configshow.dat", "");
    auto player = test::MakeTestPlayer(dir.Path(), 10000.0);
    ASSERT_TRUE(StartUp(*player));
    std::vector<std::string> names;
    for (const auto& w : player->threads.workers) names.push_back(w->Name());
    EXPECT_EQ(std::find(names.begin(), names.end(), "volume"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "usb-disk"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "brightness"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "mem-monitor"), names.end());
    EXPECT_NE(player->threads.normalSchedulerThread, nullptr);
    EXPECT_NE(player->threads.serverLinkThread, nullptr);
    // First start of an installation: the playlist is discarded, ver.dat written.
    EXPECT_FALSE(player->fs.Exists("\\Storage Card\\xml\\playlist.xml"));
    EXPECT_EQ(player->fs.ReadText(files::kVer), std::string("\x02\x03\x00\x01", 4));
    EXPECT_EQ(player->fs.ReadText(files::kVersion), std::string("\x02\x03\x00\x01", 4));
    EXPECT_FALSE(player->fs.Exists(files::kChannel));
    EXPECT_FALSE(player->fs.Exists(files::kConfigShow)) << "skips the boot screen once";
}

TEST_F(StartupTest, RemoveAllMarkerDeletesPlaylistAndMarkers) {
    std::filesystem::create_directories(dir.Path() / "Storage Card" / "xml");
    test::WriteHostFile(dir.Path() / "nand" / "ver.dat", std::string("\x02\x03\x00\x01", 4));
    test::WriteHostFile(dir.Path() / "nand" / "table" / "removeallfile.dat", "");
    test::WriteHostFile(dir.Path() / "nand" / "TestInfSW.txt", "");
    test::WriteHostFile(dir.Path() / "Storage Card" / "xml" / "playlist.xml", "<root/>");
    auto player = test::MakeTestPlayer(dir.Path(), 10000.0);
    ASSERT_TRUE(StartUp(*player));
    EXPECT_FALSE(player->fs.Exists(files::kRemoveAll));
    EXPECT_FALSE(player->fs.Exists("\\Storage Card\\xml\\playlist.xml"));
    auto log = player->fs.ReadText(files::kRebootRec);
    ASSERT_TRUE(log);
    EXPECT_EQ(log->rfind("board boot staring ... at:2026-3-5 ", 0), 0u) << *log;
}

// The saved relay switches go to the auxiliary board once it is online: at
// start-up its port is not open yet and nothing has answered a poll.
TEST_F(StartupTest, SavedRelaySwitchesAreSentAtTheBoardsFirstAnsweredPoll) {
    test::CardSim sim(test::BinDir(), {"--aux"});
    std::filesystem::create_directories(dir.Path() / "Storage Card");
    test::WriteHostFile(dir.Path() / "nand" / "ver.dat", std::string("\x02\x03\x00\x01", 4));
    test::WriteHostFile(dir.Path() / "nand" / "table" / "configshow.dat", "");
    for (const char* off : {"brightthread.dat", "volumethread.dat", "powerthread.dat",
                            "miscthread.dat", "remotethread.dat", "usbthread.dat"})
        test::WriteHostFile(dir.Path() / "nand" / off, "");
    // Relay 0 on, relay 2 off.
    test::WriteHostFile(dir.Path() / "nand" / "table" / "setswitchfile.dat",
                        std::string("\x00\x01\x02\x00", 4));
    Settings settings;
    settings.root = dir.Path().string();
    settings.serialCom3 = sim.CardPath();
    settings.serialCom4 = sim.AuxPath();
    settings.auxPortMode = 0;
    Player player(settings, Clock(*LocalTime::Parse("2026-03-05 07:08:09"), 1.0),
                  MakeHeadlessBackend());
    RegisterAreaBodies(player.areaBodies);
    ASSERT_TRUE(StartUp(player));
    EXPECT_TRUE(sim.Commands("aux").empty()) << "nothing before the board answered";

    EXPECT_FALSE(ReadSensorBlock(player.ports).empty()) << "the board answers the poll";
    auto commands = sim.Commands("aux", 3);
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0]["command"], "!#RL 0000 0032#!");
    EXPECT_EQ(commands[1]["command"], "!#WL 0023 0001 01#!");
    EXPECT_EQ(commands[2]["command"], "!#WL 0021 0001 00#!");
    ReadSensorBlock(player.ports);
    EXPECT_EQ(sim.Commands("aux", 5).size(), 4u) << "sent once, not at every poll";
    player.BeginShutdown();
}

// Inserted programs never survive a restart, also when the playlist comes
// back from its backup copy.
TEST_F(StartupTest, InsertedProgramsAreRemovedFromARestoredPlaylist) {
    std::filesystem::create_directories(dir.Path() / "Storage Card" / "xml");
    test::WriteHostFile(dir.Path() / "nand" / "ver.dat", std::string("\x02\x03\x00\x01", 4));
    test::WriteHostFile(dir.Path() / "nand" / "table" / "configshow.dat", "");
    test::WriteHostFile(
        dir.Path() / "Storage Card" / "videotemp" / "playlist.xml",
        R"(<root><screens><screen><programs>)"
        R"(<program id="1"><playtime>1000</playtime><schedule priority="0"/><area type="99"/></program>)"
        R"(<program id="2"><playtime>1000</playtime><schedule priority="2"/><area type="99"/></program>)"
        R"(</programs></screen></screens></root>)");
    auto player = test::MakeTestPlayer(dir.Path(), 10000.0);
    player->playback.hold.busy[0] = 1;  // no pass plays (and drops) the inserted one
    ASSERT_TRUE(StartUp(*player));
    auto restored = player->fs.ReadText("\\Storage Card\\xml\\playlist.xml");
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->find(R"(priority="2")"), std::string::npos) << *restored;
    EXPECT_NE(restored->find(R"(id="1")"), std::string::npos) << *restored;
    EXPECT_EQ(player->Programs()->all.size(), 1u);
    player->BeginShutdown();
}

// "Insert SD card" replaces the boot screen instead of being drawn over it.
TEST_F(StartupTest, InsertSdCardClearsTheWindowFirst) {
    auto player = test::MakeTestPlayer(dir.Path(), 10000.0);
    test::OpenMainWindow(*player);
    player->SetStorage(std::make_shared<const StorageSetup>(
        StorageSetup{RunMode::SdCard, BuildStoragePaths(RunMode::SdCard), {}}));
    player->output.mainWindow->Paint()->FillAll(Colour{0x00ff00});  // the boot screen
    CheckRunModeStorage(*player);
    Surface raster = player->output.display->CaptureRaster();
    EXPECT_GT(test::CountPixels(raster, {0, 0, 250, 20}, kRedPixel), 5) << "message drawn";
    EXPECT_EQ(raster.Pixel(300, 200) & 0xffffff, 0u) << "the boot screen is gone";
}

}  // namespace
}  // namespace led
