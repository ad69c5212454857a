#pragma once
// Waiting for the card's acknowledgement after a command written by the caller
// (table uploads pass the tool's bytes through unchanged and then wait here).

#include <string_view>

#include "platform/serial/SerialPort.h"

namespace led {

class CardPorts;

// How long to keep looking: three reads 20 ms apart, or the table-upload
// variant of 300 reads 10 ms apart.
struct AckWait {
    int attempts;
    int periodMs;
};
inline constexpr AckWait kShortAckWait{3, 20};
inline constexpr AckWait kLongAckWait{300, 10};

// Each attempt waits, then reads up to 50 bytes; success as soon as what was
// read begins with "%#WL#%" or "%#RL#%". The caller holds the card port's
// exchange lock since its write.
bool WaitCardAck(CardPorts& ports, const SerialPort::ExchangeLock& held,
                 AckWait wait = kShortAckWait);

// Writes `command` unchanged to the card port and waits for its acknowledgement,
// all under the port's lock.
bool WriteCardAndWaitAck(CardPorts& ports, std::string_view command, AckWait wait = kShortAckWait);

}  // namespace led
