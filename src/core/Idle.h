#pragma once

namespace led {

class Player;

// The body of a worker whose subsystem is not in this build yet: it logs once
// and waits for shutdown, so the supervision timer sees it running.
void IdleUntilShutdown(Player& player, const char* role);

}  // namespace led
