#pragma once
// One control command as a handler sees it, and the one table of every code
// the TCP sessions and the UDP server act on.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/net/Socket.h"

namespace led {

class Player;
struct TransferContext;

enum class Transport { Tcp, Udp };

// Where a handler's replies go: the session's socket, or the sender of a
// datagram. Implemented by the session and the UDP server.
class ReplySink {
public:
    virtual ~ReplySink() = default;
    virtual bool Send(std::span<const uint8_t> bytes) = 0;
    // UDP only: a datagram to another address (the discovery broadcast).
    virtual bool SendTo(std::span<const uint8_t> bytes, const Endpoint& to) {
        (void)to;
        return Send(bytes);
    }
};

// What a TCP session offers the commands that need more than one frame: the
// file-data commands read their body from the stream.
class SessionStream {
public:
    virtual ~SessionStream() = default;
    // Up to out.size() bytes of the body that follows a streamed frame's head;
    // 0 when nothing came within the receive time-out, -1 when the session
    // ended (peer closed, error, silence).
    virtual long ReadBody(std::span<uint8_t> out) = 0;
    // Why the session ended ("peer closed", "error", "silence", "shutdown");
    // empty while it runs.
    virtual const char* EndReason() const { return ""; }
};

struct Request {
    Player& player;
    Transport transport;
    uint8_t code;
    uint32_t length;                   // the length field as the handler may trust it
    std::span<const uint8_t> payload;  // the payload bytes that arrived
    std::span<const uint8_t> raw;      // the whole frame as received (the relay forwards it)
    Endpoint peer;
    ReplySink& replies;
    SessionStream* stream = nullptr;      // TCP sessions only
    TransferContext* transfer = nullptr;  // TCP sessions only: the session's file transfer

    // The reply kinds. Each records what was answered for the events log.
    void Ack();
    void Ack10();
    void Data(std::span<const uint8_t> bytes);
    void Data10(std::span<const uint8_t> bytes);
    void Data(std::string_view text) { Data(AsBytes(text)); }
    void Send(std::span<const uint8_t> bytes, const char* kind);  // anything else, as is
    // The pause a handler takes after answering, on the player's clock.
    void Pause(int milliseconds);
    uint8_t Byte(size_t index, uint8_t fallback = 0) const {
        return index < payload.size() ? payload[index] : fallback;
    }
    static std::span<const uint8_t> AsBytes(std::string_view text) {
        return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
    }

    const char* answered = "none";  // "ack", "ack10", "data", or "none"
};

// How a TCP session treats a code: handled in the session; acknowledged and
// forwarded to the UDP server after 100 or 50 ms; a local part first, then
// forwarded; done by the capture hook before dispatch; ignored.
enum class TcpRole { None, Own, Relay, Relay50, RelayPlus, Hook };

using Handler = void (*)(Request&);

struct Command {
    uint8_t code;
    const char* name;
    TcpRole tcp;
    bool udp;
    // TCP's handler for own and hook rows and the local part of relay+ rows;
    // the UDP server's handler. One function serves both when the transports
    // agree (it may ask request.transport).
    Handler onTcp;
    Handler onUdp;
    const char* reply;    // for the README: what the tool gets back
    const char* summary;  // for the README: what the command does
};

// Every code with a handler, in code order.
std::span<const Command> Commands();
const Command* FindCommand(uint8_t code);
// The Markdown table of the command set, for the README and --help-commands.
std::string CommandsMarkdown();

}  // namespace led
