#include "screen/CardCommands.h"

#include <cstdio>

namespace led {

std::string CardWriteCommand(std::string_view address, std::string_view length,
                             std::string_view data) {
    std::string s = "*#WL ";
    s.append(address).append(" ").append(length).append(" ").append(data).append("#*");
    return s;
}

std::string CardReadCommand(std::string_view address, std::string_view length) {
    std::string s = "*#RL ";
    s.append(address).append(" ").append(length).append("#*");
    return s;
}

std::string AuxWriteCommand(int address, int length, int data) {
    char s[48];
    std::snprintf(s, sizeof s, "!#WL %04d %04d %02d#!", address, length, data);
    return s;
}

std::string AuxReadCommand(int address, int length) {
    char s[40];
    std::snprintf(s, sizeof s, "!#RL %04d %04d#!", address, length);
    return s;
}

std::string LowerHex(unsigned value, int digits) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string s(size_t(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4) s[size_t(i)] = kDigits[value & 0xf];
    return s;
}

bool Contains(std::string_view haystack, std::string_view needle) {
    return haystack.find(needle) != std::string_view::npos;
}

std::string PrintableBytes(std::string_view bytes) {
    std::string s;
    s.reserve(bytes.size());
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            s += char(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            s += hex;
        }
    }
    return s;
}

}  // namespace led
