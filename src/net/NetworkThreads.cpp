#include "net/NetworkThreads.h"

#include "core/Idle.h"

namespace led {

void UdpConfigServerThread(Player& player) {
    IdleUntilShutdown(player, "UDP configuration server");
}
void ServerLinkThread(Player& player) { IdleUntilShutdown(player, "server link"); }
void TcpAcceptLoop(Player& player) { IdleUntilShutdown(player, "TCP 5002 accept loop"); }
void TextAcceptLoop(Player& player) { IdleUntilShutdown(player, "TCP 5005 accept loop"); }
void ReadDialUpSettings(Player&) {}

}  // namespace led
