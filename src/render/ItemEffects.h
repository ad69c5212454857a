#pragma once
// The entry and exit effects of a picture-like item, run on its area's
// window with the area's stop flag: -1 picks a random effect for this
// showing only.

#include <random>

#include "core/AreaContext.h"
#include "render/effects/Effects.h"

namespace led {

// The item's entry effect in `column`, showing `picture`; `first` marks the
// very first page of a continuous push. Returns the effect number that ran.
int RunItemEntryEffect(const AreaContext& c, Window& window, const Surface& picture,
                       const AreaItem& item, EffectColumn column, std::minstd_rand& random,
                       Colour background, bool first = false);

// The OSD bodies' exit effect: takes `picture` out of the window.
EffectResult RunItemExitEffect(const AreaContext& c, Window& window, const Surface& picture,
                               const AreaItem& item, std::minstd_rand& random, Colour background);

}  // namespace led
