// The outgoing link to the management server: the server uses the whole
// command set over it, exactly as a PC tool does; the player never speaks
// first. A lost link is tried again after 5 s + 15 s, and every 22 s while
// the server cannot be reached; a broken network interface first re-dials
// the mobile data link.

#include <spdlog/spdlog.h>

#include "core/Player.h"
#include "net/ControlSession.h"
#include "net/Install.h"
#include "net/MobileRelink.h"
#include "net/NetworkThreads.h"
#include "net/SessionThreads.h"

namespace led {
namespace {

constexpr int kConnectTimeoutMs = 10000;

void LinkEvent(Player& player, const char* state, const std::string& host, int port,
               const std::string& reason = {}) {
    EventLog::Fields fields = {{"state", state}, {"host", host}, {"port", port}};
    if (!reason.empty()) fields["reason"] = reason;
    player.events.Emit("server-link", fields);
}

// The host is taken once, when the link starts. With none configured the
// link stays idle (no look-ups, no traffic) until netinfo.txt names one.
std::string WaitForHost(Player& player) {
    bool reported = false;
    while (!player.ShuttingDown()) {
        std::string host = player.network.Info()->serverHost;
        if (!host.empty()) return host;
        if (!reported) {
            spdlog::info("server link: no server host configured, the link stays idle");
            LinkEvent(player, "idle", "", 0, "no server host");
            reported = true;
        }
        player.SleepOrStop(1000);
    }
    return {};
}

}  // namespace

void ServerLinkThread(Player& player) {
    auto& net = player.network;
    const std::string host = WaitForHost(player);
    if (host.empty()) return;
    net.serverConnected = false;
    MediaCleanup cleanup;  // outlives the session
    SessionThreads session;
    while (!player.ShuttingDown()) {
        if (!player.SleepOrStop(5000)) break;
        session.Reap();
        if (!net.serverConnected) {
            if (!player.SleepOrStop(15000)) break;
            // A broken interface first re-dials the mobile link. Without a
            // modem the board slept and tried again, forever; a Linux host
            // may reach the server over another route, so the attempt goes on.
            if (!player.system->InterfaceConnected(player.settings.networkInterface)) {
                LinkEvent(player, "relinking", host, net.Info()->serverPort,
                          "network interface down");
                if (!RelinkMobile(player))
                    spdlog::info("server link: no mobile link; trying the server anyway");
            }
            // The port is read at every attempt: SetNetInfo changes it.
            int port = net.Info()->serverPort;
            LinkEvent(player, "connecting", host, port);
            Socket socket = TcpConnect(host, uint16_t(port), kConnectTimeoutMs);
            if (!socket.IsOpen()) {
                net.pcConnected = false;
                LinkEvent(player, "unreachable", host, port);
                player.SleepOrStop(2000);
                continue;
            }
            net.serverConnected = true;
            LinkEvent(player, "connected", host, port);
            Endpoint peer{0, uint16_t(port)};
            if (auto ip = Endpoint::ParseAddress(host)) peer.ip = *ip;
            session.Start(
                [&player, s = std::make_shared<Socket>(std::move(socket)), peer, host, &cleanup] {
                    const char* why = RunControlSession(player, std::move(*s), peer,
                                                        SessionMode::ServerLink, &cleanup);
                    LinkEvent(player, "down", host, peer.port, why);
                });
            player.SleepOrStop(10);
        }
        player.SleepOrStop(1000);
    }
    session.JoinAll();
}

}  // namespace led
