#include "platform/gpio/Gpio.h"

#include <gtest/gtest.h>

namespace led {
namespace {

TEST(GpioTest, LinesAreNamedByChipAndOffsetOrByTheirOwnName) {
    EXPECT_EQ(ParseGpioLineName("gpiochip0:17"), (GpioLineAddress{"gpiochip0", 17, {}}));
    EXPECT_EQ(ParseGpioLineName("/dev/gpiochip2:3"), (GpioLineAddress{"/dev/gpiochip2", 3, {}}));
    EXPECT_EQ(ParseGpioLineName("1:0"), (GpioLineAddress{"1", 0, {}}));
    EXPECT_EQ(ParseGpioLineName("CAM_SWITCH"), (GpioLineAddress{{}, 0, "CAM_SWITCH"}));
    for (const char* bad : {"", "gpiochip0:", ":4", "gpiochip0:x", "gpiochip0:-1", "0:99999999"})
        EXPECT_EQ(ParseGpioLineName(bad), std::nullopt) << bad;
}

TEST(GpioTest, AConfiguredLineThatIsNotThereIsNeverReportedAsSet) {
    for (const char* name :
         {"gpiochip-ledplayer-none:3", "LEDPLAYER_NO_SUCH_LINE", "gpiochip0:x"}) {
        auto line = OpenGpioLine(name);
        EXPECT_FALSE(line->Set(true)) << name;
        EXPECT_FALSE(line->Set(false)) << name;
        EXPECT_EQ(line->Level(), -1) << name;
    }
    auto none = OpenGpioLine("");
    EXPECT_TRUE(none->Set(false)) << "no line configured: only logged";
    EXPECT_EQ(none->Level(), 0);
}

}  // namespace
}  // namespace led
