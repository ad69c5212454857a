#include <cmath>
#include <cstdint>

#include "screen/CardCommands.h"
#include "screen/ScreenTables.h"

namespace led {
namespace {

// Register, code byte and its complement of each colour's curve.
constexpr const char* kGammaHeads[] = {"*#WL FC00 0202 05fa", "*#WL F800 0202 06f9",
                                       "*#WL F400 0202 07f8"};

}  // namespace

std::array<uint16_t, 256> GammaCurve(int gammaTimesTen) {
    // The tool sends a byte; a negative exponent would send 0 to infinity.
    const double gamma = (gammaTimesTen < 0 ? 0 : gammaTimesTen) / 10.0;
    std::array<uint16_t, 256> curve{};
    for (int i = 0; i < 256; ++i) {
        // The card's curves were made with these exact roundings: the base in
        // single precision, the power in double and back to single, the scale
        // in single. Any other order moves entries by one step.
        const float base = float(i * 0.00392156862745098);
        const float power = float(std::pow(double(base), gamma));
        const float scaled = power * 65534.0f;
        curve[size_t(i)] = uint16_t(uint32_t(scaled) >> 4);
    }
    return curve;
}

std::string GammaCommand(GammaColour colour, int gammaTimesTen) {
    std::string command = kGammaHeads[int(colour)];
    command.reserve(1045);
    for (uint16_t entry : GammaCurve(gammaTimesTen)) command += LowerHex(entry, 4);
    command += "#*";
    return command;
}

}  // namespace led
