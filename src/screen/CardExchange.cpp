#include "screen/CardExchange.h"

#include "core/CardPorts.h"
#include "platform/clock/Clock.h"
#include "platform/events/EventLog.h"
#include "screen/CardCommands.h"

namespace led {
namespace {

const char* RoleName(PortRole role) { return role == PortRole::Card ? "card" : "aux"; }

// The command as it reads in the log: trailing zero padding is counted in
// "bytes" but not shown.
std::string_view WithoutPadding(std::string_view command) {
    size_t end = command.find_last_not_of('\0');
    return end == std::string_view::npos ? std::string_view{} : command.substr(0, end + 1);
}

}  // namespace

SerialPort& PortOf(CardPorts& ports, PortRole role) {
    return role == PortRole::Card ? ports.cardPort : ports.auxPort;
}

void LogCardCommand(CardPorts& ports, PortRole role, std::string_view text, size_t bytes,
                    bool written) {
    if (!ports.events.Enabled()) return;
    ports.events.Emit("card-command", {{"port", RoleName(role)},
                                       {"command", PrintableBytes(text)},
                                       {"bytes", bytes},
                                       {"written", written}});
}

void LogCardReply(CardPorts& ports, PortRole role, std::string_view reply) {
    if (!ports.events.Enabled()) return;
    ports.events.Emit(
        "card-reply",
        {{"port", RoleName(role)}, {"reply", PrintableBytes(reply)}, {"bytes", reply.size()}});
}

ExchangeResult RunExchangeLocked(CardPorts& ports, PortRole role, const Exchange& exchange,
                                 const SerialPort::ExchangeLock&) {
    SerialPort& port = PortOf(ports, role);
    ExchangeResult result;
    if (exchange.purgeAll)
        port.PurgeAll();
    else
        port.PurgeRx();
    size_t sent = port.Write(reinterpret_cast<const uint8_t*>(exchange.command.data()),
                             exchange.command.size());
    result.written = sent == exchange.command.size() && sent > 0;
    LogCardCommand(ports, role,
                   exchange.logText.empty() ? WithoutPadding(exchange.command) : exchange.logText,
                   exchange.command.size(), result.written);
    // Nothing went out (a closed port, a line that gave up): no answer can come.
    if (!result.written) return result;
    if (exchange.waitMs > 0) ports.deviceClock.Sleep(exchange.waitMs);
    if (exchange.replyMax > 0) {
        result.reply.resize(exchange.replyMax);
        size_t got = port.Read(reinterpret_cast<uint8_t*>(result.reply.data()), exchange.replyMax);
        result.reply.resize(got);
        LogCardReply(ports, role, result.reply);
    }
    return result;
}

ExchangeResult RunExchange(CardPorts& ports, PortRole role, const Exchange& exchange) {
    auto lock = PortOf(ports, role).LockExchange();
    return RunExchangeLocked(ports, role, exchange, lock);
}

}  // namespace led
