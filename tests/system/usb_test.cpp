// A USB disk arriving at the running player's HDD directory: the import
// stops playback, copies, and the new (or the kept) program set plays.

#include <gtest/gtest.h>

#include <fstream>

#include "support/ControlClient.h"
#include "support/PlayerProcess.h"
#include "support/TestPlayer.h"

namespace led::test {
namespace {

namespace stdfs = std::filesystem;
using namespace std::chrono_literals;

class UsbSystemTest : public ::testing::Test {
protected:
    void Start() {
        MakeDeviceRoot(root(), PlaylistXml({{.id = "1", .areas = {AreaXml(0, 1)}}}));
        WriteHostFile(root() / "Storage Card" / "video" / "old.mp4", "old clip");
        player_ = std::make_unique<LivePlayer>(
            root(),
            std::vector<std::string>{"--clock-start", "2026-03-05 08:00:00", "--time-scale", "10"});
        ASSERT_TRUE(player_->WaitForEvent("program-start", {{"id", "1"}})) << player_->Output();
    }
    // Builds the disk beside the root and moves it in whole, as a mount
    // shows a disk's contents all at once.
    stdfs::path Disk() { return dir_.Path() / "disk"; }
    void Plug() { stdfs::rename(Disk(), root() / "HDD"); }
    stdfs::path root() const { return dir_.Path() / "root"; }
    stdfs::path card() const { return root() / "Storage Card"; }
    std::string Read(const stdfs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    TempDir dir_;
    std::unique_ptr<LivePlayer> player_;
};

TEST_F(UsbSystemTest, DiskWithProgramsIsImportedAndItsProgramPlays) {
    Start();
    WriteHostFile(Disk() / "xml" / "playlist.xml",
                  PlaylistXml({{.id = "9", .areas = {AreaXml(0, 1)}}}));
    WriteHostFile(Disk() / "video" / "new.mp4", std::string(5 << 20, 'n'));
    Plug();
    ASSERT_TRUE(player_->WaitForEvent("usb", {{"state", "inserted"}})) << player_->Output();
    EXPECT_TRUE(player_->WaitForEvent("program-stop", {{"layer", "normal"}}));
    EXPECT_TRUE(player_->WaitForEvent("usb", {{"state", "copying"}, {"percent", 100}}));
    ASSERT_TRUE(player_->WaitForEvent("usb", {{"state", "imported"}})) << player_->Output();
    EXPECT_TRUE(player_->WaitForEvent("program-start", {{"id", "9"}})) << player_->Output();
    EXPECT_EQ(stdfs::file_size(card() / "video" / "new.mp4"), 5u << 20);
    EXPECT_FALSE(stdfs::exists(card() / "video" / "old.mp4"));

    // Pulling the disk out is only noted.
    stdfs::remove_all(root() / "HDD");
    EXPECT_TRUE(player_->WaitForEvent("usb", {{"state", "removed"}}));
}

TEST_F(UsbSystemTest, PlaylistOnlyDiskEmptiesTheMediaAndVideoOnlyDiskChangesNothing) {
    Start();
    WriteHostFile(Disk() / "video" / "other.mp4", "clip");
    Plug();
    ASSERT_TRUE(player_->WaitForEvent("usb", {{"state", "no-programs"}})) << player_->Output();
    ASSERT_TRUE(
        test::Eventually([&] { return player_->Events("program-start").size() >= 2; }, 30s));
    EXPECT_EQ(player_->Events("program-start").back()["id"], "1");
    EXPECT_EQ(Read(card() / "video" / "old.mp4"), "old clip");
    stdfs::remove_all(root() / "HDD");
    ASSERT_TRUE(player_->WaitForEvent("usb", {{"state", "removed"}}));

    WriteHostFile(Disk() / "xml" / "playlist.xml",
                  PlaylistXml({{.id = "5", .areas = {AreaXml(0, 1)}}}));
    Plug();
    ASSERT_TRUE(player_->WaitForEvent("usb", {{"state", "imported"}})) << player_->Output();
    EXPECT_TRUE(player_->WaitForEvent("program-start", {{"id", "5"}}));
    EXPECT_TRUE(stdfs::is_empty(card() / "video"));
}

}  // namespace
}  // namespace led::test
