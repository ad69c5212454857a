#include "screen/Brightness.h"

#include <algorithm>

#include "core/CardPorts.h"
#include "platform/events/EventLog.h"
#include "screen/CardCommands.h"
#include "screen/CardExchange.h"

namespace led {

std::string BrightnessBlock(int level) {
    std::string block =
        CardWriteCommand("D400", "0202", "0df2" + LowerHex(unsigned(level), 2) + "47");
    block.resize(kBrightnessBlockSize, '\0');
    return block;
}

std::array<uint8_t, kBrightnessPacketSize> BrightnessPacket(int level) {
    std::array<uint8_t, kBrightnessPacketSize> packet{};
    constexpr uint8_t kHeader[] = {0xAA, 0x55, 0x04, 0x00, 0x00, 0x02,
                                   0x00, 0x71, 0x00, 0x00, 0x40};
    std::copy(std::begin(kHeader), std::end(kHeader), packet.begin());
    packet[11] = uint8_t(level);
    packet[12] = packet[13] = packet[14] = 0xFF;
    uint8_t sum = 0;
    for (size_t i = 0; i + 1 < packet.size(); ++i) sum = uint8_t(sum + packet[i]);
    packet.back() = uint8_t(-sum);
    return packet;
}

int SetCardBrightness(CardPorts& ports, int level, const char* source) {
    level = std::clamp(level, 0, 255);
    int ok;
    const char* port;
    if (ports.auxPortMode == 1) {
        auto packet = BrightnessPacket(level);
        std::string text = "brightness packet level " + std::to_string(level);
        std::string_view bytes(reinterpret_cast<const char*>(packet.data()), packet.size());
        auto result =
            RunExchange(ports, PortRole::Aux, Exchange(bytes).Wait(67).Reply(50).LogAs(text));
        ok = result.written ? 1 : 0;
        port = "aux";
    } else {
        std::string block = BrightnessBlock(level);
        auto result = RunExchange(ports, PortRole::Card, Exchange(block).Wait(20).Reply(100));
        ok = result.written && Contains(result.reply, kWriteAck) ? 1 : 0;
        port = "card";
    }
    ports.events.Emit("brightness",
                      {{"level", level}, {"port", port}, {"ok", ok == 1}, {"source", source}});
    return ok;
}

}  // namespace led
