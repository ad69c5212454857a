#pragma once
// Text from the board's Windows tools arrives in the Chinese ANSI code page
// (GBK); inside the player every string is UTF-8.

#include <cstdint>
#include <string>
#include <string_view>

namespace led {

// GBK (a superset of ASCII and GB2312) to UTF-8. A byte sequence that is not
// GBK, or a double-byte character cut in half at the end, becomes "?" and the
// conversion goes on after it.
std::string GbkToUtf8(std::string_view gbk);

// One Unicode code point as UTF-8; surrogates and values beyond U+10FFFF give
// U+FFFD.
std::string CodePointToUtf8(uint32_t codePoint);

// UTF-8 characters in `text` (a malformed lead byte counts as one).
size_t Utf8Length(std::string_view text);
// The first `count` characters of `text`.
std::string_view Utf8Prefix(std::string_view text, size_t count);

}  // namespace led
