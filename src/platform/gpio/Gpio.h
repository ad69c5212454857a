#pragma once
// A general-purpose output line of the board (the camera input switch),
// driven through the kernel's GPIO character device. A line is named either
// "chip:offset" ("gpiochip0:17", "0:17", "/dev/gpiochip0:17") or by the name
// the board's device tree gives it ("CAM_SWITCH"). An empty name means the
// board has no such line: its levels are only logged.

#include <memory>
#include <optional>
#include <string>

namespace led {

class GpioLine {
public:
    virtual ~GpioLine() = default;
    virtual const std::string& Name() const = 0;
    // Drives the line high or low. False when the level could not be set.
    virtual bool Set(bool high) = 0;
    // The level last asked for; none before the first Set.
    virtual int Level() const = 0;  // -1, 0 or 1
};

// Where a configured line is: a chip and an offset on it, or a line name.
struct GpioLineAddress {
    std::string chip;  // empty for a line found by its name
    unsigned offset = 0;
    std::string lineName;
    friend bool operator==(const GpioLineAddress&, const GpioLineAddress&) = default;
};
// None for an empty or malformed name ("gpiochip0:", "gpiochip0:x").
std::optional<GpioLineAddress> ParseGpioLineName(const std::string& name);

// An empty name gives a line that only logs. A configured line is requested
// as an output at first use; when it cannot be had, that is logged once and
// every Set fails.
std::unique_ptr<GpioLine> OpenGpioLine(const std::string& name);

}  // namespace led
