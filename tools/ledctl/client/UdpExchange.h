#pragma once
// Datagrams to the player's configuration port (5001): one frame each way.

#include <string>
#include <vector>

#include "client/Frame.h"
#include "client/Socket.h"

namespace ledctl {

struct Datagram {
    std::string from;  // dotted sender address
    Bytes bytes;
};

class UdpExchange {
public:
    // Bound to every local address on a free port, so answers sent to the
    // segment's broadcast address arrive too.
    explicit UdpExchange(Millis timeout);

    void SendTo(const std::string& host, uint16_t port, ByteView bytes, bool broadcast = false);
    // The next datagram, or nothing after `timeout`.
    std::optional<Datagram> Receive(Millis timeout);
    // Sends one frame to host:port and waits for the answer of the same code
    // from that host. Throws NoAnswer naming `what`.
    Frame Request(const std::string& host, uint16_t port, uint8_t code, ByteView payload,
                  const std::string& what);

private:
    Socket socket_;
    Millis timeout_;
};

}  // namespace ledctl
