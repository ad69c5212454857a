#pragma once
// Small value types shared by every drawing piece of the player.

#include <algorithm>
#include <cstdint>
#include <limits>

namespace led {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Half-open rectangle: [x, x + width) x [y, y + height).
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    static Rect FromEdges(int left, int top, int right, int bottom) {
        return {left, top, right - left, bottom - top};
    }
    // The playlist keeps rectangles with inclusive right and bottom edges. The
    // sizes are computed in 64 bits: edges from a file may lie so far apart
    // that right - left + 1 overflows. Such a rectangle keeps its right
    // (bottom) end and loses its far left (top), so its part on the raster
    // stays; Right() and Bottom() always fit an int.
    static Rect FromInclusive(int left, int top, int right, int bottom) {
        auto [x, width] = InclusiveSpan(left, right);
        auto [y, height] = InclusiveSpan(top, bottom);
        return {x, y, width, height};
    }
    int Left() const { return x; }
    int Top() const { return y; }
    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
    bool IsEmpty() const { return width <= 0 || height <= 0; }
    bool Contains(Point p) const { return p.x >= x && p.y >= y && p.x < Right() && p.y < Bottom(); }
    Rect Translated(int dx, int dy) const { return {x + dx, y + dy, width, height}; }

    Rect Intersected(const Rect& o) const {
        int l = std::max(x, o.x), t = std::max(y, o.y);
        int r = std::min(Right(), o.Right()), b = std::min(Bottom(), o.Bottom());
        if (r <= l || b <= t) return {};
        return FromEdges(l, t, r, b);
    }
    Rect United(const Rect& o) const {
        if (IsEmpty()) return o;
        if (o.IsEmpty()) return *this;
        return FromEdges(std::min(x, o.x), std::min(y, o.y), std::max(Right(), o.Right()),
                         std::max(Bottom(), o.Bottom()));
    }
    friend bool operator==(const Rect&, const Rect&) = default;

private:
    struct Span {
        int start, length;
    };
    static Span InclusiveSpan(int first, int last) {
        constexpr int64_t kMax = std::numeric_limits<int>::max();
        const int64_t end = std::min<int64_t>(int64_t(last) + 1, kMax);
        const int64_t start = std::max<int64_t>(first, end - kMax);
        return {int(start), int(std::max<int64_t>(end - start, 0))};
    }
};

// A colour as the board stores it in records and files: R + 256 G + 65536 B
// (0x00BBGGRR). Pixels in surfaces are 0x00RRGGBB; the conversion happens here.
struct Colour {
    uint32_t value = 0;

    static constexpr Colour FromRgb(uint8_t r, uint8_t g, uint8_t b) {
        return {uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16};
    }
    constexpr uint8_t Red() const { return value & 0xff; }
    constexpr uint8_t Green() const { return (value >> 8) & 0xff; }
    constexpr uint8_t Blue() const { return (value >> 16) & 0xff; }
    constexpr uint32_t ToPixel() const {
        return uint32_t(Red()) << 16 | uint32_t(Green()) << 8 | Blue();
    }
    static constexpr Colour FromPixel(uint32_t px) {
        return FromRgb((px >> 16) & 0xff, (px >> 8) & 0xff, px & 0xff);
    }
    friend bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr Colour kBlack{0x000000};
inline constexpr Colour kRed{0x0000ff};

}  // namespace led
