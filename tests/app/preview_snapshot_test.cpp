// Snapshots with display.preview: the playlist's screen (and OSD band),
// enlarged, or the whole raster as before.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/Startup.h"
#include "core/Player.h"
#include "platform/image/ImageCodec.h"
#include "program/PlaylistReader.h"
#include "support/ImageFiles.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

const char* kPlaylist = "\\Storage Card\\xml\\playlist.xml";

std::string PlaylistWithScreen(int w, int h, const std::string& programs = "") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root><screens><screen w=\"" +
           std::to_string(w) + "\" h=\"" + std::to_string(h) + "\"><programs>" + programs +
           "</programs></screen></screens></root>\n";
}

// An OSD program with one picture area of 128 x 16 at the top of the screen.
const std::string kOsdProgram =
    "<program id=\"O\" osd=\"0\"><playtime>10</playtime><area id=\"0\" x=\"0\" y=\"0\" "
    "w=\"128\" h=\"16\" type=\"4\"><name>a</name></area></program>";

class PreviewSnapshotTest : public ::testing::Test {
protected:
    // A full-HD raster covered by a pattern, the playlist read, then the
    // snapshot thread's first complete picture; `raster` gets what it showed.
    Surface FirstSnapshot(const std::string& preview, const std::string& playlistXml) {
        test::WriteHostFile(dir.Path() / "Storage Card" / "xml" / "playlist.xml", playlistXml);
        player = test::MakeTestPlayer(dir.Path());
        player->settings.preview = preview;
        player->settings.snapshotDir = (dir.Path() / "snapshots").string();
        player->settings.snapshotEvery = 1;
        test::OpenMainWindow(*player, {1920, 1080});
        player->output.mainWindow->Paint()->Copy(test::PatternPicture(1920, 1080), {0, 0});
        raster = player->output.display->CaptureRaster();
        EXPECT_EQ(ReadPlaylist(*player, kPlaylist), 0);
        StartRunHelpers(*player);
        // One thread writes them in turn: the first is complete once a second exists.
        std::vector<std::filesystem::path> files;
        for (int i = 0; i < 20000 && files.size() < 2; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            files.clear();
            for (const auto& e : std::filesystem::directory_iterator(dir.Path() / "snapshots"))
                files.push_back(e.path());
        }
        player.reset();
        if (files.size() < 2) {
            ADD_FAILURE() << "no snapshot written";
            return {};
        }
        std::sort(files.begin(), files.end());
        auto image = ImageCodec().Load(files[0].string());
        EXPECT_TRUE(image.Ok()) << image.Message();
        return std::move(image.picture);
    }

    // Each raster pixel of `source` is a factor x factor square of the snapshot.
    void ExpectEnlarged(const Surface& snapshot, const Rect& source, int factor) {
        ASSERT_EQ(snapshot.GetSize(), (Size{source.width * factor, source.height * factor}));
        const Point samples[] = {{0, 0},
                                 {source.width - 1, source.height - 1},
                                 {5, 40},
                                 {source.width - 3, 7},
                                 {1, source.height - 2}};
        for (Point p : samples)
            for (int corner = 0; corner < 4; ++corner) {
                int x = p.x * factor + (corner & 1) * (factor - 1);
                int y = p.y * factor + (corner >> 1) * (factor - 1);
                EXPECT_EQ(snapshot.Pixel(x, y) & 0xffffff,
                          raster.Pixel(source.x + p.x, source.y + p.y) & 0xffffff)
                    << "snapshot " << x << "," << y;
            }
    }

    test::TempDir dir;
    std::unique_ptr<Player> player;
    Surface raster;
};

TEST_F(PreviewSnapshotTest, ScreenPreviewShowsTheEnlargedScreenOnly) {
    Surface snapshot = FirstSnapshot("screen", PlaylistWithScreen(128, 64));
    // 16 x 128 would be wider than full HD.
    ExpectEnlarged(snapshot, {0, 0, 128, 64}, 15);
}

TEST_F(PreviewSnapshotTest, ScreenPreviewTakesTheOsdBandBelowTheScreen) {
    Surface snapshot = FirstSnapshot("screen", PlaylistWithScreen(128, 64, kOsdProgram));
    // The OSD area sits at the OSD offset line (64): 80 lines in all.
    ExpectEnlarged(snapshot, {0, 0, 128, 80}, 13);
}

TEST_F(PreviewSnapshotTest, RasterPreviewKeepsTheWholeRaster) {
    Surface snapshot = FirstSnapshot("raster", PlaylistWithScreen(128, 64));
    ExpectEnlarged(snapshot, {0, 0, 1920, 1080}, 1);
}

}  // namespace
}  // namespace led
