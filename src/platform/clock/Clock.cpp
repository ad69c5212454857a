#include "platform/clock/Clock.h"

#include <time.h>

#include <cerrno>
#include <cstdio>
#include <thread>

namespace led {
namespace {

int64_t EpochMsFromLocal(const LocalTime& t) {
    struct tm tm {};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    return int64_t(mktime(&tm)) * 1000 + t.millisecond;
}

LocalTime CalendarFromEpochMs(int64_t ms, bool utc) {
    time_t secs = time_t(ms / 1000);
    int millis = int(ms % 1000);
    if (millis < 0) {
        millis += 1000;
        --secs;
    }
    struct tm tm {};
    if (utc)
        gmtime_r(&secs, &tm);
    else
        localtime_r(&secs, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
            tm.tm_min,         tm.tm_sec,     millis,     tm.tm_wday};
}

LocalTime LocalFromEpochMs(int64_t ms) { return CalendarFromEpochMs(ms, false); }

void SleepUntilReal(Clock::RealTimePoint when) {
    auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(when.time_since_epoch()).count();
    struct timespec ts;
    ts.tv_sec = ns / 1000000000;
    ts.tv_nsec = ns % 1000000000;
    // steady_clock is CLOCK_MONOTONIC on Linux.
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

}  // namespace

std::optional<LocalTime> LocalTime::Parse(const std::string& text) {
    LocalTime t;
    char tail = 0;
    int n = std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%c", &t.year, &t.month, &t.day, &t.hour,
                        &t.minute, &t.second, &tail);
    if (n != 6) return std::nullopt;
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour < 0 || t.hour > 23 ||
        t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59 || t.year < 1970)
        return std::nullopt;
    // Normalise (and fill the weekday) through the calendar.
    return LocalFromEpochMs(EpochMsFromLocal(t));
}

std::string LocalTime::Format() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute,
                  second);
    return buf;
}

std::string LocalTime::FormatWithMillis() const {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%s.%03d", Format().c_str(), millisecond);
    return buf;
}

Clock::Clock() : mode_(Mode::Real), realStart_(std::chrono::steady_clock::now()) {}

Clock::Clock(const LocalTime& start, double scale)
    : mode_(Mode::Scaled),
      scale_(scale > 0 ? scale : 1.0),
      realStart_(std::chrono::steady_clock::now()),
      startEpochMs_(EpochMsFromLocal(start)) {}

Clock Clock::Stepped(const LocalTime& start) {
    Clock c(start, 1.0);
    c.mode_ = Mode::Stepped;
    return c;
}

Clock::Clock(Clock&& o) noexcept
    : mode_(o.mode_),
      scale_(o.scale_),
      realStart_(o.realStart_),
      startEpochMs_(o.startEpochMs_),
      calendarOffsetMs_(o.calendarOffsetMs_.load()),
      steppedTicks_(o.steppedTicks_.load()) {}

int64_t Clock::Ticks() const {
    switch (mode_) {
        case Mode::Stepped: return steppedTicks_.load();
        case Mode::Scaled: {
            auto real = std::chrono::steady_clock::now() - realStart_;
            double ms = std::chrono::duration<double, std::milli>(real).count() * scale_;
            return int64_t(ms);
        }
        case Mode::Real:
        default: {
            auto now = std::chrono::steady_clock::now().time_since_epoch();
            return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
        }
    }
}

LocalTime Clock::Now() const {
    if (mode_ == Mode::Real) {
        auto now = std::chrono::system_clock::now().time_since_epoch();
        return LocalFromEpochMs(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    }
    return LocalFromEpochMs(startEpochMs_ + calendarOffsetMs_.load() + Ticks());
}

LocalTime Clock::UtcNow() const {
    if (mode_ == Mode::Real) {
        auto now = std::chrono::system_clock::now().time_since_epoch();
        return CalendarFromEpochMs(
            std::chrono::duration_cast<std::chrono::milliseconds>(now).count(), true);
    }
    return CalendarFromEpochMs(startEpochMs_ + calendarOffsetMs_.load() + Ticks(), true);
}

Clock::RealTimePoint Clock::RealDeadline(int64_t tick) const {
    switch (mode_) {
        case Mode::Stepped: return std::chrono::steady_clock::now();
        case Mode::Scaled:
            return realStart_ +
                   std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                       std::chrono::duration<double, std::milli>(double(tick) / scale_));
        case Mode::Real:
        default: return RealTimePoint(std::chrono::milliseconds(tick));
    }
}

int64_t Clock::RealMilliseconds(int64_t milliseconds) const {
    if (mode_ == Mode::Stepped) return 0;
    return int64_t(double(milliseconds) / scale_);
}

void Clock::SleepUntil(int64_t tick) const {
    if (mode_ == Mode::Stepped) {
        int64_t cur = steppedTicks_.load();
        while (cur < tick && !steppedTicks_.compare_exchange_weak(cur, tick)) {
        }
        return;
    }
    SleepUntilReal(RealDeadline(tick));
}

void Clock::Sleep(int64_t milliseconds) const {
    if (milliseconds < 0) milliseconds = 0;
    if (mode_ == Mode::Stepped) {
        steppedTicks_.fetch_add(milliseconds);
        return;
    }
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    SleepUntil(Ticks() + milliseconds);
}

bool Clock::SetLocalTime(const LocalTime& time) {
    if (mode_ == Mode::Real) return false;
    int64_t wanted = EpochMsFromLocal(time);
    calendarOffsetMs_.store(wanted - startEpochMs_ - Ticks());
    return true;
}

}  // namespace led
