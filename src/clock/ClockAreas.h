#pragma once
// The digital clock (type 13), countdown (type 17), simulation clock (type
// 18) and sensor (temperature 14, humidity 15, noise 16) areas: drawn once a
// second on the player's clock; every fifth draw completes a cycle.

#include <array>
#include <memory>
#include <string>

#include "core/AreaContext.h"
#include "core/Records.h"
#include "platform/display/Surface.h"

namespace led {

class DeviceFs;
struct LocalTime;
struct LocaleNames;

void RunDigitalClockArea(const AreaContext& context);
void RunCountdownArea(const AreaContext& context);
void RunAnalogClockArea(const AreaContext& context);
// Temperature, humidity and noise: the clock's drawing with the sensor's
// tokens, the reading taken afresh before every draw ("N/A" while it is not
// valid).
void RunSensorArea(const AreaContext& context);

// The picture indices of the analog clock at a time of day: hour hand
// 1..60, minute hand 61..120, second hand 121..180 (the dial is 0).
struct HandPictures {
    int hour, minute, second;
};
HandPictures HandPicturesAt(int hour, int minute, int second);

// One analog clock frame on `target` (area-sized): the dial, the top and
// bottom strings, then the hands with black transparent. Pictures are kept
// per layer between frames and reloaded only when the index changes.
class AnalogClockFace {
public:
    AnalogClockFace(const DeviceFs& fs, const AreaItem& item, const LocaleNames& names);
    ~AnalogClockFace();
    void Draw(Surface& target, const LocalTime& now);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace led
