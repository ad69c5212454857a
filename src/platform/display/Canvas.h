#pragma once
// Draws on a Surface, clipped to it, and remembers the bounding box of what it
// touched so the window can report exactly that as damage.

#include <span>
#include <string>

#include "platform/display/Surface.h"
#include "platform/geometry.h"
#include "platform/text/Fonts.h"

namespace led {

enum class TextAlign { Left, Center, Right };

class Canvas {
public:
    explicit Canvas(Surface& target) : target_(target) {}

    Surface& Target() { return target_; }
    Rect Bounds() const { return target_.Bounds(); }
    Rect Damage() const { return damage_; }
    void ResetDamage() { damage_ = {}; }
    // Records pixels written straight into Target() (decoded video frames) as
    // drawn, so that they are reported as damage like any other drawing.
    void MarkDrawn(const Rect& rect) { AddDamage(rect); }

    void Fill(const Rect& rect, Colour colour);
    void FillAll(Colour colour) { Fill(Bounds(), colour); }
    // Copies srcRect of src to dst (the top-left of the destination).
    void Copy(const Surface& src, const Rect& srcRect, Point dst);
    void Copy(const Surface& src, Point dst = {}) { Copy(src, src.Bounds(), dst); }
    // Scales srcRect of src into dstRect (bilinear).
    void Stretch(const Surface& src, const Rect& srcRect, const Rect& dstRect);
    // Like Stretch, but pixels of the key colour are left out (TransparentImage).
    void CopyKeyed(const Surface& src, const Rect& srcRect, const Rect& dstRect, Colour key);
    void FillPolygon(std::span<const Point> points, Colour colour);
    void FillEllipse(const Rect& bounds, Colour colour);
    // One-pixel outline inside rect (the board's pen).
    void FrameRect(const Rect& rect, Colour colour);
    // Draws one line of UTF-8 text with its top-left at the box's top-left,
    // clipped to the box; returns the drawn text's size.
    Size DrawText(const Font& font, const std::string& text, const Rect& box, Colour colour,
                  TextAlign align = TextAlign::Left);
    static Size MeasureText(const Font& font, const std::string& text);

private:
    void AddDamage(const Rect& r) { damage_ = damage_.United(r.Intersected(Bounds())); }

    Surface& target_;
    Rect damage_;
};

}  // namespace led
