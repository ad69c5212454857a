#pragma once
// The receiving card's command framing, its replies, and the fixed commands
// the player sends. Card port: "*#WL addr len data#*" / "*#RL addr len#*";
// auxiliary board: the same with "!#" ... "#!". A write is acknowledged with
// "%#WL#%"; a read is answered with "%#RL#%" and its data.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace led {

inline constexpr std::string_view kWriteAck = "%#WL#%";
inline constexpr std::string_view kReadAnswer = "%#RL#%";

// The baud probe: any answer within 100 ms keeps 576000 baud.
inline constexpr std::string_view kBaudProbe = "*#RL d#*";
// Three bytes of board model code: generation word and type letter.
inline constexpr std::string_view kReadBoardModel = "*#RL 0034 0003#*";
inline constexpr std::string_view kReadStatus000F = "*#RL 000F 0001#*";

// The on/off switch registers: code byte and its complement, then 0x47 (on)
// or 0x00 (off). `waitMs` is how long the card takes to acknowledge.
struct SwitchCommand {
    std::string_view on;
    std::string_view off;
    int waitMs;
};
inline constexpr SwitchCommand kSwitchC800{"*#WL C800 0202 0bf447#*", "*#WL C800 0202 0bf400#*", 5};
inline constexpr SwitchCommand kSwitchC400{"*#WL C400 0202 0af547#*", "*#WL C400 0202 0af500#*", 5};
inline constexpr SwitchCommand kSwitchCC00{"*#WL CC00 0202 0cf347#*", "*#WL CC00 0202 0cf300#*",
                                           10};
// The long form of the C800 output switch, sent around table uploads and tests.
inline constexpr SwitchCommand kSwitchC800Long{"*#WL C800 000a 0bf4000047#*",
                                               "*#WL C800 000a 0bf4000000#*", 100};

// "*#WL <address> <length> <data>#*": address and length are sent as given
// (the length field belongs to each command; it is not computed).
std::string CardWriteCommand(std::string_view address, std::string_view length,
                             std::string_view data);
// "*#RL <address> <length>#*"
std::string CardReadCommand(std::string_view address, std::string_view length);
// "!#WL %04d %04d %02d#!" and "!#RL %04d %04d#!"
std::string AuxWriteCommand(int address, int length, int data);
std::string AuxReadCommand(int address, int length);

// Value as `digits` lower-case hex digits; only the low 4 x digits bits travel,
// so a command never grows past its fixed layout.
std::string LowerHex(unsigned value, int digits);

bool Contains(std::string_view haystack, std::string_view needle);
// Bytes as loggable text: printable ASCII kept, everything else as \xHH.
std::string PrintableBytes(std::string_view bytes);

}  // namespace led
