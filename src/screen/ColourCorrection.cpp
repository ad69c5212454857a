#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "screen/CardCommands.h"
#include "screen/ScreenTables.h"

namespace led {
namespace {

constexpr size_t kCoefficients = 12;
constexpr size_t kColourBytes = kCoefficients * 4;

float LittleEndianFloat(const uint8_t* p) {
    uint32_t bits =
        uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return std::bit_cast<float>(bits);
}

struct EncodedCoefficient {
    uint8_t magnitude;
    uint8_t positive;  // the card's sign flag: 1 for zero and above
};

// Steps of 1/127 with 2.0 as the largest that keeps its value; the card takes
// the sign as a separate flag.
EncodedCoefficient Encode(float c) {
    if (std::isnan(c)) return {0, 1};  // a broken value must not reach the cast
    if (c > 2.0f) return {255, 1};
    if (c < 0.0f) {
        float magnitude = std::fabs(c) * 127.0f;
        // Far below -2 the magnitude would overflow the byte: keep the largest.
        return {magnitude >= 255.0f ? uint8_t(255) : uint8_t(magnitude), 0};
    }
    return {uint8_t(c * 127.0f), 1};
}

}  // namespace

std::string WhiteBalanceCommand(uint8_t red, uint8_t green, uint8_t blue) {
    char data[8];
    std::snprintf(data, sizeof data, "%02X%02X%02X", red, green, blue);
    return CardWriteCommand("002B", "0003", data);
}

std::optional<std::string> ColourCorrectionCommand(std::span<const uint8_t> received) {
    if (received.size() < kColourBytes) return std::nullopt;
    std::string command = "*#WL C000 0014 3dd3";
    // Coefficients in the order the tool sent them, each as magnitude then
    // sign flag.
    for (size_t i = 0; i < kCoefficients; ++i) {
        EncodedCoefficient e = Encode(LittleEndianFloat(received.data() + 4 * i));
        char hex[8];
        std::snprintf(hex, sizeof hex, "%02X%02X", e.magnitude, e.positive);
        command += hex;
    }
    command += "#*";
    return command;
}

}  // namespace led
