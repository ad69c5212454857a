#include "screen/CardAck.h"

#include <string>

#include "core/CardPorts.h"
#include "platform/clock/Clock.h"
#include "screen/CardCommands.h"
#include "screen/CardExchange.h"

namespace led {

bool WaitCardAck(CardPorts& ports, const SerialPort::ExchangeLock&, AckWait wait) {
    constexpr size_t kAckBuffer = 50;
    std::string buffer(kAckBuffer, '\0');
    if (!ports.cardPort.IsOpen()) return false;  // nothing can answer
    for (int attempt = 0; attempt < wait.attempts; ++attempt) {
        ports.deviceClock.Sleep(wait.periodMs);
        size_t got = ports.cardPort.Read(reinterpret_cast<uint8_t*>(buffer.data()), kAckBuffer);
        if (got == 0) continue;
        std::string_view reply(buffer.data(), got);
        LogCardReply(ports, PortRole::Card, reply);
        if (reply.starts_with(kWriteAck) || reply.starts_with(kReadAnswer)) return true;
    }
    return false;
}

bool WriteCardAndWaitAck(CardPorts& ports, std::string_view command, AckWait wait) {
    auto lock = ports.cardPort.LockExchange();
    if (!RunExchangeLocked(ports, PortRole::Card, Exchange(command), lock).written) return false;
    return WaitCardAck(ports, lock, wait);
}

}  // namespace led
