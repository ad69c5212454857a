#pragma once

namespace led {

class Player;

// The thread of the zero-sized topmost window "REMOTE". It lives until the
// player ends or the next normal program start replaces it.
void RemoteWindowThread(Player& player);
// Ends the running remote window thread and starts a new one.
void RestartRemoteWindow(Player& player);

}  // namespace led
