#include "render/ItemEffects.h"

namespace led {

EffectResult RunItemExitEffect(const AreaContext& c, Window& window, const Surface& picture,
                               const AreaItem& item, std::minstd_rand& random, Colour background) {
    EffectRequest exit;
    exit.number = item.effectOut == kRandomEffect ? RandomEffectNumber(random) : item.effectOut;
    exit.column = EffectColumn::Exit;
    exit.delay = EffectDelay(item.movespeedIn);
    exit.background = background;
    exit.keepScreen = true;
    return RunEffect(exit, window, picture, c.services.clock, c.run->stopFlag,
                     &c.services.shuttingDown);
}

}  // namespace led
