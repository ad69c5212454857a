#pragma once

namespace led {

class Player;

void UdpConfigServerThread(Player& player);  // UDP 5001
void ServerLinkThread(Player& player);       // server link and mobile relink
void TcpAcceptLoop(Player& player);          // TCP 5002 control sessions
void TextAcceptLoop(Player& player);         // TCP 5005 text messages
void ReadDialUpSettings(Player& player);

}  // namespace led
