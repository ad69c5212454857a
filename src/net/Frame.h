#pragma once
// The control frame shared by the TCP sessions, the UDP server and the text
// sessions: "*#", code, 32-bit little-endian payload length, payload, "#*".
// The end marker is written but never checked on receipt.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace led {

inline constexpr size_t kFrameHead = 7;      // "*#", code, length
inline constexpr size_t kFrameOverhead = 9;  // head and "#*"
inline constexpr uint32_t kMaxPayload = 4096;
// A settings file sent back whole: the board reads at most 8192 bytes of one.
inline constexpr uint32_t kMaxFileReply = 8192;

// The frame for `payload`; empty when the payload exceeds `maxPayload`.
std::vector<uint8_t> BuildFrame(uint8_t code, std::span<const uint8_t> payload,
                                size_t maxPayload = kMaxFileReply);
// The acknowledgement: the request's code with length 0, 9 bytes; with
// `padded` one 0x00 byte more (which handlers send which is fixed per command).
std::vector<uint8_t> AckFrame(uint8_t code, bool padded = false);

struct ParsedFrame {
    uint8_t code = 0;
    uint32_t length = 0;           // as received
    std::vector<uint8_t> payload;  // `length` bytes
};
// One frame from the start of `raw`: none when it does not begin with "*#",
// its length field exceeds kMaxPayload or `raw` holds fewer than length + 7
// bytes (the end marker may be missing).
std::optional<ParsedFrame> ParseFrame(std::span<const uint8_t> raw);

inline uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void WriteLe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

// Reassembles frames from a TCP byte stream, which has no message boundaries:
// a frame may arrive split over many receives or several in one. Junk before
// a frame is skipped up to the next "*#". A frame whose length exceeds
// kMaxPayload is dropped (its head skipped), unless its code carries file
// data: those stream their bytes, and the caller takes them with TakeBody.
class FrameAssembler {
public:
    explicit FrameAssembler(bool (*streamsBody)(uint8_t code)) : streamsBody_(streamsBody) {}

    void Push(std::span<const uint8_t> bytes);

    struct Frame {
        uint8_t code = 0;
        uint32_t length = 0;
        // The whole frame as received (head, payload, end marker); only the
        // head for a streamed frame.
        std::span<const uint8_t> raw;
        std::span<const uint8_t> payload;  // empty for a streamed frame
        bool streamed = false;
    };
    // The next complete frame, valid until the next call; none until more
    // bytes arrive.
    std::optional<Frame> Next();
    // Bytes of a streamed frame's body already received: moves up to
    // out.size() of them into `out` and returns the count.
    size_t TakeBody(std::span<uint8_t> out);
    // Heads dropped for an oversized length and junk bytes skipped so far.
    size_t DroppedHeads() const { return droppedHeads_; }
    size_t SkippedBytes() const { return skippedBytes_; }
    size_t Buffered() const { return buffer_.size() - start_; }

private:
    void Compact();
    bool (*streamsBody_)(uint8_t code);
    std::vector<uint8_t> buffer_;
    size_t start_ = 0;  // first byte not yet consumed
    size_t pendingConsume_ = 0;
    size_t droppedHeads_ = 0, skippedBytes_ = 0;
};

}  // namespace led
