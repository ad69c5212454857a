#include "Wire.h"

namespace cardsim {
namespace {

// A command that never ends is noise once it is this long.
constexpr size_t kLongestCommand = 8192;

}  // namespace

bool Splitter::StartsBinary(size_t at) const {
    return binary_ && static_cast<unsigned char>(buffer_[at]) == 0xAA;
}

std::vector<Piece> Splitter::Feed(std::string_view bytes) {
    buffer_.append(bytes);
    std::vector<Piece> pieces;
    auto take = [&](Piece::Kind kind, size_t n) {
        pieces.push_back({kind, buffer_.substr(0, n)});
        buffer_.erase(0, n);
    };
    while (!buffer_.empty()) {
        if (buffer_[0] == '\0') {
            size_t n = buffer_.find_first_not_of('\0');
            take(Piece::Kind::Padding, n == std::string::npos ? buffer_.size() : n);
            continue;
        }
        if (buffer_[0] == start_[0]) {
            if (buffer_.size() < 2) break;  // wait for the second byte
            if (buffer_[1] == start_[1]) {
                size_t end = buffer_.find(end_, 2);
                if (end != std::string::npos) {
                    take(Piece::Kind::Command, end + end_.size());
                    continue;
                }
                if (buffer_.size() > kLongestCommand) {
                    take(Piece::Kind::Noise, buffer_.size());
                    continue;
                }
                break;  // wait for the end
            }
        }
        if (StartsBinary(0)) {
            if (buffer_.size() < 2) break;
            if (static_cast<unsigned char>(buffer_[1]) == 0x55) {
                if (buffer_.size() < kBinaryPacketSize) break;
                take(Piece::Kind::Binary, kBinaryPacketSize);
                continue;
            }
        }
        size_t i = 1;
        while (i < buffer_.size() && buffer_[i] != '\0' && buffer_[i] != start_[0] &&
               !StartsBinary(i))
            ++i;
        take(Piece::Kind::Noise, i);
    }
    return pieces;
}

std::string Splitter::TakeRest() {
    std::string rest;
    rest.swap(buffer_);
    return rest;
}

}  // namespace cardsim
