// What the end of a control session leaves of the upload it was running.

#include <gtest/gtest.h>

#include "core/Player.h"
#include "net/ControlSession.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

class SessionEndTest : public ::testing::Test {
protected:
    SessionEndTest() {
        std::filesystem::create_directories(dir.Path() / "nand" / "table");
        player = test::MakeTestPlayer(dir.Path());
        test::OpenMainWindow(*player);
    }
    // An upload under way: the spinner up, both schedulers held.
    void Uploading() {
        player->network.uploadInProgress = true;
        player->playback.hold.suspend[0] = 1;
        player->playback.hold.suspend[1] = 1;
        player->transferStatus.Spin(player->output.display.get(), true);
        ASSERT_NE(player->transferStatus.Showing(), "");
    }

    test::TempDir dir;
    std::unique_ptr<Player> player;
};

TEST_F(SessionEndTest, TheSpinnerGoesWhateverEndedTheSessionPlaybackOnlyWhenThePeerLeft) {
    Uploading();
    EndSessionUpload(*player, "silence");
    EXPECT_EQ(player->transferStatus.Showing(), "") << "no spinner left over the program";
    EXPECT_TRUE(player->network.uploadInProgress) << "the hold waits for the next upload";
    EXPECT_EQ(player->playback.hold.suspend[0], 1);

    for (const char* reason : {"peer closed", "error"}) {
        SCOPED_TRACE(reason);
        Uploading();
        EndSessionUpload(*player, reason);
        EXPECT_EQ(player->transferStatus.Showing(), "");
        EXPECT_FALSE(player->network.uploadInProgress);
        EXPECT_EQ(player->playback.hold.suspend[0], 0);
        EXPECT_EQ(player->playback.hold.suspend[1], 0);
    }

    // A session that ran no upload leaves another's icons alone.
    player->transferStatus.ShowIcons(player->output.display.get(), true, {kIconFinished});
    EndSessionUpload(*player, "peer closed");
    EXPECT_NE(player->transferStatus.Showing(), "");
}

}  // namespace
}  // namespace led
