#include "clock/StatusBlock.h"

#include <cstring>

#include "core/Player.h"

namespace led {
namespace {

struct Writer {
    std::array<uint8_t, kStatusBlockSize>& block;
    size_t at = 0;
    void Byte(uint32_t v) { block[at++] = uint8_t(v); }
    void Int(int32_t v) {
        for (int i = 0; i < 4; ++i) Byte(uint32_t(v) >> (8 * i));
    }
    void Float(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        Int(int32_t(bits));
    }
};

}  // namespace

std::array<uint8_t, kStatusBlockSize> StatusBlock(const Player& player) {
    std::array<uint8_t, kStatusBlockSize> block{};
    const auto r = player.sensors.Readings();
    Writer w{block};
    w.Byte(player.ports.auxBoardOnline ? 1 : 0);
    const bool valid[] = {r->temperatureA.valid, r->temperatureB.valid, r->temperatureC.valid,
                          r->humidityA.valid,    r->humidityC.valid,    r->noise.valid,
                          r->light.valid};
    uint32_t bits = 0;
    for (size_t i = 0; i < std::size(valid); ++i) bits |= uint32_t(valid[i]) << i;
    w.Byte(bits);
    for (float v : {r->temperatureA.value, r->temperatureB.value, r->temperatureC.value,
                    r->humidityA.value, r->humidityC.value, r->noise.value})
        w.Float(v);
    w.Int(r->light.value);
    for (int32_t c : r->counters) w.Int(c);
    w.Byte(r->bytes[0]);
    w.Byte(r->bytes[1]);
    w.Byte(uint32_t(player.device.brightness.load()));
    w.Byte(uint32_t(player.playback.hold.brightnessType.load()));
    w.Byte(uint32_t(player.schedules.screenOn.load()));
    uint32_t relays = 0;
    for (size_t i = 0; i < player.ports.relayStates.size(); ++i)
        if (player.ports.relayStates[i] == 1) relays |= 1u << i;
    w.Byte(relays);
    w.Byte(uint32_t(r->lightCount));
    w.Int(player.schedules.autoBrightness.load());
    return block;
}

}  // namespace led
