#pragma once
// How the playlist's XML is searched and how its texts become numbers.
//
// Below a program, an element is found by name anywhere in the subtree of the
// element searched, the element itself included, first in document order.
// Numbers follow the leading-digits rule: optional white space, an optional
// sign and digits; anything else ends the number, no digits give 0, and a
// number too large for 32 bits saturates.

#include <tinyxml2.h>

#include <algorithm>
#include <cstdint>
#include <string>

namespace led::xml {

using Element = tinyxml2::XMLElement;

// The first element named `name` in the subtree of `root` (pre-order, `root`
// itself first); none when `root` is none.
const Element* Find(const Element* root, const char* name);

// Inside a program, elements are searched for by name throughout the
// subtree; this is the editable twin for documents the player rewrites.
inline Element* Find(Element* root, const char* name) {
    return const_cast<Element*>(Find(static_cast<const Element*>(root), name));
}

// Repeated elements (programs, areas, time windows, page files) are walked
// from the first one found along its following siblings, each sibling
// contributing the element of that name it holds (itself or one inside it):
//     for (auto* c = first; c; c = c->NextSiblingElement())
//         if (auto* e = Find(c, name)) ... else break;

int32_t LeadingInt(const char* text);
float LeadingFloat(const char* text);
// Six hexadecimal digits RRGGBB as the board's colour value R + 256 G + 65536 B.
int32_t ColourFromHex(const char* text);

// Rectangle arithmetic on file values saturates instead of overflowing.
inline int32_t Saturate(int64_t value) {
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}
// The inclusive end of a span: start + size - 1.
inline int32_t InclusiveEnd(int32_t start, int32_t size) {
    return Saturate(int64_t(start) + size - 1);
}

// The element's text, empty when it has none.
std::string Text(const Element& element);
// The first `maxCharacters` UTF-8 characters of `text`.
std::string FirstCharacters(const std::string& text, size_t maxCharacters);

// Each Read* changes `out` only when the element or attribute exists, so an
// absent one keeps the value the working record had.
bool ReadInt(const Element* scope, const char* name, int32_t& out);
bool ReadText(const Element* scope, const char* name, std::string& out);
bool ReadIntAttribute(const Element* element, const char* name, int32_t& out);
bool ReadTextAttribute(const Element* element, const char* name, std::string& out);

}  // namespace led::xml
