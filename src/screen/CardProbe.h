#pragma once
// Opening the two serial ports at start-up: the card port at the fastest speed
// the card answers, then the auxiliary port by `auxPortMode`.

#include "core/CardPorts.h"

namespace led {

// Opens `port` at `baud`, 8 data bits, no parity, one stop bit, no handshake,
// with the 2 ms read time-out: every read returns after 2 ms of silence, so
// callers wait before reading. -1 when the open fails, 0 on success.
int OpenCardPortAt(SerialPort& serial, int port, int baud);

// Opens the card port at the fastest speed the card answers: "*#RL d#*" at
// 576000 baud, and 115200 when nothing came back within 100 ms (no further
// check). Then, 500 ms later, the auxiliary port by `auxPortMode` (0: 115200,
// 1: 9600, other: left closed). True when the card answered the probe.
bool ProbeCardBaud(CardPorts& ports, int port = kCardPortNumber);

}  // namespace led
