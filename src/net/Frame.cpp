#include "net/Frame.h"

#include <algorithm>
#include <cstring>

namespace led {

std::vector<uint8_t> BuildFrame(uint8_t code, std::span<const uint8_t> payload, size_t maxPayload) {
    if (payload.size() > maxPayload) return {};
    std::vector<uint8_t> out(payload.size() + kFrameOverhead);
    out[0] = '*';
    out[1] = '#';
    out[2] = code;
    WriteLe32(&out[3], uint32_t(payload.size()));
    if (!payload.empty()) std::memcpy(&out[kFrameHead], payload.data(), payload.size());
    out[kFrameHead + payload.size()] = '#';
    out[kFrameHead + payload.size() + 1] = '*';
    return out;
}

std::vector<uint8_t> AckFrame(uint8_t code, bool padded) {
    std::vector<uint8_t> out = {'*', '#', code, 0, 0, 0, 0, '#', '*'};
    if (padded) out.push_back(0);
    return out;
}

std::optional<ParsedFrame> ParseFrame(std::span<const uint8_t> raw) {
    if (raw.size() < kFrameHead || raw[0] != '*' || raw[1] != '#') return std::nullopt;
    uint32_t length = ReadLe32(&raw[3]);
    if (length > kMaxPayload || raw.size() - kFrameHead < length) return std::nullopt;
    ParsedFrame f;
    f.code = raw[2];
    f.length = length;
    f.payload.assign(raw.begin() + kFrameHead, raw.begin() + kFrameHead + length);
    return f;
}

void FrameAssembler::Push(std::span<const uint8_t> bytes) {
    Compact();
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

void FrameAssembler::Compact() {
    start_ += pendingConsume_;
    pendingConsume_ = 0;
    if (start_ == 0) return;
    buffer_.erase(buffer_.begin(), buffer_.begin() + ptrdiff_t(start_));
    start_ = 0;
}

std::optional<FrameAssembler::Frame> FrameAssembler::Next() {
    start_ += pendingConsume_;
    pendingConsume_ = 0;
    for (;;) {
        const uint8_t* data = buffer_.data() + start_;
        size_t size = buffer_.size() - start_;
        // Resynchronise on "*#"; a last lone '*' may be the start of one.
        size_t at = 0;
        while (at + 1 < size && !(data[at] == '*' && data[at + 1] == '#')) ++at;
        if (at + 1 >= size && !(size > 0 && at < size && data[at] == '*')) at = size;
        skippedBytes_ += at;
        start_ += at;
        data += at;
        size -= at;
        if (size < kFrameHead) return std::nullopt;
        uint8_t code = data[2];
        uint32_t length = ReadLe32(&data[3]);
        if (streamsBody_ && streamsBody_(code)) {
            pendingConsume_ = kFrameHead;
            return Frame{code, length, {data, kFrameHead}, {}, true};
        }
        if (length > kMaxPayload) {
            ++droppedHeads_;
            start_ += 2;  // skip this "*#" and look for the next frame
            continue;
        }
        size_t total = size_t(length) + kFrameOverhead;
        if (size < total) return std::nullopt;
        pendingConsume_ = total;
        return Frame{code, length, {data, total}, {data + kFrameHead, length}, false};
    }
}

size_t FrameAssembler::TakeBody(std::span<uint8_t> out) {
    start_ += pendingConsume_;
    pendingConsume_ = 0;
    size_t n = std::min(out.size(), buffer_.size() - start_);
    std::memcpy(out.data(), buffer_.data() + start_, n);
    start_ += n;
    return n;
}

}  // namespace led
