#include "app/AreaBodyTable.h"

#include "clock/ClockAreas.h"
#include "core/AreaBodies.h"
#include "render/AnimateArea.h"
#include "render/PagedArea.h"
#include "render/PictureArea.h"
#include "render/TextArea.h"
#include "video/VideoArea.h"

namespace led {
namespace {

// The launch tables of both layers. Text, video and animate areas have no OSD
// body: in an OSD program they play as the NULL area.
//
// Text areas (type 3) count in the exit counter like every other area, so a
// program holding one stops as soon as its areas have ended instead of only
// at the 30 s limit; the text shown by the control session runs outside
// programs and keeps its own count.
constexpr AreaBodyRegistry::Row kRows[] = {
    {area_type::kText, "text", RunTextArea, nullptr},
    {area_type::kPicture, "picture", RunPictureArea, RunPictureArea},
    {area_type::kVideo, "video", RunVideoArea, nullptr},
    {area_type::kPictureText, "picture-text", RunPictureTextArea, RunPictureTextArea},
    {area_type::kAnimate, "animate", RunAnimateArea, nullptr},
    {area_type::kDigitalClock, "digital clock", RunDigitalClockArea, RunDigitalClockArea},
    {area_type::kTemperature, "temperature", RunSensorArea, RunSensorArea},
    {area_type::kHumidity, "humidity", RunSensorArea, RunSensorArea},
    {area_type::kNoise, "noise", RunSensorArea, RunSensorArea},
    {area_type::kCountdown, "countdown", RunCountdownArea, RunCountdownArea},
    {area_type::kSimulationClock, "simulation clock", RunAnalogClockArea, RunAnalogClockArea},
    {area_type::kTable, "table", RunTableArea, RunTableArea},
};

}  // namespace

void RegisterAreaBodies(AreaBodyRegistry& registry) {
    for (const auto& row : kRows) registry.Register(row);
}

}  // namespace led
