// ledctl's schedule texts and text-message payloads, byte by byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "client/Schedules.h"
#include "client/TextMessage.h"

namespace ledctl {
namespace {

TEST(LedctlSchedules, LevelWindowsBecomeFiveByteRecordsAndBack) {
    auto windows = ParseLevelWindows("08:00-18:30=200,18:30-08:00=40", 255, 40);
    Bytes records = EncodeLevelWindows(windows);
    EXPECT_EQ(records, (Bytes{8, 0, 18, 30, 200, 18, 30, 8, 0, 40}));
    auto back = DecodeLevelWindows(records);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(FormatLevelWindow(back[0]), "08:00-18:30=200");
    EXPECT_EQ(FormatLevelWindow(back[1]), "18:30-08:00=40");

    // The volume file is padded with records that hold no time; they are not shown.
    records.resize(15, 0);
    EXPECT_EQ(DecodeLevelWindows(records).size(), 2u);
    // A torn last record is not read.
    EXPECT_EQ(DecodeLevelWindows(Bytes{8, 0, 9, 0}).size(), 0u);

    EXPECT_TRUE(ParseLevelWindows("none", 255, 40).empty());
    EXPECT_TRUE(ParseLevelWindows("", 255, 40).empty());
    for (const char* bad : {"08:00-18:00", "8-18=1", "24:00-01:00=1", "08:00-18:60=1",
                            "08:00-18:00=256", "08:00-18:00=x", "08:00-18:00=1,"})
        EXPECT_THROW(ParseLevelWindows(bad, 255, 40), std::invalid_argument) << bad;
    EXPECT_THROW(ParseLevelWindows("08:00-18:00=101", 100, 3), std::invalid_argument);
    EXPECT_THROW(
        ParseLevelWindows("01:00-02:00=1,02:00-03:00=1,03:00-04:00=1,04:00-05:00=1", 100, 3),
        std::invalid_argument);
}

TEST(LedctlSchedules, RelayWindowsAndStates) {
    auto windows = ParseRelayWindows("1@08:00:05-18:00:00,4@23:59:59-00:00:01");
    Bytes records = EncodeRelayWindows(windows);
    EXPECT_EQ(records, (Bytes{1, 8, 0, 5, 18, 0, 0, 4, 23, 59, 59, 0, 0, 1}));
    auto back = DecodeRelayWindows(records);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(FormatRelayWindow(back[1]), "4@23:59:59-00:00:01");
    EXPECT_THROW(ParseRelayWindows("5@08:00:00-09:00:00"), std::invalid_argument);
    EXPECT_THROW(ParseRelayWindows("1@08:00-09:00"), std::invalid_argument);

    EXPECT_EQ(ParseRelayStates("0=on,3=off"), (Bytes{0, 1, 3, 0}));
    for (const char* bad : {"4=on", "0=1", "0", "=on", ""})
        EXPECT_THROW(ParseRelayStates(bad), std::invalid_argument) << bad;
}

TEST(LedctlTextMessage, PayloadIsRectangleThen512BytesOfUtf16) {
    Bytes p = TextMessagePayload({.left = 10, .top = -2, .width = 300, .height = 40},
                                 "A\\n\xC3\xA9\xF0\x9F\x98\x80");
    ASSERT_EQ(p.size(), 520u);
    // top, left, width, height: signed 16-bit little-endian.
    EXPECT_EQ(Bytes(p.begin(), p.begin() + 8), (Bytes{0xFE, 0xFF, 10, 0, 0x2C, 1, 40, 0}));
    // 'A', '\', 'n', U+00E9, then U+1F600 as a surrogate pair, then zeros.
    EXPECT_EQ(Bytes(p.begin() + 8, p.begin() + 22),
              (Bytes{'A', 0, '\\', 0, 'n', 0, 0xE9, 0, 0x3D, 0xD8, 0x00, 0xDE, 0, 0}));
    EXPECT_EQ(std::count(p.begin() + 20, p.end(), 0), 500);

    // 256 units fill the field without a terminator; one more does not fit.
    EXPECT_EQ(TextMessagePayload({0, 0, 1, 1}, std::string(256, 'x')).size(), 520u);
    EXPECT_THROW(TextMessagePayload({0, 0, 1, 1}, std::string(257, 'x')), std::invalid_argument);
    EXPECT_THROW(TextMessagePayload({0, 0, 1, 1}, std::string(255, 'x') + "\xF0\x9F\x98\x80"),
                 std::invalid_argument);
    // Not UTF-8: a lone continuation byte, a cut sequence, an overlong form, a surrogate.
    for (const char* bad : {"\x80", "a\xC3", "\xC0\xAF", "\xED\xA0\x80"})
        EXPECT_THROW(TextMessagePayload({0, 0, 1, 1}, bad), std::invalid_argument);
    EXPECT_THROW(TextMessagePayload({40000, 0, 1, 1}, "x"), std::invalid_argument);
}

}  // namespace
}  // namespace ledctl
