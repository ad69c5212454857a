#include "app/Startup.h"

#include <gtest/gtest.h>

#include <fstream>

#include "app/BootScreen.h"
#include "core/Player.h"
#include "core/WorkerThread.h"
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

}  // namespace
}  // namespace led
