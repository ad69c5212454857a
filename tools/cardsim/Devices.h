#pragma once
// The two devices cardsim plays: the receiving card (a register memory that
// acknowledges writes and answers reads) and the sensor and relay board.

#include <array>
#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace cardsim {

using Json = nlohmann::ordered_json;

struct CardSettings {
    std::string model = "J7";  // generation word, two characters
    char letter = 'L';         // type letter
    int status = 0x01;         // the byte at 000F
    int bit38 = 1;             // the one-bit setting at 0038
    std::string points;        // 256 characters '0'/'1': low bits of the 4200 block
};

class Card {
public:
    explicit Card(const CardSettings& settings);
    // The answer to one framed command ("" for none); describes the command in
    // `log` (kind, address, length, data).
    std::string Answer(std::string_view command, Json& log);

private:
    std::map<uint32_t, uint8_t> memory_;
};

class AuxBoard {
public:
    // `sensors`: the fields of the sensor block answers, "-" separated: one
    // per poll in turn, the last repeated.
    explicit AuxBoard(std::vector<std::string> sensors) : sensors_(std::move(sensors)) {}
    std::string Answer(std::string_view command, Json& log);
    // The binary brightness packet: logged, not answered.
    std::string AnswerBinary(std::string_view packet, Json& log);

private:
    std::vector<std::string> sensors_;
    size_t polls_ = 0;
    std::array<int, 4> relays_{};
};

// The sensor block a board with 30.0 degrees, 60.0 % humidity, noise 60.5 and
// light 96 answers with.
std::string DefaultSensorFields();

}  // namespace cardsim
