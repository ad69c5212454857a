#include "net/NetworkThreads.h"

#include "core/Idle.h"

namespace led {

void ServerLinkThread(Player& player) { IdleUntilShutdown(player, "server link"); }
void TextAcceptLoop(Player& player) { IdleUntilShutdown(player, "TCP 5005 accept loop"); }
void ReadDialUpSettings(Player&) {}

}  // namespace led
