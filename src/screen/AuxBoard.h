#pragma once
// The auxiliary board behind `auxPort`: four relays and the sensor block. Only
// in `auxPortMode` 0 is the board addressed with the "!#" framing.

#include <string>

namespace led {

class CardPorts;

// Records the state asked for relay `index`, then, while the board is online:
// in mode 0 sends "!#WL 00AA 0001 0S#!" (address 23 - index, S 1 for state 1,
// else 0) and waits 100 ms; in any other mode waits 100 ms and sends nothing.
// 0 when the board is offline (nothing sent); 1 otherwise, except that a
// command which did not go out reports 0. An index outside 0..3 sends nothing.
// A change of a relay's state is written to the events log (`relay`) with
// the `rule` that asked for it.
int SetRelay(CardPorts& ports, int state, int index, const char* rule = "switch");

// One sensor poll in mode 0: "!#RL 0000 0032#!", 50 ms, up to 500 bytes of
// answer. Empty when nothing arrived, and in other modes (nothing is sent).
// An answer puts the board online, no answer offline; at the first answer
// the relay switches saved at start-up are sent, in their order.
std::string ReadSensorBlock(CardPorts& ports);

}  // namespace led
