#pragma once
// The command senders of the card port. Each holds the port's exchange lock for
// its write, wait and read; each reports 1 on success and 0 on failure. A
// closed port makes every sender do nothing and report failure.

#include <cstdint>
#include <vector>

namespace led {

class CardPorts;

// The on/off switches at C800, C400 and CC00: success when the answer that
// arrived within the switch's wait (5, 5 and 10 ms) holds "%#WL#%" anywhere.
int SetCardSwitchC800(CardPorts& ports, bool on);
int SetCardSwitchC400(CardPorts& ports, bool on);
int SetCardSwitchCC00(CardPorts& ports, bool on);

// "*#WL 003C 0001 01#*" (on) or "... 00#*" (off), point (pixel) enable; no
// answer is read: success when the command went out.
int SendPointEnable(CardPorts& ports, bool on);

// "*#WL 0020 0004 aaaabbbb#*" with both values as four lower-case hex digits,
// then 50 ms for the card; no answer is read. Values travel as 16 bits.
int SendProgramPair(CardPorts& ports, int a, int b);

// The card's one-byte status at 000F: the two characters at offsets 8 and 9 of
// the answer read as a hex number (what stands there, so a short answer gives
// the value of its leading digits and none gives 0).
int ReadCardByte000F(CardPorts& ports);

// The three-byte board model code, "*#RL 0034 0003#*": the raw answer that
// arrived within 50 ms (at most 100 bytes), for ParsePlayerType.
std::vector<uint8_t> ReadBoardModel(CardPorts& ports);

}  // namespace led
