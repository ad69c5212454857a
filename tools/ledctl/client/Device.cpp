#include "client/Device.h"

#include <algorithm>
#include <cstdio>

namespace ledctl {
namespace {

using Clock = std::chrono::steady_clock;

std::string Dotted(const uint8_t* p) {
    return std::to_string(p[0]) + "." + std::to_string(p[1]) + "." + std::to_string(p[2]) + "." +
           std::to_string(p[3]);
}

// A zero-padded text field: up to its first zero, printable ASCII kept and
// anything else shown as '?'.
std::string Text(const uint8_t* p, size_t size) {
    std::string out;
    for (size_t i = 0; i < size && p[i] != 0; ++i)
        out += (p[i] >= 0x20 && p[i] < 0x7f) ? char(p[i]) : '?';
    return out;
}

}  // namespace

std::optional<DeviceDescription> ParseDeviceDescription(ByteView p) {
    if (p.size() < 48) return std::nullopt;
    DeviceDescription d;
    d.ip = Dotted(&p[0]);
    d.mask = Dotted(&p[4]);
    d.gateway = Dotted(&p[8]);
    char mac[18];
    std::snprintf(mac, sizeof mac, "%02x:%02x:%02x:%02x:%02x:%02x", p[12], p[13], p[14], p[15],
                  p[16], p[17]);
    d.mac = mac;
    d.version = std::to_string(p[18]) + "." + std::to_string(p[19]) + "." + std::to_string(p[20]) +
                "." + std::to_string(p[21]);
    d.playerType = Text(&p[22], 10);
    d.account = Text(&p[32], 16);
    if (p.size() >= 64) {
        // The Chinese default is GBK; '?' stands in for its bytes.
        d.boardSupport = Text(&p[48], 16);
    }
    return d;
}

std::vector<DeviceDescription> Discover(const DiscoveryOptions& options) {
    UdpExchange udp(options.wait);
    Bytes request = options.single ? *EncodeFrame(4, Bytes{0}) : *EncodeFrame(4);
    udp.SendTo(options.address, options.port, request, !options.single);
    std::vector<DeviceDescription> found;
    auto deadline = Clock::now() + options.wait;
    for (;;) {
        auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now());
        if (left.count() <= 0) break;
        auto datagram = udp.Receive(left);
        if (!datagram) break;
        auto frame = DecodeDatagram(datagram->bytes);
        if (!frame || frame->code != 4) continue;
        auto device = ParseDeviceDescription(frame->payload);
        if (!device) continue;
        device->from = datagram->from;
        bool seen = std::any_of(found.begin(), found.end(), [&](const DeviceDescription& d) {
            return d.from == device->from && d.mac == device->mac;
        });
        if (!seen) found.push_back(*device);
        if (options.single) break;
    }
    return found;
}

}  // namespace ledctl
