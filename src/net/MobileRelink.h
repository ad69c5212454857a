#pragma once

namespace led {

class Player;

// Brings the mobile data link up again for the server link: hangs up a link
// it dialled before, and dials when a modem is present. True when the data
// link is up afterwards.
bool RelinkMobile(Player& player);

}  // namespace led
