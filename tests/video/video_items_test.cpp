#include <gtest/gtest.h>

#include "storage/Files.h"
#include "support/FakeMedia.h"
#include "support/TestPlayer.h"
#include "video/VideoItems.h"

namespace led {
namespace {

TEST(VideoItemsTest, DestinationIsPaddedToSixteenByFour) {
    EXPECT_EQ(VideoDestination(1920, 1080), (EdgeRect{0, 0, 1919, 1079}));
    EXPECT_EQ(VideoDestination(1000, 250), (EdgeRect{0, 0, 1015, 253}));
    EXPECT_EQ(VideoDestination(64, 30), (EdgeRect{0, 0, 63, 33}));
}

TEST(VideoItemsTest, PlayerVolumeMapsToHundredthsOfADecibel) {
    EXPECT_EQ(GraphVolume(100), 0);
    EXPECT_EQ(GraphVolume(0), -10000);
    EXPECT_EQ(GraphVolume(55), -4500);

    test::TempDir dir;
    auto player = test::MakeTestPlayer(dir.Path());
    auto normal = std::make_unique<test::FakeMediaGraph>();
    auto osd = std::make_unique<test::FakeMediaGraph>();
    normal->Open("clip.mp4", nullptr);
    auto* n = normal.get();
    auto* o = osd.get();
    player->video.normal.graph = std::move(normal);
    player->video.osd.graph = std::move(osd);
    SetVideoVolume(*player, 55);
    // Both layers' graphs are told; the one that holds no file has nothing to set.
    EXPECT_EQ(n->Calls(), (std::vector<std::string>{"Open clip.mp4", "Volume -4500"}));
    EXPECT_EQ(o->Calls(), (std::vector<std::string>{"Volume -4500"}));
    EXPECT_EQ(n->Volume(), -4500);
}

TEST(VideoItemsTest, StreamAddressStartsAtItsScheme) {
    EXPECT_EQ(StreamAddress("\\Storage Card\\video\\mms://10.0.0.5/live"), "mms://10.0.0.5/live");
    EXPECT_EQ(StreamAddress("junk before rtsp://cam/stream"), "rtsp://cam/stream");
    EXPECT_EQ(StreamAddress("x http://a/b?u=mms://c"), "http://a/b?u=mms://c")
        << "first scheme wins";
    EXPECT_EQ(StreamAddress("\\Storage Card\\video\\plain.mp4"),
              "\\Storage Card\\video\\plain.mp4");
}

TEST(VideoItemsTest, MediaNameResolvesFilesAndKeepsStreams) {
    test::TempDir dir;
    auto player = test::MakeTestPlayer(dir.Path());
    test::WriteHostFile(dir.Path() / "Storage Card" / "video" / "Clip.MP4", "x");
    AreaItem item;
    item.path = "\\Storage Card\\video\\clip.mp4";
    EXPECT_EQ(MediaName(item, player->fs),
              (dir.Path() / "Storage Card" / "video" / "Clip.MP4").string());
    item.path = "\\Storage Card\\video\\..\\..\\etc\\passwd";
    EXPECT_EQ(MediaName(item, player->fs), "") << "never leaves the volume";
    item.streamtype = stream_type::kNetwork;
    item.path = "\\Storage Card\\video\\udp://127.0.0.1:5000";
    EXPECT_EQ(MediaName(item, player->fs), "udp://127.0.0.1:5000");
    item.path = "\\Storage Card\\video\\clip.mp4";
    EXPECT_EQ(MediaName(item, player->fs),
              (dir.Path() / "Storage Card" / "video" / "Clip.MP4").string())
        << "a stream without a scheme is a file of the device";
    item.path = "video\\clip.mp4";
    EXPECT_EQ(MediaName(item, player->fs), "") << "never relative to the working directory";
}

TEST(VideoItemsTest, CameraSizeFromTheAreaSizeFile) {
    test::TempDir dir;
    auto player = test::MakeTestPlayer(dir.Path());
    std::filesystem::create_directories(dir.Path() / "nand");
    EXPECT_EQ(ReadCameraSize(player->fs), Size{}) << "missing file";
    for (auto [text, size] : {std::pair{"720x576", Size{720, 576}},
                              {" 640x480\r\n", Size{640, 480}},
                              {"garbage", Size{}},
                              {"-5x10", Size{0, 10}}}) {
        player->fs.WriteText(files::kTvAreaSize, text);
        EXPECT_EQ(ReadCameraSize(player->fs), size) << text;
    }
}

}  // namespace
}  // namespace led
