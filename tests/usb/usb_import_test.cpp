// Importing a USB disk's program set: what lands in the run mode's
// directories, what stays when the copy cannot be completed, and what of the
// disk is never trusted.

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "core/Player.h"
#include "support/PlayerProcess.h"
#include "support/TestPlayer.h"
#include "usb/UsbDisk.h"
#include "usb/UsbImport.h"

namespace led {
namespace {

namespace stdfs = std::filesystem;
using Kind = ImportOutcome::Kind;

std::string Read(const stdfs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::set<std::string> Names(const stdfs::path& dir) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : stdfs::directory_iterator(dir, ec)) names.insert(e.path().filename());
    return names;
}

class UsbImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        player_ = test::MakeTestPlayer(root());
        test::WriteHostFile(root() / "nand" / "x", "");
        test::WriteHostFile(card() / "xml" / "playlist.xml", old_playlist_);
        test::WriteHostFile(card() / "video" / "old.mp4", "old clip");
    }
    stdfs::path root() const { return dir_.Path() / "root"; }
    stdfs::path card() const { return root() / "Storage Card"; }
    stdfs::path disk() const { return root() / "HDD"; }
    void ExpectOldSet() {
        EXPECT_EQ(Read(card() / "xml" / "playlist.xml"), old_playlist_);
        EXPECT_EQ(Names(card() / "video"), std::set<std::string>{"old.mp4"});
        EXPECT_EQ(Names(card()), (std::set<std::string>{"xml", "video"})) << "nothing staged";
    }

    test::TempDir dir_;
    std::unique_ptr<Player> player_;
    const std::string old_playlist_ = test::PlaylistXml({{.id = "OLD"}});
};

TEST_F(UsbImportTest, DiskSetReplacesTheOldOneWithTopLevelMediaAndTheWholeXmlTree) {
    test::WriteHostFile(disk() / "xml" / "playlist.xml", "new playlist");
    test::WriteHostFile(disk() / "xml" / "pages" / "p1.bmp", "page");
    test::WriteHostFile(disk() / "video" / "a.mp4", std::string(3 << 20, 'a'));
    test::WriteHostFile(disk() / "video" / "empty.bmp", "");
    test::WriteHostFile(disk() / "video" / "deeper" / "skip.mp4", "not copied");

    auto out = ImportPrograms(*player_);
    ASSERT_EQ(out.kind, Kind::Imported) << out.reason;
    EXPECT_EQ(out.files, 4);
    EXPECT_EQ(Read(card() / "xml" / "playlist.xml"), "new playlist");
    EXPECT_EQ(Read(card() / "xml" / "pages" / "p1.bmp"), "page");
    EXPECT_EQ(Names(card() / "video"), (std::set<std::string>{"a.mp4", "empty.bmp"}));
    EXPECT_EQ(stdfs::file_size(card() / "video" / "a.mp4"), 3u << 20);
    EXPECT_EQ(Names(card()), (std::set<std::string>{"xml", "video"})) << "no staging left";
    // The progress counters cover exactly what was copied.
    EXPECT_EQ(player_->copy.totalBytes.load(), (3u << 20) + 12 + 4);
    EXPECT_EQ(player_->copy.copiedBytes.load(), player_->copy.totalBytes.load());
}

TEST_F(UsbImportTest, XmlWithoutVideoEmptiesTheMediaAndNoXmlTouchesNothing) {
    test::WriteHostFile(disk() / "video" / "a.mp4", "clip");
    EXPECT_EQ(ImportPrograms(*player_).kind, Kind::NoPrograms);
    ExpectOldSet();

    stdfs::remove_all(disk());
    test::WriteHostFile(disk() / "xml" / "playlist.xml", "playlist only");
    ASSERT_EQ(ImportPrograms(*player_).kind, Kind::Imported);
    EXPECT_EQ(Read(card() / "xml" / "playlist.xml"), "playlist only");
    EXPECT_TRUE(stdfs::is_directory(card() / "video"));
    EXPECT_TRUE(Names(card() / "video").empty());
}

