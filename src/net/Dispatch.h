#pragma once
// Runs one received frame through the command table as its transport handles
// it, and records it in the events log.

#include <span>

#include "net/Command.h"

namespace led {

// Forwards a relayed frame unchanged to the player's own UDP server.
class Relay {
public:
    virtual ~Relay() = default;
    virtual void Forward(std::span<const uint8_t> frame) = 0;
};

// TCP: codes above 151, codes without a TCP role and hook codes (done before)
// are ignored. Returns false when the code was ignored.
bool DispatchTcp(Request& request, Relay& relay);
// UDP: codes above 117 (read as a signed byte, so 128..255 too) and codes the
// UDP server does not handle are ignored.
bool DispatchUdp(Request& request);

// The "control" event of a handled frame.
void LogControl(const Request& request, const char* name);

}  // namespace led
