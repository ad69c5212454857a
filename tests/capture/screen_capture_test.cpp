// Captures of the composed raster: the bitmap layout the tool reads, the
// camera folder's contents and the JPEG of a playing video.

#include <gtest/gtest.h>

#include "capture/ScreenCapture.h"
#include "core/Player.h"
#include "platform/image/ImageCodec.h"
#include "support/FakeMedia.h"
#include "support/ImageFiles.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

class ScreenCaptureTest : public ::testing::Test {
protected:
    void Open(Size size) {
        player_ = test::MakeTestPlayer(dir_.Path() / "root");
        std::filesystem::create_directories(dir_.Path() / "root" / "nand");
        test::OpenMainWindow(*player_, size);
        picture_ = test::PatternPicture(size.width, size.height);
        auto painter = player_->output.mainWindow->Paint();
        painter->Copy(picture_);
    }
    std::vector<uint8_t> Camera(const std::string& name) {
        return test::ReadBytes(dir_.Path() / "root" / "nand" / "Camera" / name);
    }
    // Checks a capture's headers and that its rows hold rows [top, top +
    // height) of the picture, bottom row first, each padded to four bytes.
    void ExpectBitmapOf(const std::vector<uint8_t>& file, int top, int height) {
        const int w = picture_.Width();
        const size_t stride = (size_t(w) * 3 + 3) / 4 * 4;
        ASSERT_EQ(file.size(), 54 + stride * size_t(height));
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        EXPECT_EQ(Le32(file, 2), file.size());
        EXPECT_EQ(Le32(file, 10), 54u);
        EXPECT_EQ(Le32(file, 14), 40u);
        EXPECT_EQ(Le32(file, 18), uint32_t(w));
        EXPECT_EQ(Le32(file, 22), uint32_t(height));
        EXPECT_EQ(file[28], 24);
        for (int row = 0; row < height; ++row) {
            const int y = top + height - 1 - row;
            const uint8_t* p = file.data() + 54 + stride * size_t(row);
            for (int x = 0; x < w; ++x, p += 3) {
                const uint32_t px = picture_.Pixel(x, y) & 0xffffff;
                ASSERT_EQ(uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0], px)
                    << "x " << x << " y " << y;
            }
            for (size_t pad = size_t(w) * 3; pad < stride; ++pad, ++p) ASSERT_EQ(*p, 0);
        }
    }

    test::TempDir dir_;
    std::unique_ptr<Player> player_;
    Surface picture_;
};

TEST_F(ScreenCaptureTest, BitmapsHoldTheScreenAndTheOsdBandWithPaddedRows) {
    for (Size size : {Size{1366, 6}, Size{1, 5}, Size{8, 3}}) {
        SCOPED_TRACE(size.width);
        Open(size);
        player_->screen.osdOffsetLine = 2;
        auto files = CaptureToCamera(*player_);
        ASSERT_EQ(files.size(), 2u);
        ExpectBitmapOf(Camera("org.bmp"), 0, size.height);
        ExpectBitmapOf(Camera("osd.bmp"), 2, size.height - 2);
        EXPECT_EQ(files[0].size, Camera("org.bmp").size());
    }
}

TEST_F(ScreenCaptureTest, CameraFolderIsEmptiedAndAnOsdBandBelowTheScreenGivesNoRows) {
    Open({16, 4});
    test::WriteHostFile(dir_.Path() / "root" / "nand" / "Camera" / "old.jpg", "stale");
    player_->screen.osdOffsetLine = 1080;  // no OSD band on this raster
    auto files = CaptureToCamera(*player_);
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "root" / "nand" / "Camera" / "old.jpg"));
    ExpectBitmapOf(Camera("osd.bmp"), 4, 0);
    // Nothing plays: the two bitmaps only.
    EXPECT_EQ(files.size(), 2u);
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(dir_.Path() / "root" / "nand" / "Camera"),
                      {}),
        2);
}

TEST_F(ScreenCaptureTest, CaptureFileIsTheWholeScreen) {
    Open({30, 7});
    ASSERT_TRUE(CaptureScreenFile(*player_));
    ExpectBitmapOf(test::ReadBytes(dir_.Path() / "root" / "nand" / "capture.bmp"), 0, 7);
}

TEST_F(ScreenCaptureTest, PlayingVideoAddsAJpegOfItsPictureNamedByUniversalTime) {
    Open({64, 48});
    // The video window at (16, 8), 32 x 24, showing one colour.
    const Rect video{16, 8, 32, 24};
    {
        auto painter = player_->output.mainWindow->Paint();
        painter->Fill(video, Colour::FromRgb(200, 40, 90));
    }
    auto graph = std::make_unique<test::FakeMediaGraph>();
    ASSERT_TRUE(graph->Open("clip.mp4", player_->output.mainWindow.get()));
    player_->video.normal.graph = std::move(graph);
    player_->video.normal.SetVideoRect(video);
    player_->video.normal.BeginItem();

    const std::string before = VideoCaptureName(player_->clock.UtcNow());
    auto files = CaptureToCamera(*player_);
    const std::string after = VideoCaptureName(player_->clock.UtcNow());
    ASSERT_EQ(files.size(), 3u);
    const std::string name = files[0].path.substr(files[0].path.rfind('\\') + 1);
    // The names are fixed-width, so their order is the order of time.
    EXPECT_LE(before, name);
    EXPECT_LE(name, after);
    auto jpeg = ImageCodec().Load(dir_.Path() / "root" / "nand" / "Camera" / name);
    ASSERT_TRUE(jpeg) << jpeg.Message();
    ASSERT_EQ(jpeg.picture.GetSize(), (Size{32, 24}));
    const uint32_t px = jpeg.picture.Pixel(16, 12);
    EXPECT_NEAR(int(px >> 16 & 0xff), 200, 6);
    EXPECT_NEAR(int(px >> 8 & 0xff), 40, 6);
    EXPECT_NEAR(int(px & 0xff), 90, 6);
}

TEST(VideoCaptureNameTest, PadsEveryFieldAndPrintsTheYearWhole) {
    EXPECT_EQ(VideoCaptureName({2026, 3, 5, 7, 8, 9}), "Capture_20260305070809.jpg");
    EXPECT_EQ(VideoCaptureName({2031, 12, 31, 23, 59, 58}), "Capture_20311231235958.jpg");
}

}  // namespace
}  // namespace led
