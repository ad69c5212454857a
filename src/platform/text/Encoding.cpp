#include "platform/text/Encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace led {
namespace {

size_t SequenceLength(unsigned char c) {
    if (c < 0x80) return 1;
    if ((c >> 5) == 6) return 2;
    if ((c >> 4) == 14) return 3;
    if ((c >> 3) == 30) return 4;
    return 1;
}

bool IsAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
    if (IsAscii(gbk)) return std::string(gbk);
    // GB18030 decodes every GBK sequence the same and a few more.
    iconv_t cd = iconv_open("UTF-8", "GB18030");
    if (cd == iconv_t(-1)) return std::string(gbk);
    std::string out;
    out.reserve(gbk.size() * 3 / 2 + 4);
    char* in = const_cast<char*>(gbk.data());
    size_t inLeft = gbk.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* o = buffer;
        size_t oLeft = sizeof buffer;
        size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buffer, size_t(o - buffer));
        if (r != size_t(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL (cut at the end): one byte becomes "?".
        out.push_back('?');
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

std::string CodePointToUtf8(uint32_t cp) {
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = 0xFFFD;
    std::string s;
    if (cp < 0x80) {
        s.push_back(char(cp));
    } else if (cp < 0x800) {
        s.push_back(char(0xC0 | (cp >> 6)));
        s.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        s.push_back(char(0xE0 | (cp >> 12)));
        s.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        s.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        s.push_back(char(0xF0 | (cp >> 18)));
        s.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        s.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        s.push_back(char(0x80 | (cp & 0x3F)));
    }
    return s;
}

size_t Utf8Length(std::string_view text) {
    size_t n = 0;
    for (size_t i = 0; i < text.size(); i += SequenceLength(text[i])) ++n;
    return n;
}

std::string_view Utf8Prefix(std::string_view text, size_t count) {
    size_t i = 0;
    for (size_t n = 0; i < text.size() && n < count; ++n) i += SequenceLength(text[i]);
    return text.substr(0, std::min(i, text.size()));
}

}  // namespace led
