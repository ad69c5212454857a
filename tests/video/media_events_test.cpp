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
    // A clip playing on the layer's graph, as the video area plays it, with
    // one event pending.
    void Playing(test::FakeMediaGraph& graph, VideoLayer& layer, int event) {
        layer.BeginItem();
        graph.Open("clip.mp4", nullptr);
        layer.TieItem(graph.RunId());
        graph.Run();
        graph.PostEvent(event);
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
    EXPECT_THAT(normal->Calls(), ElementsAre("Open clip.mp4", "Run", "StopRun 1"));
    EXPECT_FALSE(normal->IsHeld());
    EXPECT_FALSE(player->video.normal.videoPlaying);
    EXPECT_EQ(SwitchLevel(), 1);
}

TEST_F(MediaEventsTest, RestartEndsTheItemSoTheAreaGoesOn) {
    auto c = std::make_unique<test::FakeCameraPreview>();
    auto* camera = c.get();
    player->video.camera = std::move(c);
    Playing(*normal, player->video.normal, graph_event::kNeedRestart);
    HandleGraphEvent(*player, Layer::Normal);
    EXPECT_FALSE(normal->IsHeld());
    EXPECT_FALSE(player->video.normal.videoPlaying) << "the area goes on with its next item";
    EXPECT_THAT(camera->Calls(), ElementsAre("Stop"));
    EXPECT_EQ(SwitchLevel(), 1);
}

TEST_F(MediaEventsTest, EventOfAnEarlierRunLeavesTheNextItemPlaying) {
    for (int code : {graph_event::kComplete, graph_event::kNeedRestart}) {
        SCOPED_TRACE(code);
        Playing(*normal, player->video.normal, code);
        // Between the fetch and the handling, the area ends this item by its
        // play time and opens the next one.
        normal->afterTakeEvent = [&] {
            normal->afterTakeEvent = nullptr;
            normal->Stop();
            player->video.normal.videoPlaying = true;
            normal->Open("next.mp4", nullptr);
            normal->Run();
        };
        HandleGraphEvent(*player, Layer::Normal);
        EXPECT_EQ(normal->OpenName(), "next.mp4");
        EXPECT_TRUE(normal->Running());
        EXPECT_TRUE(player->video.normal.videoPlaying);
        normal->Stop();
    }
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
    Playing(*normal, player->video.normal, graph_event::kComplete);

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
    auto calls = normal->Calls().size();
    MainWndProc(*player, {msg::kNormalCycle, 0, 0});  // no event pending: nothing happens
    EXPECT_EQ(normal->Calls().size(), calls);
}

}  // namespace
}  // namespace led
