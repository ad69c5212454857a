#pragma once
// The device description (code 4) and discovery on the configuration port.

#include <optional>
#include <string>
#include <vector>

#include "client/Frame.h"
#include "client/UdpExchange.h"

namespace ledctl {

struct DeviceDescription {
    std::string from;  // who answered (discovery)
    std::string ip, mask, gateway, mac, version, playerType, account;
    std::optional<std::string> boardSupport;  // only in the UDP answer
};

// The payload of a code-4 answer, taken by position: 48 bytes over TCP, 64
// over UDP (with the board support version). Nothing when it is shorter.
std::optional<DeviceDescription> ParseDeviceDescription(ByteView payload);

struct DiscoveryOptions {
    std::string address = "255.255.255.255";
    uint16_t port = 5001;
    // One player: it answers the sender only (length 1). Otherwise the
    // request asks for an answer to the whole segment (length 0).
    bool single = false;
    Millis wait{2000};
};

// Every distinct player that answered within the wait, in order of arrival.
std::vector<DeviceDescription> Discover(const DiscoveryOptions& options);

}  // namespace ledctl
