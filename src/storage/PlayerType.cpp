#include "storage/PlayerType.h"

#include <cctype>
#include <optional>

#include "platform/text/HexDigits.h"

namespace led {
namespace {

std::optional<char> HexByte(const std::vector<uint8_t>& b, size_t at) {
    const int hi = HexDigitValue(b[at]);
    const int lo = HexDigitValue(b[at + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    return char(hi * 16 + lo);
}

struct TypeRow {
    const char* generation;
    char letter;
    const char* text;
    Size bounds;  // {0, 0}: bounds unchanged
};

constexpr TypeRow kTypes[] = {
    {"J7", 'C', "J7-C", {1024, 768}}, {"J7", ' ', "J7", {1920, 1080}},
    {"J7", 'A', "J7-A", {0, 0}},      {"J7", 'L', "J7-L", {2880, 600}},
    {"J7", 'S', "J7-S", {640, 480}},  {"J6", 'C', "J6-C", {0, 0}},
    {"J6", ' ', "J6", {0, 0}},        {"J6", 'S', "J6-S", {0, 0}},
};

}  // namespace

PlayerType ParsePlayerType(const std::vector<uint8_t>& answer, bool chinese) {
    PlayerType result;
    if (chinese) result.text = "硬件故障";
    for (size_t i = 0; i + 8 <= answer.size(); ++i) {
        auto a = HexByte(answer, i), b = HexByte(answer, i + 3), c = HexByte(answer, i + 6);
        if (!a || !b || !c) continue;
        // The first match counts, known or not.
        std::string generation{*a, *b};
        for (const auto& row : kTypes) {
            if (generation == row.generation && *c == row.letter) {
                result.text = row.text;
                result.known = true;
                if (row.bounds.width) result.rasterBounds = row.bounds;
            }
        }
        break;
    }
    return result;
}

std::optional<PlayerType> PlayerTypeFromText(const std::string& text) {
    auto lower = [](std::string s) {
        for (char& c : s) c = char(std::tolower(uint8_t(c)));
        return s;
    };
    const std::string wanted = lower(text);
    PlayerType result;
    result.text = text;
    if (wanted == "hardware erro" || text == "硬件故障") return result;
    for (const auto& row : kTypes) {
        if (wanted != lower(row.text)) continue;
        result.known = true;
        if (row.bounds.width) result.rasterBounds = row.bounds;
        return result;
    }
    return std::nullopt;
}

}  // namespace led
