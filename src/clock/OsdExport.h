#pragma once
// The OSD text files: in OSD text mode the clock, countdown and sensor areas do not
// show their drawing; they describe their runs and where each run lands in
// "\nand\osd\osdclock.xml", "osdtiming.xml", "osdtemperature.xml",
// "osdhumidity.xml" or "osdnoise.xml" for the OSD hardware.

#include <array>
#include <string>
#include <vector>

#include "core/Records.h"
#include "platform/geometry.h"
#include "storage/RichText.h"

namespace led {

class DeviceFs;

inline constexpr const char* kOsdClockFile = "\\nand\\osd\\osdclock.xml";
inline constexpr const char* kOsdTimingFile = "\\nand\\osd\\osdtiming.xml";

// The file and its section for an area type ("clock" for 13, "timing" for
// 17, the sensor sections for 14-16); none for other types.
const char* OsdFileFor(int areaType);
const char* OsdSectionFor(int areaType);

bool WriteOsdClockFile(const DeviceFs& fs, const std::vector<TextRun>& runs,
                       const TimeDifference& difference,
                       const std::array<std::string, 7>& weekdayNames, int dotsPerInch = 96);
bool WriteOsdTimingFile(const DeviceFs& fs, const std::vector<TextRun>& runs, int dotsPerInch = 96);
// A sensor area's file (14-16): its precision, a placeholder value the OSD
// hardware fills in, the temperature mode, and the runs.
bool WriteOsdSensorFile(const DeviceFs& fs, const std::vector<TextRun>& runs, int areaType,
                        int precision, int mode, int dotsPerInch = 96);
// Sets the "x" and "y" of every run's "area" element (positions in run
// order, already on the raster) in one load and save.
bool UpdateOsdPositions(const DeviceFs& fs, int areaType, const std::vector<Point>& positions);

}  // namespace led
