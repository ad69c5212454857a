// Captures and test patterns of the real player, asked for over its control
// port: what the tool fetches is what a snapshot shows.

#include <gtest/gtest.h>

#include <thread>

#include "platform/image/ImageCodec.h"
#include "platform/image/ImageWriters.h"
#include "support/ControlClient.h"
#include "support/ImageFiles.h"
#include "support/PlayerProcess.h"
#include "support/TestPlayer.h"

namespace led::test {
namespace {

using namespace std::chrono_literals;

class CaptureSystemTest : public ::testing::Test {
protected:
    void Start() {
        // A still picture (shown for an hour) at (100, 60) on the 1920 x 1080 raster.
        const std::string area =
            "<area id=\"0\" x=\"100\" y=\"60\" w=\"320\" h=\"200\" type=\"4\"><name>p</name>"
            "<filename id=\"0\"><filepath>still.bmp</filepath><remain>3600</remain>"
            "<effect_in>0</effect_in></filename></area>";
        MakeDeviceRoot(root(), PlaylistXml({{.id = "P", .playtime = 3600, .areas = {area}}}));
        WriteBytes(root() / "Storage Card" / "video" / "still.bmp",
                   EncodeBmp24(PatternPicture(320, 200)));
        player_ = std::make_unique<LivePlayer>(
            root(),
            std::vector<std::string>{"--clock-start", "2026-03-05 08:00:00", "--time-scale", "10",
                                     "--snapshot-dir", (dir_.Path() / "snapshots").string(),
                                     "--snapshot-every", "1"});
        port_ = player_->Port("tcp");
        ASSERT_GT(port_, 0) << player_->Output();
        ASSERT_TRUE(player_->WaitForEvent("program-start", {{"id", "P"}})) << player_->Output();
        // The picture's entry is over within a few seconds of player time.
        std::this_thread::sleep_for(1s);
    }
    std::filesystem::path root() const { return dir_.Path() / "root"; }
    // The first snapshot logged after `count` snapshot events.
    std::optional<Surface> SnapshotAfter(size_t count) {
        for (int i = 0; i < 300; ++i) {
            auto snaps = player_->Events("snapshot");
            if (snaps.size() > count) {
                auto image = ImageCodec().Load(snaps[count]["file"].get<std::string>());
                if (image) return std::move(image.picture);
                return std::nullopt;
            }
            std::this_thread::sleep_for(20ms);
        }
        return std::nullopt;
    }

    TempDir dir_;
    std::unique_ptr<LivePlayer> player_;
    int port_ = 0;
};

TEST_F(CaptureSystemTest, CameraCaptureOfTheFullHdScreenEqualsTheSnapshot) {
    Start();
    TcpClient tool(port_);
    ASSERT_TRUE(tool.Connected());
    const size_t snapshotsBefore = player_->Events("snapshot").size();
    ASSERT_TRUE(tool.Send(Frame(93)));
    ASSERT_TRUE(player_->WaitForEvent("capture", {{"request", "camera"}})) << player_->Output();
    EXPECT_TRUE(tool.Receive(1, 300ms).empty()) << "code 93 is not answered";

    const auto org = root() / "nand" / "Camera" / "org.bmp";
    ASSERT_EQ(std::filesystem::file_size(org), 6220854u);
    auto captured = ImageCodec().Load(org);
    ASSERT_TRUE(captured) << captured.Message();
    auto snapshot = SnapshotAfter(snapshotsBefore);
    ASSERT_TRUE(snapshot);
    ASSERT_EQ(snapshot->GetSize(), captured.picture.GetSize());
    const Rect picture{100, 60, 320, 200};
    EXPECT_LT(CountPixels(*snapshot, picture, 0), 100) << "the picture shows";
    for (int y = 0; y < snapshot->Height(); ++y)
        for (int x = 0; x < snapshot->Width(); ++x)
            ASSERT_EQ(captured.picture.Pixel(x, y) & 0xffffff, snapshot->Pixel(x, y) & 0xffffff)
                << "x " << x << " y " << y;
    // No video plays: the two bitmaps and nothing else.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(org.parent_path()), {}), 2);
}

TEST_F(CaptureSystemTest, FixedColourPatternFillsTheScreenUntilStopped) {
    Start();
    TcpClient tool(port_);
    ASSERT_TRUE(tool.Connected());
    const Bytes ackStart = {'*', '#', 62, 0, 0, 0, 0, '#', '*'};
    // Pattern 8 is no pattern: acknowledged, nothing stops.
    ASSERT_TRUE(tool.Send(Frame(62, {8})));
    EXPECT_EQ(tool.Receive(9), ackStart);
    EXPECT_TRUE(player_->Events("program-stop").empty());

    ASSERT_TRUE(tool.Send(Frame(62, {6, 255, 0, 128})));
    EXPECT_EQ(tool.Receive(9), ackStart);
    ASSERT_TRUE(player_->WaitForEvent("test-pattern", {{"action", "start"}, {"pattern", 6}}));
    EXPECT_FALSE(player_->Events("program-stop").empty());

    // The tool's download: a fresh capture with its 8-byte head. The pattern
    // thread draws its first frame just after the acknowledgement, so the
    // tool asks again until it shows.
    const uint32_t expected = Colour{0x8000FF}.ToPixel();  // red 255, green 0, blue 128
    int filled = 0;
    for (int attempt = 0; attempt < 20 && filled != 1920 * 1080; ++attempt) {
        ASSERT_TRUE(tool.Send(Frame(151, {0, 4})));
        Bytes head = tool.Receive(8);
        ASSERT_EQ(head.size(), 8u);
        EXPECT_EQ(head[2], 0x97);
        const uint32_t size = head[3] | head[4] << 8 | head[5] << 16 | uint32_t(head[6]) << 24;
        ASSERT_EQ(size, 6220854u);
        Bytes file = tool.Receive(size, 30s);
        ASSERT_EQ(file.size(), size);
        auto bmp = ImageCodec().Decode(file);
        ASSERT_TRUE(bmp) << bmp.Message();
        filled = CountPixels(bmp.picture, bmp.picture.Bounds(), expected);
    }
    EXPECT_EQ(filled, 1920 * 1080);

    ASSERT_TRUE(tool.Send(Frame(63)));
    EXPECT_EQ(tool.Receive(9), Bytes({'*', '#', 63, 0, 0, 0, 0, '#', '*'}));
    EXPECT_TRUE(player_->WaitForEvent("test-pattern", {{"action", "stop"}}));
    // The schedulers start the program again.
    EXPECT_TRUE(
        test::Eventually([&] { return player_->Events("program-start").size() >= 2; }, 30s));
}

}  // namespace
}  // namespace led::test
