// Commands of the session itself: heartbeat, silence limit, screen size,
// text messages, and the temperature rules of the sensor board.

#include <spdlog/spdlog.h>

#include <algorithm>
#include <array>

#include "clock/TemperatureRules.h"
#include "core/Player.h"
#include "net/Frame.h"
#include "net/Handlers.h"
#include "net/TextMessage.h"
#include "storage/Files.h"

namespace led {
void OnHeartbeat(Request& r) { r.Ack(); }

void OnSetHeartbeatInterval(Request& r) {
    if (r.payload.empty()) {
        spdlog::warn("control 42: no interval byte");
        return;
    }
    int seconds = r.payload[0];
    // Every open session reads the limit at its next receive.
    r.player.network.heartbeatInterval = seconds;
    r.player.network.heartbeatTimeoutMs = HeartbeatTimeoutMs(seconds);
    r.Ack();
    r.Pause(50);
}

void OnGetScreenSize(Request& r) {
    std::array<uint8_t, 8> size{};
    WriteLe32(&size[0], uint32_t(r.player.screen.screenWidth.load()));
    WriteLe32(&size[4], uint32_t(r.player.screen.screenHeight.load()));
    r.Data(size);
}

// Answered at once with one zero byte, then drawn over the program.
void OnShowTextMessage(Request& r) {
    const uint8_t zero = 0;
    r.Data({&zero, 1});
    auto message = ParseTextMessage(r.payload);
    if (!message) {
        spdlog::warn("text message from {}: {} bytes, no rectangle", r.peer.ToString(),
                     r.payload.size());
        return;
    }
    std::string text;
    for (const auto& run : message->runs) text += (run.newLine ? "\n" : "") + run.text;
    r.player.events.Emit("text-message", {{"peer", r.peer.ToString()},
                                          {"left", message->rect.x},
                                          {"top", message->rect.y},
                                          {"width", message->rect.width},
                                          {"height", message->rect.height},
                                          {"text", text}});
    ShowTextMessage(r.player, *message);
}
// The temperature rules come with the sensor read-outs.
// The payload is the rule text ("relay/lower/upper/mode/" groups): the rules
// file takes it (its first 256 bytes count), recctrlswitch.dat keeps it whole
// for the tool to read back, and the saved manual switches are emptied so
// that they no longer fight the rules at the next start.
void OnSetTemperatureControl(Request& r) {
    auto& fs = r.player.fs;
    const auto& p = r.payload;
    if (!fs.WriteFile(files::kTempCtrlSwitch, p.data(), std::min<size_t>(p.size(), 256)) ||
        !fs.WriteFile(files::kRecCtrlSwitch, p.data(), p.size()) ||
        !fs.WriteFile(files::kSetSwitch, p.data(), 0)) {
        spdlog::error("control 91: the temperature switch files cannot be written");
        return;
    }
    LoadTemperatureRules(r.player);
    r.Ack();
}

}  // namespace led
