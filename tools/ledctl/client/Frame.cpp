#include "client/Frame.h"

#include <algorithm>
#include <cctype>

namespace ledctl {
namespace {

constexpr size_t kHeadSize = 7;

bool IsStart(const uint8_t* p) { return p[0] == '*' && p[1] == '#'; }
bool IsEnd(const uint8_t* p) { return p[0] == '#' && p[1] == '*'; }

}  // namespace

Bytes EncodeHead(uint8_t code, uint32_t length) {
    return {'*',
            '#',
            code,
            uint8_t(length),
            uint8_t(length >> 8),
            uint8_t(length >> 16),
            uint8_t(length >> 24)};
}

std::optional<Bytes> EncodeFrame(uint8_t code, ByteView payload) {
    if (payload.size() > kMaxCommandPayload) return std::nullopt;
    Bytes out = EncodeHead(code, uint32_t(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
    out.insert(out.end(), std::begin(kFrameEnd), std::end(kFrameEnd));
    return out;
}

std::optional<Frame> ExtractFrame(Bytes& stream, size_t maxPayload) {
    for (;;) {
        // Drop everything before the next "*#"; a trailing '*' may be the
        // first half of one.
        size_t start = 0;
        while (start + 1 < stream.size() && !IsStart(&stream[start])) ++start;
        bool found = start + 1 < stream.size();
        if (!found && !stream.empty() && stream.back() != '*') start = stream.size();
        stream.erase(stream.begin(), stream.begin() + start);
        if (stream.size() < kHeadSize) return std::nullopt;

        uint32_t length = ReadU32(&stream[3]);
        if (length > maxPayload) {
            stream.erase(stream.begin());
            continue;
        }
        size_t total = kHeadSize + size_t(length) + 2;
        if (stream.size() < total) return std::nullopt;
        if (!IsEnd(&stream[total - 2])) {
            stream.erase(stream.begin());
            continue;
        }
        Frame frame{stream[2], Bytes(stream.begin() + kHeadSize, stream.begin() + total - 2)};
        stream.erase(stream.begin(), stream.begin() + total);
        return frame;
    }
}

std::optional<Frame> DecodeDatagram(ByteView d) {
    if (d.size() < kHeadSize + 2 || !IsStart(d.data())) return std::nullopt;
    size_t length = ReadU32(&d[3]);
    auto framed = [&](size_t size) {
        return size >= kHeadSize + 2 && length == size - kHeadSize - 2 && IsEnd(&d[size - 2]);
    };
    size_t size = d.size();
    if (!framed(size) && d.back() == 0 && framed(size - 1)) --size;
    if (!framed(size)) {
        // Taken by position.
        size = d.size();
        if (d.back() == 0 && size >= kHeadSize + 3 && IsEnd(&d[size - 3])) --size;
        if (!IsEnd(&d[size - 2])) return std::nullopt;
    }
    return Frame{d[2], Bytes(d.begin() + kHeadSize, d.begin() + (size - 2))};
}

std::string Hex(ByteView bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (uint8_t b : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::optional<Bytes> ParseHex(const std::string& text) {
    std::string digits;
    for (char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += c;
        else if (c != ' ' && c != ':' && c != '\t')
            return std::nullopt;
    }
    if (digits.size() % 2 != 0) return std::nullopt;
    Bytes out;
    for (size_t i = 0; i < digits.size(); i += 2)
        out.push_back(uint8_t(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}

}  // namespace ledctl
