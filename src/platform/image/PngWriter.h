#pragma once

#include <string>

#include "platform/display/Surface.h"

namespace led {

// Writes the surface as an 8-bit RGB PNG. False when the file cannot be written.
bool WritePng(const Surface& surface, const std::string& hostPath);

}  // namespace led
