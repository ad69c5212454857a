// Text messages: the rectangle, the runs and their tags.

#include <gtest/gtest.h>

#include "core/Player.h"
#include "net/TextMessage.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Message(int16_t top, int16_t left, int16_t width, int16_t height, const std::u16string& text,
              bool terminate = true) {
    Bytes p;
    for (int16_t v : {top, left, width, height}) {
        p.push_back(uint8_t(v));
        p.push_back(uint8_t(uint16_t(v) >> 8));
    }
    for (char16_t c : text) {
        p.push_back(uint8_t(c));
        p.push_back(uint8_t(c >> 8));
    }
    if (terminate) p.resize(kTextMessagePayload, 0);
    return p;
}

TEST(TextMessageTest, TagsSetTheRunsThatFollow) {
    auto m = ParseTextMessage(Message(10, 20, 300, 100, u"\\F24\\CFF0000Hello\\nWorld"));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->rect, (Rect{20, 10, 300, 100}));
    ASSERT_EQ(m->runs.size(), 2u);
    EXPECT_EQ(m->runs[0].text, "Hello");
    EXPECT_EQ(m->runs[1].text, "World");
    for (const auto& run : m->runs) {
        EXPECT_EQ(run.height, 32);
        EXPECT_EQ(run.fontSize, 24);
        EXPECT_EQ(run.colour, 0xFF0000u);
    }
    EXPECT_FALSE(m->runs[0].newLine);
    EXPECT_TRUE(m->runs[1].newLine);

    // No tag: one run with the defaults (size 32, height 42, red).
    auto plain = ParseTextMessage(Message(0, 0, 64, 32, u"你好 LED"));
    ASSERT_EQ(plain->runs.size(), 1u);
    EXPECT_EQ(plain->runs[0].text, "你好 LED");
    EXPECT_EQ(plain->runs[0].height, 42);
    EXPECT_EQ(plain->runs[0].colour, 255u);

    // S is reset after each run; H sets the height alone.
    auto items = ParseTextMessage(Message(0, 0, 64, 32, u"\\S05\\H20a\\G07b"));
    ASSERT_EQ(items->runs.size(), 2u);
    EXPECT_EQ(items->runs[0].s, 5);
    EXPECT_EQ(items->runs[0].height, 20);
    EXPECT_EQ(items->runs[1].s, 0);
    EXPECT_EQ(items->runs[1].g, 7);
}

TEST(TextMessageTest, BrokenTextIsDrawnAsItStands) {
    // A tag whose value does not parse, one cut by the end, a lone surrogate.
    auto m = ParseTextMessage(Message(0, 0, 64, 32, u"a\\CXYZ123b\\F2"));
    ASSERT_EQ(m->runs.size(), 1u);
    EXPECT_EQ(m->runs[0].text, "a\\CXYZ123b\\F2");
    EXPECT_EQ(m->runs[0].colour, 255u);

    std::u16string lone = u"x";
    lone += char16_t(0xD800);
    EXPECT_EQ(ParseTextMessage(Message(0, 0, 8, 8, lone))->runs[0].text, "x\xEF\xBF\xBD");

    // 256 characters without a zero, a payload cut inside the text, none at all.
    EXPECT_EQ(ParseTextMessage(Message(0, 0, 8, 8, std::u16string(300, u'z'), false))->runs[0].text,
              std::string(256, 'z'));
    EXPECT_EQ(ParseTextMessage(Message(0, 0, 8, 8, u"abc", false))->runs[0].text, "abc");
    EXPECT_FALSE(ParseTextMessage(Bytes{1, 2, 3}));
}

TEST(TextMessageTest, MessageIsDrawnInItsRectangleInItsColour) {
    test::TempDir dir;
    auto player = test::MakeTestPlayer(dir.Path() / "root");
    test::OpenMainWindow(*player, {320, 240});
    const Rect rect{40, 30, 200, 60};
    // Pixels are 0x00RRGGBB: 255 (0x00BBGGRR) is red, 0xFF0000 blue.
    auto count = [&](uint32_t pixel, const Rect& where) {
        return test::CountPixels(player->output.display->CaptureRaster(), where, pixel);
    };

    ShowTextMessage(*player, *ParseTextMessage(Message(30, 40, 200, 60, u"\\H30HELLO")));
    EXPECT_GT(count(0xFF0000, rect), 50);
    EXPECT_EQ(count(0xFF0000, {0, 0, 320, 30}), 0);  // nothing above the rectangle

    ShowTextMessage(*player, *ParseTextMessage(Message(30, 40, 200, 60, u"\\CFF0000\\H30HELLO")));
    EXPECT_GT(count(0x0000FF, rect), 50);
    EXPECT_EQ(count(0xFF0000, rect), 0);  // the earlier message is gone

    // Off the screen or of no size: nothing drawn, nothing kept.
    ShowTextMessage(*player, *ParseTextMessage(Message(-500, 4000, 10, 10, u"x")));
    ShowTextMessage(*player, *ParseTextMessage(Message(0, 0, -5, 0, u"x")));
    EXPECT_EQ(count(0x0000FF, rect), 0);
}

}  // namespace
}  // namespace led
