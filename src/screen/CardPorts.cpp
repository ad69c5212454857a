#include "screen/CardPorts.h"

#include "platform/config/Settings.h"

namespace led {

CardPorts::CardPorts(const Settings& settings, const Clock& c, EventLog& e)
    : cardPort({{"COM3:", settings.serialCom3}, {"COM4:", settings.serialCom4}}),
      auxPort({{"COM3:", settings.serialCom3}, {"COM4:", settings.serialCom4}}),
      auxPortMode(settings.auxPortMode),
      clock(c),
      events(e) {}

}  // namespace led
