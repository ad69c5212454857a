#include "screen/AuxBoard.h"

#include "core/CardPorts.h"
#include "platform/clock/Clock.h"
#include "platform/events/EventLog.h"
#include "screen/CardCommands.h"
#include "screen/CardExchange.h"

namespace led {

int SetRelay(CardPorts& ports, int state, int index, const char* rule) {
    const bool known = index >= 0 && index < int(ports.relayStates.size());
    if (known && ports.relayStates[size_t(index)].exchange(state) != state)
        ports.events.Emit("relay", {{"relay", index},
                                    {"on", state == 1},
                                    {"rule", rule},
                                    {"online", ports.auxBoardOnline.load()}});
    if (!ports.auxBoardOnline) return 0;
    if (ports.auxPortMode != 0) {
        ports.deviceClock.Sleep(100);
        return 1;
    }
    if (!known) return 1;
    std::string command = AuxWriteCommand(23 - index, 1, state == 1 ? 1 : 0);
    return RunExchange(ports, PortRole::Aux, Exchange(command).Wait(100)).written ? 1 : 0;
}

std::string ReadSensorBlock(CardPorts& ports) {
    if (ports.auxPortMode != 0) return {};
    std::string command = AuxReadCommand(0, 32);
    std::string reply =
        RunExchange(ports, PortRole::Aux, Exchange(command).Wait(50).Reply(500)).reply;
    ports.auxBoardOnline = !reply.empty();
    if (ports.auxBoardOnline) {
        for (auto [index, state] : ports.TakeRelaySwitches())
            SetRelay(ports, state, index, "saved");
    }
    return reply;
}

}  // namespace led
