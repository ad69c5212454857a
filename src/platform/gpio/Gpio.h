#pragma once
// A general-purpose output line of the board (the camera input switch). Lines
// are named "chip:line" in the configuration; an empty name means the board
// has no such line and setting it does nothing.

#include <memory>
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

// This build drives no GPIO hardware: a configured line is logged once as such
// and its changes are logged; an empty name gives a silent line.
std::unique_ptr<GpioLine> OpenGpioLine(const std::string& name);

}  // namespace led
