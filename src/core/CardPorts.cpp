#include "core/CardPorts.h"

#include "platform/config/Settings.h"
#include "platform/events/EventLog.h"

namespace led {
namespace {

SerialPort::DeviceMap Devices(const Settings& settings) {
    return {{"COM3:", settings.serialCom3}, {"COM4:", settings.serialCom4}};
}

}  // namespace

CardPorts::CardPorts(const Settings& settings, EventLog& e, const Clock* given)
    : cardPort(Devices(settings)),
      auxPort(Devices(settings)),
      auxPortMode(settings.auxPortMode),
      deviceClock(given ? *given : realTime_),
      events(e) {}

}  // namespace led
