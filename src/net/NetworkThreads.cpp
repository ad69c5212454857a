#include "net/NetworkThreads.h"

namespace led {

// The mobile data link's location settings come with the mobile link.
void ReadDialUpSettings(Player&) {}

}  // namespace led
