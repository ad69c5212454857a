#include "net/Dispatch.h"

#include <spdlog/spdlog.h>

#include "core/Player.h"
#include "net/Frame.h"

namespace led {

void Request::Send(std::span<const uint8_t> bytes, const char* kind) {
    if (!replies.Send(bytes))
        spdlog::debug("control {}: reply to {} not sent", int(code), peer.ToString());
    if (std::string_view(answered) == "none") answered = kind;
}

void Request::Ack() { Send(AckFrame(code), "ack"); }
void Request::Ack10() { Send(AckFrame(code, true), "ack10"); }

void Request::Data(std::span<const uint8_t> bytes) {
    // Replies carry what the settings files hold: a few kilobytes at most.
    auto frame = BuildFrame(code, bytes.first(std::min<size_t>(bytes.size(), kMaxFileReply)));
    Send(frame, "data");
}

void Request::Data10(std::span<const uint8_t> bytes) {
    auto frame = BuildFrame(code, bytes.first(std::min<size_t>(bytes.size(), kMaxFileReply)));
    frame.push_back(0);
    Send(frame, "data");
}

void Request::Pause(int milliseconds) { player.SleepOrStop(milliseconds); }

void LogControl(const Request& request, const char* name) {
    request.player.events.Emit("control",
                               {{"transport", request.transport == Transport::Tcp ? "tcp" : "udp"},
                                {"peer", request.peer.ToString()},
                                {"code", int(request.code)},
                                {"name", name},
                                {"length", request.length},
                                {"reply", request.answered}});
}

bool DispatchTcp(Request& request, Relay& relay) {
    const Command* command = FindCommand(request.code);
    if (!command || command->tcp == TcpRole::None || command->tcp == TcpRole::Hook) {
        spdlog::debug("tcp {}: code {} has no handler", request.peer.ToString(), int(request.code));
        return false;
    }
    switch (command->tcp) {
        case TcpRole::Own: command->onTcp(request); break;
        case TcpRole::RelayPlus:
            if (command->onTcp) command->onTcp(request);
            [[fallthrough]];
        case TcpRole::Relay:
        case TcpRole::Relay50:
            // The UDP server carries out the command; its answer goes back to
            // the relay socket and is dropped, so the tool sees the ack only.
            request.Ack();
            request.Pause(command->tcp == TcpRole::Relay50 ? 50 : 100);
            relay.Forward(request.raw);
            break;
        default: break;
    }
    LogControl(request, command->name);
    return true;
}

bool DispatchUdp(Request& request) {
    if (int8_t(request.code) > 117) return false;
    const Command* command = FindCommand(request.code);
    if (!command || !command->udp || !command->onUdp) {
        spdlog::debug("udp {}: code {} has no handler", request.peer.ToString(), int(request.code));
        return false;
    }
    command->onUdp(request);
    LogControl(request, command->name);
    return true;
}

}  // namespace led
