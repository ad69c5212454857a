#include "render/ItemEffects.h"

namespace led {

int RunItemEntryEffect(const AreaContext& c, Window& window, const Surface& picture,
                       const AreaItem& item, EffectColumn column, std::minstd_rand& random,
                       Colour background, bool first) {
    EffectRequest show;
    show.number = item.effectIn == kRandomEffect ? RandomEffectNumber(random) : item.effectIn;
    show.column = column;
    show.mode = EffectMode::Show;
    show.delay = EffectDelay(item.movespeedIn);
    show.background = background;
    show.first = first;
    RunEffect(show, window, picture, c.services.clock, c.run->stopFlag, &c.services.shuttingDown);
    return show.number;
}

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
