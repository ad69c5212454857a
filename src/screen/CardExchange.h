#pragma once
// One exchange on a port: write a command, wait the card's fixed time, read its
// answer. The port's exchange lock is held from the write to the end of the
// read, so no two threads' exchanges interleave on a port; bytes left over from
// an earlier exchange (a card that answered late) are discarded before the
// write, so an answer is never taken for the next command's.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/serial/SerialPort.h"

namespace led {

class CardPorts;

enum class PortRole { Card, Aux };

// Exchange(command).Wait(20).Reply(100): write, wait 20 ms, read up to 100 bytes.
struct Exchange {
    explicit Exchange(std::string_view bytes) : command(bytes) {}
    Exchange& Wait(int milliseconds) { return waitMs = milliseconds, *this; }
    Exchange& Reply(size_t maxBytes) { return replyMax = maxBytes, *this; }
    Exchange& PurgeBothQueues() { return purgeAll = true, *this; }
    Exchange& LogAs(std::string_view text) { return logText = text, *this; }

    std::string_view command;  // the bytes written, padding included
    int waitMs = 0;            // after the write, on the devices' (real) clock
    size_t replyMax = 0;       // 0: no answer is read
    bool purgeAll = false;     // discard both queues first (else only the input)
    std::string_view logText;  // text for the events log; empty: the command itself
};

struct ExchangeResult {
    bool written = false;  // every byte of the command went out
    std::string reply;     // what arrived within the wait (at most replyMax bytes)
};

SerialPort& PortOf(CardPorts& ports, PortRole role);

// Runs one exchange under the port's lock.
ExchangeResult RunExchange(CardPorts& ports, PortRole role, const Exchange& exchange);
// The same for a caller that already holds the port's lock (several exchanges
// that must stay together, or a write followed by WaitCardAck).
ExchangeResult RunExchangeLocked(CardPorts& ports, PortRole role, const Exchange& exchange,
                                 const SerialPort::ExchangeLock& held);

// Event-log records of the card traffic ("card-command", "card-reply").
void LogCardCommand(CardPorts& ports, PortRole role, std::string_view text, size_t bytes,
                    bool written);
void LogCardReply(CardPorts& ports, PortRole role, std::string_view reply);

}  // namespace led