TEST_F(UsbImportTest, DiskRemovedHalfwayLeavesTheOldSet) {
    test::WriteHostFile(disk() / "xml" / "playlist.xml", "new playlist");
    for (const char* name : {"a.mp4", "b.mp4", "c.mp4"})
        test::WriteHostFile(disk() / "video" / name, std::string(2 << 20, 'v'));
    bool pulled = false;
    auto out = ImportPrograms(*player_, [&](uint64_t copied) {
        if (!pulled && copied >= (3u << 20)) {
            stdfs::remove_all(disk());
            pulled = true;
        }
    });
    ASSERT_TRUE(pulled);
    EXPECT_EQ(out.kind, Kind::Failed);
    ExpectOldSet();
}

TEST_F(UsbImportTest, LinksOutOfTheDiskAndNamesThatClimbAreNotFollowed) {
    test::WriteHostFile(dir_.Path() / "secret.txt", "outside");
    test::WriteHostFile(disk() / "xml" / "playlist.xml", "new playlist");
    test::WriteHostFile(disk() / "video" / "real.mp4", "clip");
    stdfs::create_directories(disk() / "video");
    stdfs::create_symlink(dir_.Path() / "secret.txt", disk() / "video" / "secret.mp4");
    stdfs::create_directory_symlink(dir_.Path(), disk() / "xml" / "outside");
    stdfs::create_symlink(disk() / "video" / "real.mp4", disk() / "video" / "alias.mp4");
    test::WriteHostFile(disk() / "video" / "..\\..\\..\\nand\\evil.dat", "climb");

    auto out = ImportPrograms(*player_);
    ASSERT_EQ(out.kind, Kind::Imported) << out.reason;
    EXPECT_EQ(Names(card() / "video"), (std::set<std::string>{"real.mp4", "alias.mp4"}));
    EXPECT_EQ(Read(card() / "video" / "alias.mp4"), "clip") << "a link on the disk is copied";
    EXPECT_EQ(Names(card() / "xml"), std::set<std::string>{"playlist.xml"});
    EXPECT_FALSE(stdfs::exists(root() / "nand" / "evil.dat"));
}

TEST_F(UsbImportTest, InsertedDiskIsImportedAndPlaybackRestartsFromIt) {
    test::WriteHostFile(disk() / "xml" / "playlist.xml",
                        test::PlaylistXml({{.id = "7", .areas = {test::AreaXml(0, 1)}},
                                           {.id = "8", .areas = {test::AreaXml(0, 1)}}}));
    player_->LayerOf(Layer::Normal).currentIndex = 0;
    player_->usb.usbNotice = kUsbInserted;
    HandleUsbNotice(*player_);
    EXPECT_EQ(player_->usb.usbNotice.load(), 0);
    EXPECT_FALSE(player_->playback.hold.Busy());
    ASSERT_EQ(player_->Programs()->normal.size(), 2u);
    EXPECT_EQ(player_->Programs()->normal[0].idText, "7");
    for (Layer layer : {Layer::Normal, Layer::Osd}) {
        EXPECT_EQ(player_->LayerOf(layer).currentIndex.load(), -1);
        EXPECT_TRUE(player_->LayerOf(layer).programFinished.load());
    }

    // A removal only clears the notice.
    player_->usb.usbNotice = kUsbRemoved;
    HandleUsbNotice(*player_);
    EXPECT_EQ(player_->usb.usbNotice.load(), 0);
}

TEST(UsbNoticeTest, ArrivalAndRemovalCompleteAreTheOnlyNotices) {
    test::TempDir dir;
    auto player = test::MakeTestPlayer(dir.Path() / "root");
    EXPECT_EQ(UsbDeviceChangeNotice(*player, kDeviceArrival, 0), kUsbInserted);
    EXPECT_EQ(player->usb.usbNotice.load(), kUsbInserted);
    EXPECT_EQ(UsbDeviceChangeNotice(*player, kDeviceRemoveComplete, 0), kUsbRemoved);
    EXPECT_EQ(UsbDeviceChangeNotice(*player, 0x0007, 0), 0);
    EXPECT_EQ(player->usb.usbNotice.load(), 0);
}

}  // namespace
}  // namespace led
