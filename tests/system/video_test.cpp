// The real player plays a program with a video area: events and a snapshot
// taken while the clip shows.

#include <gtest/gtest.h>

#include "platform/image/ImageCodec.h"
#include "support/PlayerProcess.h"
#include "support/TestMedia.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

using test::SecondOfDay;

TEST(VideoSystemTest, ClipPlaysInItsAreaThenTheMissingItemIsSkippedAndTheAreaReports) {
    const auto& media = test::GetTestMedia();
    test::TempDir dir;
    auto root = dir.Path() / "device";
    // 2 s of colour bars, 320 x 240, at (64, 40); then a clip that is not there.
    const std::string area =
        "<area id=\"0\" x=\"64\" y=\"40\" w=\"320\" h=\"240\" type=\"5\"><name>v</name>"
        "<filename id=\"0\"><streamtype>0</streamtype><filepath>C:/clips/bars.mp4</filepath>"
        "</filename><filename id=\"1\"><streamtype>0</streamtype><filepath>gone.mp4</filepath>"
        "</filename></area>";
    test::MakeDeviceRoot(root, test::PlaylistXml({{.id = "V", .playtime = 60, .areas = {area}}}));
    std::filesystem::copy_file(media.h264Mp4, root / "Storage Card" / "video" / "bars.mp4");
    auto snapshots = dir.Path() / "snapshots";

    // The player's clock runs twice real time; the clip plays in real time.
    auto run = test::RunPlayer(
        root, {"--clock-start", "2026-03-05 10:00:00", "--time-scale", "2", "--run-for", "12",
               "--snapshot-dir", snapshots.string(), "--snapshot-every", "1"});
    ASSERT_EQ(run.exitStatus, 0) << run.output;

    auto starts = run.Events("program-start");
    ASSERT_FALSE(starts.empty()) << run.output;
    EXPECT_EQ(starts[0]["id"], "V");
    auto videos = run.Events("video-start");
    ASSERT_FALSE(videos.empty()) << run.output;
    EXPECT_EQ(videos[0]["name"], "\\Storage Card\\video\\bars.mp4");
    EXPECT_EQ(videos[0]["playtime"], 3);
    auto failed = run.Events("video-failed");
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0]["name"], "\\Storage Card\\video\\gone.mp4");
    auto cycles = run.Events("area-cycle");
    ASSERT_FALSE(cycles.empty()) << run.output;
    EXPECT_EQ(cycles[0]["layer"], "normal");
    EXPECT_EQ(cycles[0]["area"], 0);
    EXPECT_EQ(cycles[0]["count"], 1);
    // 3 s of real time is 6 s of player time.
    EXPECT_GE(SecondOfDay(cycles[0]) - SecondOfDay(videos[0]), 5.5);

    // A snapshot taken while the clip showed: the bars inside the area, black
    // everywhere else.
    const double from = SecondOfDay(videos[0]) + 1, to = SecondOfDay(cycles[0]) - 1;
    int looked = 0;
    for (const auto& snap : run.Events("snapshot")) {
        if (SecondOfDay(snap) < from || SecondOfDay(snap) > to) continue;
        auto image = ImageCodec().Load(snap["file"].get<std::string>());
        ASSERT_TRUE(image.Ok()) << image.Message();
        const Surface& s = image.picture;
        const Rect inside{64, 40, 320, 240};
        int blackInside = test::CountPixels(s, inside, 0);
        EXPECT_LT(blackInside, inside.width * inside.height / 4) << snap["file"];
        EXPECT_EQ(test::CountPixels(s, s.Bounds(), 0),
                  s.Width() * s.Height() - inside.width * inside.height + blackInside)
            << snap["file"];
        ++looked;
    }
    EXPECT_GE(looked, 1);
}

}  // namespace
}  // namespace led
