#include "program/XmlLookup.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

#include "platform/text/HexDigits.h"

namespace led::xml {
namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

const Element* Find(const Element* root, const char* name) {
    if (!root) return nullptr;
    // Iterative pre-order walk: the parser bounds the depth, but a lookup
    // should not depend on that.
    const Element* e = root;
    for (;;) {
        if (std::strcmp(e->Name(), name) == 0) return e;
        if (const Element* child = e->FirstChildElement()) {
            e = child;
            continue;
        }
        for (;;) {
            if (e == root) return nullptr;
            if (const Element* next = e->NextSiblingElement()) {
                e = next;
                break;
            }
            e = e->Parent()->ToElement();
        }
    }
}

int32_t LeadingInt(const char* text) {
    if (!text) return 0;
    while (IsSpace(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    for (; IsDigit(*text); ++text) {
        value = value * 10 + (*text - '0');
        if (value > kLimit) value = kLimit;  // saturate, keep consuming digits
    }
    if (negative) return int32_t(-value);
    return int32_t(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

float LeadingFloat(const char* text) {
    if (!text) return 0;
    while (IsSpace(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    // Digits and a decimal point only: no "inf" or "nan" from a playlist.
    if (!IsDigit(*text) && !(*text == '.' && IsDigit(text[1]))) return 0;
    double value = 0;
    std::from_chars(text, text + std::strlen(text), value, std::chars_format::general);
    constexpr double kMax = std::numeric_limits<float>::max();
    if (value > kMax) value = kMax;
    return float(negative ? -value : value);
}

int32_t ColourFromHex(const char* text) {
    if (!text) return 0;
    uint32_t rgb = 0;
    for (int i = 0; i < 6 && HexDigitValue(text[i]) >= 0; ++i)
        rgb = rgb << 4 | uint32_t(HexDigitValue(text[i]));
    uint32_t r = rgb >> 16 & 0xFF, g = rgb >> 8 & 0xFF, b = rgb & 0xFF;
    return int32_t(r | g << 8 | b << 16);
}

std::string Text(const Element& element) {
    const char* text = element.GetText();
    return text ? text : "";
}

std::string FirstCharacters(const std::string& text, size_t maxCharacters) {
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        // A character starts at every byte that is not a UTF-8 continuation byte.
        if ((uint8_t(text[i]) & 0xC0) != 0x80 && characters++ == maxCharacters)
            return text.substr(0, i);
    }
    return text;
}

bool ReadInt(const Element* scope, const char* name, int32_t& out) {
    const Element* e = Find(scope, name);
    if (!e) return false;
    out = LeadingInt(e->GetText());
    return true;
}

bool ReadText(const Element* scope, const char* name, std::string& out) {
    const Element* e = Find(scope, name);
    if (!e) return false;
    out = Text(*e);
    return true;
}

bool ReadIntAttribute(const Element* element, const char* name, int32_t& out) {
    const char* value = element ? element->Attribute(name) : nullptr;
    if (!value) return false;
    out = LeadingInt(value);
    return true;
}

bool ReadTextAttribute(const Element* element, const char* name, std::string& out) {
    const char* value = element ? element->Attribute(name) : nullptr;
    if (!value) return false;
    out = value;
    return true;
}

}  // namespace led::xml
