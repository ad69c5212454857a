#pragma once
// The player's one time source: millisecond ticks, local calendar time, sleeps
// and absolute-deadline waits. Real time by default; with a start time and a
// scale every tick, sleep and local time of the process runs on virtual time,
// so that a day of schedules previews in minutes.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace led {

struct LocalTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int weekday = 4;  // 0 = Sunday

    // "YYYY-MM-DD HH:MM:SS"
    static std::optional<LocalTime> Parse(const std::string& text);
    std::string Format() const;            // "YYYY-MM-DD HH:MM:SS"
    std::string FormatWithMillis() const;  // "YYYY-MM-DD HH:MM:SS.mmm"
};

class Clock {
public:
    using RealTimePoint = std::chrono::steady_clock::time_point;

    // Real time: ticks from CLOCK_MONOTONIC, local time from the system.
    Clock();
    // Virtual time starting at `start`, running `scale` times as fast as real time.
    Clock(const LocalTime& start, double scale);
    // Virtual time that moves only when someone sleeps: a sleep returns at once
    // with the clock advanced to its deadline. For single-threaded tests and
    // offline rendering (contact sheets), where frame counts must be exact.
    static Clock Stepped(const LocalTime& start);

    Clock(const Clock&) = delete;
    Clock& operator=(const Clock&) = delete;
    Clock(Clock&& other) noexcept;

    bool IsVirtual() const { return mode_ != Mode::Real; }
    bool IsStepped() const { return mode_ == Mode::Stepped; }
    double Scale() const { return scale_; }

    int64_t Ticks() const;  // milliseconds, monotonic
    LocalTime Now() const;
    // The same instant as universal time (the board's system time).
    LocalTime UtcNow() const;
    void Sleep(int64_t milliseconds) const;
    void SleepUntil(int64_t tick) const;
    // The real instant at which the player's clock reaches `tick`: for
    // condition-variable and socket waits.
    RealTimePoint RealDeadline(int64_t tick) const;
    // Real milliseconds that `milliseconds` of player time take.
    int64_t RealMilliseconds(int64_t milliseconds) const;

    // Virtual clocks move their calendar; the real clock cannot be set here
    // (setting the system time belongs to System) and returns false.
    bool SetLocalTime(const LocalTime& time);

private:
    enum class Mode { Real, Scaled, Stepped };
    Mode mode_ = Mode::Real;
    double scale_ = 1.0;
    RealTimePoint realStart_;
    int64_t startEpochMs_ = 0;  // calendar instant at tick 0 (virtual modes)
    std::atomic<int64_t> calendarOffsetMs_{0};
    mutable std::atomic<int64_t> steppedTicks_{0};
};

}  // namespace led
