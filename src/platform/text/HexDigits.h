#pragma once
// Hexadecimal digits as the card's replies, the playlist's colours and the
// card's model code carry them.

namespace led {

// The value of one ASCII hexadecimal digit of either case, or -1.
constexpr int HexDigitValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace led
