#pragma once
// The time-stamped test log: entries appended as multibyte text, enabled by
// the presence of "\nand\TestInfSW.txt" at start-up.

#include <string>

namespace led {

class DeviceFs;
struct LocalTime;

// "<text> at:2026-3-5 7:8:9 \r\n" (no zero padding).
std::string FormatTestLogEntry(const std::string& text, const LocalTime& now);

class TestLog {
public:
    explicit TestLog(const DeviceFs& fs) : fs_(fs) {}
    void Enable(bool enabled) { enabled_ = enabled; }
    bool Enabled() const { return enabled_; }
    // Appends the whole entry with one write; does nothing when disabled.
    bool Append(const std::string& boardPath, const std::string& text, const LocalTime& now) const;

private:
    const DeviceFs& fs_;
    bool enabled_ = false;
};

}  // namespace led
