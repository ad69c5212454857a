#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/MainWindow.h"
#include "support/FakeMedia.h"
#include "support/TestPlayer.h"
#include "video/MediaEvents.h"

namespace led {
namespace {

using ::testing::ElementsAre;

class MediaEventsTest : public ::testing::Test {
protected:
    MediaEventsTest() {
        auto n = std::make_unique<test::FakeMediaGraph>();
        auto o = std::make_unique<test::FakeMediaGraph>();
        normal = n.get();
        osd = o.get();
        player->video.normal.graph = std::move(n);
        player->video.osd.graph = std::move(o);
    }
    // A clip playing on the layer's graph, with one event pending.
    void Playing(test::FakeMediaGraph& graph, VideoLayer& layer, int event) {
        graph.Open("clip.mp4", nullptr);
        graph.Run();
        graph.PostEvent(event);
        layer.videoPlaying = true;
        SetCameraSwitch(player->video, player->events, true);
    }
    int SwitchLevel() const { return player->video.cameraSwitch->Level(); }

    test::TempDir dir;
    std::unique_ptr<Player> player = test::MakeTestPlayer(dir.Path());
    test::FakeMediaGraph* normal;
    test::FakeMediaGraph* osd;
};

TEST_F(MediaEventsTest, EndOfStreamStopsTheItemAndSwitchesTheCameraOff) {
    Playing(*normal, player->video.normal, graph_event::kComplete);
    EXPECT_EQ(SwitchLevel(), 0) << "low while a camera item plays";
    HandleGraphEvent(*player, Layer::Normal);
    EXPECT_THAT(normal->Calls(), ElementsAre("Open clip.mp4", "Run", "Stop", "Release"));
    EXPECT_FALSE(normal->IsHeld());
    EXPECT_FALSE(player->video.normal.videoPlaying);
    EXPECT_EQ(SwitchLevel(), 1);
}

TEST_F(MediaEventsTest, RestartStopsTheGraphButLeavesTheItemToItsPlayTime) {
    Playing(*normal, player->video.normal, graph_event::kNeedRestart);
    HandleGraphEvent(*player, Layer::Normal);
    EXPECT_FALSE(normal->IsHeld());
    EXPECT_TRUE(player->video.normal.videoPlaying);
    EXPECT_EQ(SwitchLevel(), 1);
}

TEST_F(MediaEventsTest, ErrorIsOnlyPrinted) {
    Playing(*normal, player->video.normal, graph_event::kErrorAbort);
    testing::internal::CaptureStdout();
    HandleGraphEvent(*player, Layer::Normal);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "erro\n");
    EXPECT_TRUE(normal->Running());
    EXPECT_TRUE(player->video.normal.videoPlaying);
    EXPECT_EQ(SwitchLevel(), 0);
}

TEST_F(MediaEventsTest, CycleMessagesFetchOneEventOfTheirOwnLayer) {
    Playing(*osd, player->video.osd, graph_event::kComplete);
    normal->Open("normal.mp4", nullptr);
    normal->PostEvent(graph_event::kComplete);
    player->video.normal.videoPlaying = true;

    player->device.videoState = 2;  // events are left alone in this state
    MainWndProc(*player, {msg::kOsdCycle, 0, 1});
    EXPECT_TRUE(osd->IsHeld());
    player->device.videoState = 0;
    MainWndProc(*player, {msg::kOsdCycle, 0, 1});
    EXPECT_FALSE(osd->IsHeld());
    EXPECT_FALSE(player->video.osd.videoPlaying);
    EXPECT_TRUE(normal->IsHeld()) << "the other layer's graph is untouched";
    EXPECT_TRUE(player->video.normal.videoPlaying);

    MainWndProc(*player, {msg::kNormalCycle, 0, 0});  // a bare video notification
    EXPECT_FALSE(normal->IsHeld());
    MainWndProc(*player, {msg::kNormalCycle, 0, 0});  // no event pending: nothing happens
    EXPECT_EQ(normal->Calls().back(), "Release");
}

}  // namespace
}  // namespace led
