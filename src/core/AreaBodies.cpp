#include "render/AreaBodies.h"

#include "render/AreaFrame.h"
#include "render/PictureArea.h"
#include "video/VideoArea.h"

namespace led {
namespace {

struct Row {
    int type;
    AreaBody normal;  // nullptr: the NULL area
    AreaBody osd;     // nullptr: the OSD NULL area
    const char* name;
};

// The launch tables of both layers. Text, video and animate areas have no OSD
// body: in an OSD program they play as the NULL area. A type whose body is
// not in this build yet plays as the NULL area too.
//
// Text areas (type 3) count in the exit counter like every other area, so a
// program holding one stops as soon as its areas have ended instead of only
// at the 30 s limit; the text shown by the control session runs outside
// programs and keeps its own count.
constexpr Row kRows[] = {
    {area_type::kText, nullptr, nullptr, "text"},
    {area_type::kPicture, RunPictureArea, RunPictureArea, "picture"},
    {area_type::kVideo, RunVideoArea, nullptr, "video"},
    {area_type::kPictureText, nullptr, nullptr, "picture-text"},
    {area_type::kAnimate, nullptr, nullptr, "animate"},
    {area_type::kDigitalClock, nullptr, nullptr, "digital clock"},
    {area_type::kTemperature, nullptr, nullptr, "temperature"},
    {area_type::kHumidity, nullptr, nullptr, "humidity"},
    {area_type::kNoise, nullptr, nullptr, "noise"},
    {area_type::kCountdown, nullptr, nullptr, "countdown"},
    {area_type::kSimulationClock, nullptr, nullptr, "simulation clock"},
    {area_type::kTable, nullptr, nullptr, "table"},
};

}  // namespace

AreaBodyChoice ChooseAreaBody(int type, Layer layer) {
    for (const Row& row : kRows) {
        if (row.type != type) continue;
        AreaBody body = layer == Layer::Normal ? row.normal : row.osd;
        int priority = type == area_type::kVideo && layer == Layer::Normal ? 3 : 4;
        if (body) return {body, row.name, priority};
        return {RunNullArea, "null", priority};
    }
    return {RunNullArea, "null", 4};
}

}  // namespace led
