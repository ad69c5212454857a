#pragma once
// The auxiliary board's answer to a sensor poll and its decoding. The answer
// is "%#RL#%!#" followed by fields separated by "-" and "#!": fields 1..14
// are hexadecimal bytes (pairs of high and low byte), the others decimal.

#include <optional>
#include <string>
#include <vector>

#include "core/SensorReadings.h"

namespace led {

// The fields of an answer, numbered from 1 (index 0 is field 1). None when the
// answer is not one whole record (no "!#" head or no "#!" end after it): a
// record cut short or run together with noise would decode to wrong values,
// and 0 light reads as full daylight.
std::optional<std::vector<std::string>> SensorFields(const std::string& answer);

// The decoding of each reading from its high and low byte.
float DecodeTemperatureA(int high, int low);  // tenths, sign from high > 0x6F
float DecodeTemperatureB(int high, int low);  // whole degrees in 12 bits, tenths or hundredths
float DecodeHumidityA(int high, int low);     // tenths
float DecodeNoise(int high, int low);         // fields 7, 8
int32_t DecodeLight(int high, int low);       // 4096 - raw
float DecodeTemperatureC(int raw);            // raw x 0.01 - 40
float DecodeHumidityC(int raw);               // -4 + 0.0405 raw - 0.0000028 raw²

// The readings of one answer's fields. The light ring of `previous` goes on
// with this answer's light (the oldest of three dropped); a record without
// the light fields leaves the ring as it was.
SensorReadings DecodeSensorFields(const std::vector<std::string>& fields,
                                  const SensorReadings& previous);

}  // namespace led
