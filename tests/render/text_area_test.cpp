// The text area: items written once onto the main window, pen placement,
// counters.

#include <gtest/gtest.h>

#include "support/AreaHarness.h"
#include "render/TextArea.h"

namespace led {
namespace {

using test::Eventually;

class TextAreaTest : public test::AreaHarness {
protected:
    static AreaItem Text(const std::string& text, int height, int32_t colour, bool lineBreak) {
        AreaItem item;
        item.text = text;
        item.font.height = height;
        item.font.colour = colour;
        item.lineBreak = lineBreak;
        return item;
    }

    // The bounding box of the raster pixels whose strongest channel is the
    // given one (0x00RRGGBB shift 16, 8 or 0): antialiased glyph edges blend,
    // glyph cores do not.
    Rect BoxOf(int shift) {
        const Surface raster = player->output.display->CaptureRaster();
        Rect box;
        for (int y = 0; y < raster.Height(); ++y)
            for (int x = 0; x < raster.Width(); ++x) {
                const uint32_t px = raster.Pixel(x, y);
                const int c = int(px >> shift) & 0xff;
                const int others = int(((px >> 16) & 0xff) + ((px >> 8) & 0xff) + (px & 0xff)) - c;
                if (c > 160 && others < 120) box = box.United({x, y, 1, 1});
            }
        return box;
    }

    ProgramRun& Run() { return *player->playback.normal.Run(); }
};

TEST_F(TextAreaTest, ALineBreakReturnsThePenToTheLeftEdgeBelowThePreviousItem) {
    area = {20, 10, 170, 80};
    AreaRecord a = MakeArea(area_type::kText);
    a.items = {Text("AB", 24, 0x0000ff, false),   // red (0x00BBGGRR)
               Text("CD", 24, 0x00ff00, true),    // green, on a new line
               Text("EF", 24, 0xff0000, false)};  // blue, right of green
    player->playback.normal.requiredPlaytimes = 2;
    Start(std::move(a));
    ASSERT_TRUE(Eventually([&] { return Run().exitCounter == 1; }));
    EXPECT_EQ(Run().completionCounters[0], 2) << "the text counts as played once drawn";

    const Rect red = BoxOf(16), green = BoxOf(8), blue = BoxOf(0);
    ASSERT_FALSE(red.IsEmpty());
    ASSERT_FALSE(green.IsEmpty());
    ASSERT_FALSE(blue.IsEmpty());
    EXPECT_GE(red.x, 20);
    EXPECT_GE(red.y, 10);
    EXPECT_LT(red.Bottom(), 10 + 24 + 1);
    EXPECT_GE(green.y, 10 + 24) << "down by the first item's height";
    EXPECT_LT(green.x, red.Right()) << "back at the left edge";
    EXPECT_GE(blue.x, green.Right()) << "to the right of the second item";
    EXPECT_GE(blue.y, 10 + 24);
    EXPECT_LE(blue.Right(), 20 + 170) << "inside the area";
}

TEST_F(TextAreaTest, WithoutItemsOnlyTheCompletionCounterIsSet) {
    player->playback.normal.requiredPlaytimes = 3;
    Start(MakeArea(area_type::kText));
    ASSERT_TRUE(Eventually([&] { return Run().exitCounter == 1; }));
    EXPECT_EQ(Run().completionCounters[0], 3);
    EXPECT_EQ(player->playback.normal.cycleMessageCount, 0);
}

TEST_F(TextAreaTest, EmptyAndHugeTextsAreDrawnCutToTheAreaAndCount) {
    area = {20, 10, 100, 30};
    AreaRecord a = MakeArea(area_type::kText);
    a.items = {Text("", 24, 0x0000ff, false),
               Text(std::string(64 * 1024, 'W'), 24, 0x00ff00, false)};
    Start(std::move(a));
    ASSERT_TRUE(Eventually([&] { return Run().exitCounter == 1; }));
    EXPECT_EQ(Run().completionCounters[0], 1);
    const Rect green = BoxOf(8);
    ASSERT_FALSE(green.IsEmpty()) << "the long line shows as far as the area goes";
    EXPECT_GE(green.x, 20);
    EXPECT_GE(green.y, 10);
    EXPECT_LE(green.Right(), 20 + 100) << "and not beyond";
    EXPECT_LE(green.Bottom(), 10 + 30);
}

TEST(TextItemsTest, AFontThatCannotBeMadeStopsTheDrawingThere) {
    Surface s(100, 40);
    Canvas canvas(s);
    TextItem ok;
    ok.text = "A";
    ok.height = 20;
    ok.colour = 0x0000ff;
    TextItem bad = ok;
    bad.height = 1 << 30;  // no screen is that tall
    EXPECT_FALSE(DrawTextItems(canvas, s.Bounds(), {ok, bad, ok}));
    EXPECT_TRUE(DrawTextItems(canvas, s.Bounds(), {ok}));
}

}  // namespace
}  // namespace led
