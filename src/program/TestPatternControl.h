#pragma once
// Starting and ending a test pattern for the management commands: the
// handshake through the test flag, the programs stopped while it shows, and
// the schedulers told to start afresh when it ends.

#include "screen/TestPattern.h"

namespace led {

class Player;

// Ends a running pattern (the flag cleared for 600 ms), stops both layers
// (the normal one saving its program to resume at) and starts the pattern
// thread. A pattern number outside 0..7 changes nothing; false then.
bool StartTestPattern(Player& player, const TestRequest& request);
// Clears the flag and, once the pattern thread had 500 ms to see it, lets
// each scheduler start a program at its next pass. Without a pattern running
// nothing changes; false then.
bool StopTestPattern(Player& player);

}  // namespace led
