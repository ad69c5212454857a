// The two control servers of the PC tool: the TCP accept loop (one session
// thread per connection) and the UDP discovery and configuration server.

#include <spdlog/spdlog.h>

#include <vector>

#include "core/Idle.h"
#include "core/Player.h"
#include "net/AllowList.h"
#include "net/ControlSession.h"
#include "net/Dispatch.h"
#include "net/Frame.h"
#include "net/Install.h"
#include "net/NetworkThreads.h"
#include "net/SessionThreads.h"

namespace led {
namespace {

constexpr int kPollMs = 200;  // how often the servers look at the player's end

AllowList LoadAllowList(Player& player) {
    std::vector<std::string> errors;
    AllowList list = AllowList::Parse(player.settings.allow, errors);
    for (const auto& e : errors) spdlog::error("net.allow: {} (that entry allows no one)", e);
    return list;
}

void Refuse(Player& player, const char* transport, const Endpoint& peer) {
    spdlog::warn("{} {}: not in net.allow, refused", transport, peer.ToString());
    player.events.Emit("control-refused", {{"transport", transport}, {"peer", peer.ToString()}});
}

class DatagramReplies final : public ReplySink {
public:
    DatagramReplies(const Socket& socket, const Endpoint& to) : socket_(socket), to_(to) {}
    bool Send(std::span<const uint8_t> bytes) override { return led::SendTo(socket_, bytes, to_); }
    bool SendTo(std::span<const uint8_t> bytes, const Endpoint& to) override {
        return led::SendTo(socket_, bytes, to);
    }

private:
    const Socket& socket_;
    Endpoint to_;
};

// A port that cannot be bound leaves its thread idle until the end: the
// player plays on without that way of being managed.
void ListenFailed(Player& player, const char* transport, const char* role, int port,
                  const std::string& error) {
    spdlog::error("{} control port {}: {}", transport, port, error);
    player.events.Emit("listen-failed",
                       {{"transport", transport}, {"port", port}, {"error", error}});
    IdleUntilShutdown(player, role);
}

// One accept loop: the control port (PC-tool sessions) and the text port
// (text sessions) differ only in these.
struct ListenPort {
    int port;
    SessionMode mode;
    const char* transport;  // in the events: "tcp" or "text"
    const char* role;
    bool countsSessions;  // the control port's count is the one the cap reads
};

void AcceptLoop(Player& player, const ListenPort& server) {
    std::string error;
    Socket listener = TcpListen(player.settings.listenAddress, uint16_t(server.port), error);
    if (!listener.IsOpen())
        return ListenFailed(player, server.transport, server.role, server.port, error);
    uint16_t port = listener.LocalPort();
    spdlog::info("We are awaiting a connection on port {}.", port);
    player.events.Emit("listening", {{"transport", server.transport}, {"port", port}});
    AllowList allow = LoadAllowList(player);
    // Before the sessions: it outlives every session that may start it.
    MediaCleanup cleanup;
    SessionThreads sessions;
    int connections = 0;
    while (!player.ShuttingDown()) {
        Endpoint peer;
        Socket socket = AcceptWithTimeout(listener, kPollMs, peer);
        int running = sessions.Reap();
        if (server.countsSessions) player.network.openSessions = running;
        if (!socket.IsOpen()) continue;
        if (!allow.Allows(peer.ip)) {
            Refuse(player, server.transport, peer);
            continue;
        }
        if (running >= player.settings.maxSessions) {
            spdlog::warn("{} {}: {} sessions already open (net.max-sessions), closed",
                         server.transport, peer.ToString(), running);
            player.events.Emit(
                "session-refused",
                {{"transport", server.transport}, {"peer", peer.ToString()}, {"open", running}});
            continue;
        }
        spdlog::info("connection num =  {},socket =  {}", ++connections, socket.Fd());
        sessions.Start(
            [&player, s = std::make_shared<Socket>(std::move(socket)), peer, mode = server.mode,
             &cleanup] { RunControlSession(player, std::move(*s), peer, mode, &cleanup); });
        if (server.countsSessions) player.network.openSessions = running + 1;
    }
    sessions.JoinAll();
    if (server.countsSessions) player.network.openSessions = 0;
}

}  // namespace

void TcpAcceptLoop(Player& player) {
    AcceptLoop(player, {player.settings.tcpPort, SessionMode::PcTool, "tcp",
                        "TCP control accept loop", true});
}

void TextAcceptLoop(Player& player) {
    AcceptLoop(player, {player.settings.textPort, SessionMode::Text, "text",
                        "TCP text-message accept loop", false});
}

void UdpConfigServerThread(Player& player) {
    std::string error;
    Socket socket =
        UdpBind(player.settings.listenAddress, uint16_t(player.settings.udpPort), error);
    if (!socket.IsOpen())
        return ListenFailed(player, "udp", "UDP configuration server", player.settings.udpPort,
                            error);
    uint16_t port = socket.LocalPort();
    player.network.udpPort = port;
    player.events.Emit("listening", {{"transport", "udp"}, {"port", port}});
    AllowList allow = LoadAllowList(player);
    std::vector<uint8_t> datagram(kMaxPayload);
    while (!player.ShuttingDown()) {
        Endpoint from;
        long got = RecvFromWithTimeout(socket, datagram, kPollMs, from);
        if (got <= 0) continue;
        bool relayed = from.ip == 0x7F000001 && player.network.IsRelayPort(from.port);
        if (!relayed && !allow.Allows(from.ip)) {
            Refuse(player, "udp", from);
            continue;
        }
        // Not a frame, or too short to carry its head: ignored without answer.
        if (size_t(got) < kFrameHead || datagram[0] != '*' || datagram[1] != '#') continue;
        uint32_t length = ReadLe32(&datagram[3]);
        if (length > kMaxPayload) length = 0;
        // A length beyond what arrived takes only the bytes that arrived.
        size_t present = std::min<size_t>(length, size_t(got) - kFrameHead);
        DatagramReplies replies(socket, from);
        Request request{player,
                        Transport::Udp,
                        datagram[2],
                        length,
                        std::span<const uint8_t>(datagram).subspan(kFrameHead, present),
                        std::span<const uint8_t>(datagram).first(size_t(got)),
                        from,
                        replies};
        DispatchUdp(request);
    }
    player.network.udpPort = 0;
}

}  // namespace led
