#pragma once
// The control frame as it travels on TCP and UDP: "*#", a code byte, a 32-bit
// little-endian payload length, the payload and "#*".

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ledctl {

using Bytes = std::vector<uint8_t>;
using ByteView = std::span<const uint8_t>;

// The largest payload the player takes in one command frame; file data frames
// announce whole files and are built with EncodeHead instead.
inline constexpr size_t kMaxCommandPayload = 4096;

struct Frame {
    uint8_t code = 0;
    Bytes payload;
};

// A whole command frame; payloads above kMaxCommandPayload are refused
// (std::nullopt), the player would drop them.
std::optional<Bytes> EncodeFrame(uint8_t code, ByteView payload = {});
// The 7 bytes before a payload of `length` bytes; the caller sends the
// payload and then kFrameEnd.
Bytes EncodeHead(uint8_t code, uint32_t length);
inline constexpr uint8_t kFrameEnd[2] = {'#', '*'};

// Takes the first whole frame off the front of a TCP byte stream. Bytes that
// cannot start a frame (the 0x00 some replies carry after their end marker)
// are dropped; a head whose end marker is not where its length says is
// dropped one byte at a time until the stream is in step again. Returns
// nothing while the frame is still incomplete.
std::optional<Frame> ExtractFrame(Bytes& stream, size_t maxPayload = 16u << 20);

// One UDP datagram as one frame. The discovery answer's length field says
// 20 although 64 bytes follow, so a datagram whose length field does not
// account for its size is taken by position: everything between the head
// and its final "#*" (and the optional 0x00 after it).
std::optional<Frame> DecodeDatagram(ByteView datagram);

// The little-endian 32-bit number at `p`, as every length and size travels.
inline uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// "2a 23 04" style, for printing raw answers.
std::string Hex(ByteView bytes);
// Reads "2a2304", "2a 23 04" or "2a:23:04"; nothing on odd digits or other characters.
std::optional<Bytes> ParseHex(const std::string& text);

}  // namespace ledctl
