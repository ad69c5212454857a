#include "client/TextMessage.h"

#include <stdexcept>

namespace ledctl {
namespace {

std::u16string Utf16(const std::string& s) {
    std::u16string out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + size_t(extra) >= s.size())
            throw std::invalid_argument("the text is not UTF-8");
        char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            unsigned char next = static_cast<unsigned char>(s[i + size_t(k)]);
            if ((next & 0xC0) != 0x80) throw std::invalid_argument("the text is not UTF-8");
            cp = cp << 6 | (next & 0x3F);
        }
        static const char32_t kLowest[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kLowest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            throw std::invalid_argument("the text is not UTF-8");
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += char16_t(0xD800 + (cp >> 10));
            out += char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += char16_t(cp);
        }
        i += size_t(extra) + 1;
    }
    return out;
}

void PutI16(Bytes& out, int value, const char* what) {
    if (value < -32768 || value > 32767)
        throw std::invalid_argument(std::string(what) + " does not fit 16 bits");
    out.push_back(uint8_t(value & 0xFF));
    out.push_back(uint8_t((value >> 8) & 0xFF));
}

}  // namespace

Bytes TextMessagePayload(const TextRect& rect, const std::string& utf8) {
    std::u16string text = Utf16(utf8);
    if (text.size() > kTextUnits)
        throw std::invalid_argument("the text has " + std::to_string(text.size()) +
                                    " UTF-16 units; at most 256 fit");
    Bytes out;
    PutI16(out, rect.top, "top");
    PutI16(out, rect.left, "left");
    PutI16(out, rect.width, "width");
    PutI16(out, rect.height, "height");
    for (char16_t unit : text) {
        out.push_back(uint8_t(unit & 0xFF));
        out.push_back(uint8_t(unit >> 8));
    }
    out.resize(8 + 2 * kTextUnits, 0);
    return out;
}

}  // namespace ledctl
