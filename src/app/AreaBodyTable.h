#pragma once

namespace led {

class AreaBodyRegistry;

// Registers the body of every area type this build can draw. Start-up calls it
// once, before the first program starts.
void RegisterAreaBodies(AreaBodyRegistry& registry);

}  // namespace led
