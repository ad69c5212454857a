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

void CardPorts::SaveRelaySwitches(std::vector<std::pair<int, int>> switches) {
    std::lock_guard lock(switchesMutex_);
    savedSwitches_ = std::move(switches);
}

std::vector<std::pair<int, int>> CardPorts::TakeRelaySwitches() {
    std::lock_guard lock(switchesMutex_);
    if (switchesTaken_) return {};
    switchesTaken_ = true;
    return std::move(savedSwitches_);
}

}  // namespace led
