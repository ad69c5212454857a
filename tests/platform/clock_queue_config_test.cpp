#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/clock/Clock.h"
#include "platform/config/Settings.h"
#include "platform/messages/MessageQueue.h"

namespace led {
namespace {

TEST(ClockTest, VirtualTimeStartsWhereAskedAndRunsScaled) {
    auto start = LocalTime::Parse("2026-03-05 23:59:58");
    ASSERT_TRUE(start);
    EXPECT_EQ(start->weekday, 4);  // a Thursday
    Clock clock(*start, 1000.0);
    clock.Sleep(5000);  // 5 ms of real time
    LocalTime now = clock.Now();
    EXPECT_EQ(now.day, 6) << now.Format();
    EXPECT_EQ(now.hour, 0);
    EXPECT_GE(clock.Ticks(), 5000);
    EXPECT_FALSE(LocalTime::Parse("2026-13-05 00:00:00"));
    EXPECT_FALSE(LocalTime::Parse("yesterday"));
}

TEST(ClockTest, SteppedClockMovesOnlyWhenSlept) {
    Clock clock = Clock::Stepped(*LocalTime::Parse("2026-01-01 00:00:00"));
    EXPECT_EQ(clock.Ticks(), 0);
    clock.SleepUntil(40);
    clock.Sleep(2);
    clock.SleepUntil(10);  // a deadline in the past returns at once
    EXPECT_EQ(clock.Ticks(), 42);
    EXPECT_EQ(clock.Now().millisecond, 42);
    ASSERT_TRUE(clock.SetLocalTime(*LocalTime::Parse("2027-02-03 04:05:06")));
    EXPECT_EQ(clock.Now().Format(), "2027-02-03 04:05:06");
}

TEST(MessageQueueTest, SendWaitsForTheLoopAndTimersFire) {
    Clock clock(*LocalTime::Parse("2026-01-01 00:00:00"), 1000.0);
    MessageQueue queue(clock);
    std::vector<uint32_t> seen;
    std::atomic<int> timerFires{0};
    std::thread loop([&] {
        queue.Run([&](const Message& m) -> int64_t {
            if (m.code == msg::kTimer && m.wParam == 7 && ++timerFires == 2) queue.Quit(3);
            if (m.code != msg::kTimer) seen.push_back(m.code);
            return m.code * 2;
        });
    });
    queue.Post({100, 0, 0});
    EXPECT_EQ(queue.Send({21, 0, 0}), 42);
    // Set once both are handled: a late test thread cannot meet a loop that
    // has already quit.
    queue.SetTimer(7, 15000);  // 15 ms of real time
    loop.join();
    EXPECT_EQ(timerFires, 2);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], 100u) << "posted before sent, handled first";
    EXPECT_EQ(queue.Send({5, 0, 0}), 0) << "after the loop ended Send does not block";
}

TEST(SettingsTest, FileAndKeysApplyWithErrorsReported) {
    char path[] = "/tmp/ledplayer-conf-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    std::string text =
        "# comment\n[display]\nbackend = headless\nsize = \"640x480\"\n[serial]\naux-port-mode = "
        "1\n"
        "bogus = 1\n[clock]\ntime-scale = fast\nnot a key line\n";
    ASSERT_EQ(write(fd, text.data(), text.size()), ssize_t(text.size()));
    close(fd);
    Settings s;
    std::vector<std::string> errors;
    ASSERT_TRUE(LoadSettingsFile(path, s, errors));
    unlink(path);
    EXPECT_EQ(s.backend, "headless");
    EXPECT_EQ(s.size, "640x480");
    EXPECT_EQ(s.auxPortMode, 1);
    EXPECT_EQ(s.timeScale, 1.0) << "a bad value leaves the default";
    EXPECT_EQ(errors.size(), 3u);
    EXPECT_NE(OptionsMarkdown().find("`serial.com3`"), std::string::npos);
}

TEST(SettingsTest, PreviewIsRasterOrScreen) {
    Settings s;
    EXPECT_EQ(s.preview, "raster");
    std::string error;
    EXPECT_TRUE(ApplySetting(s, "display.preview", "screen", error));
    EXPECT_EQ(s.preview, "screen");
    EXPECT_FALSE(ApplySetting(s, "display.preview", "window", error));
    EXPECT_EQ(error, "bad value \"window\" for display.preview");
    EXPECT_FALSE(ApplySetting(s, "display.preview", "", error));
    EXPECT_EQ(s.preview, "screen") << "a bad value changes nothing";
}

}  // namespace
}  // namespace led
