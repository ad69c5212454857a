// The upload's status corner: icons, the spinner's steps, "overtime", and
// the switch that keeps the screen clean.

#include <gtest/gtest.h>

#include "core/Player.h"
#include "core/ResourceBitmaps.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

class TransferStatusTest : public ::testing::Test {
protected:
    TransferStatusTest() : player_(test::MakeTestPlayer(dir_.Path() / "root")) {
        test::OpenMainWindow(*player_, {64, 32});
    }
    uint32_t Corner(int x, int y) {
        return player_->output.display->CaptureRaster().Pixel(x, y) & 0xffffff;
    }
    static uint32_t IconPixel(int icon, int x, int y) {
        return ResourceBitmap(icon)->Pixel(x, y) & 0xffffff;
    }
    Display* display() { return player_->output.display.get(); }

    test::TempDir dir_;
    std::unique_ptr<Player> player_;
};

TEST_F(TransferStatusTest, IconsSitSideBySideInTheCornerUntilCleared) {
    TransferStatus& status = player_->transferStatus;
    status.ShowIcons(display(), true, {kIconSpinner0, kIconReceiving});
    EXPECT_EQ(status.Showing(), "131 138");
    EXPECT_EQ(Corner(8, 2), IconPixel(kIconSpinner0, 8, 2));
    EXPECT_EQ(Corner(16 + 8, 3), IconPixel(kIconReceiving, 8, 3));

    // The spinner goes round its four steps, the second icon beside it.
    for (int expected :
         {kIconSpinner0, kIconSpinner1, kIconSpinner2, kIconSpinner3, kIconSpinner0}) {
        status.Spin(display(), true);
        EXPECT_EQ(status.Showing(), std::to_string(expected) + " 138");
    }
    EXPECT_NE(IconPixel(kIconSpinner0, 8, 2), IconPixel(kIconSpinner1, 8, 2)) << "steps differ";

    status.Clear();
    EXPECT_EQ(status.Showing(), "");
    EXPECT_EQ(Corner(8, 2), 0u) << "the main window again";
}

TEST_F(TransferStatusTest, OvertimeIsWrittenAndTheSwitchKeepsTheScreenClean) {
    TransferStatus& status = player_->transferStatus;
    status.ShowText(display(), true, "overtime");
    EXPECT_EQ(status.Showing(), "overtime");
    int lit = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x) lit += Corner(x, y) == 0xffffff;
    EXPECT_GT(lit, 10);
    status.Clear();

    status.ShowIcons(display(), false, {kIconFailed});
    status.ShowText(display(), false, "overtime");
    EXPECT_EQ(status.Showing(), "");
    EXPECT_EQ(Corner(8, 8), 0u);
}

}  // namespace
}  // namespace led
