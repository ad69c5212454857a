#pragma once
// Splits the bytes arriving on a port into what the device sees: framed ASCII
// commands ("*#...#*" or "!#...#!"), the auxiliary board's 520-byte binary
// packets (AA 55 ...), runs of zero padding, and noise.

#include <string>
#include <string_view>
#include <vector>

namespace cardsim {

struct Piece {
    enum class Kind { Command, Binary, Padding, Noise } kind;
    std::string bytes;
};

class Splitter {
public:
    // `start`/`end`: "*#"/"#*" (card) or "!#"/"#!" (aux board).
    Splitter(std::string start, std::string end, bool binaryPackets)
        : start_(std::move(start)), end_(std::move(end)), binary_(binaryPackets) {}

    std::vector<Piece> Feed(std::string_view bytes);
    // Whatever is still waiting for its end (logged as noise at exit).
    std::string TakeRest();

    static constexpr size_t kBinaryPacketSize = 520;

private:
    bool StartsBinary(size_t at) const;

    std::string start_, end_;
    bool binary_;
    std::string buffer_;
};

}  // namespace cardsim
