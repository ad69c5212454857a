#include "platform/display/Canvas.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/text/FontImpl.h"

namespace led {
namespace {

// A cairo view of a surface's pixels; both use 32-bit xRGB rows.
class CairoView {
public:
    explicit CairoView(Surface& s) {
        surface_ = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(s.Data()),
                                                       CAIRO_FORMAT_RGB24, s.Width(), s.Height(),
                                                       s.StrideBytes());
        cr_ = cairo_create(surface_);
    }
    ~CairoView() {
        cairo_destroy(cr_);
        cairo_surface_flush(surface_);
        cairo_surface_destroy(surface_);
    }
    CairoView(const CairoView&) = delete;
    CairoView& operator=(const CairoView&) = delete;
    cairo_t* Get() { return cr_; }

private:
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
};

void SetColour(cairo_t* cr, Colour c) {
    cairo_set_source_rgb(cr, c.Red() / 255.0, c.Green() / 255.0, c.Blue() / 255.0);
}

PangoLayout* MakeLayout(cairo_t* cr, const Font& font, const std::string& text) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    if (font.IsValid()) pango_layout_set_font_description(layout, font.Get()->description);
    pango_layout_set_text(layout, text.c_str(), int(text.size()));
    const FontRequest& request = font.Request();
    if (request.underline || request.strikeOut) {
        PangoAttrList* attrs = pango_attr_list_new();
        if (request.underline)
            pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        if (request.strikeOut) pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
        pango_layout_set_attributes(layout, attrs);
        pango_attr_list_unref(attrs);
    }
    return layout;
}

}  // namespace

void Canvas::Fill(const Rect& rect, Colour colour) {
    Rect r = rect.Intersected(Bounds());
    if (r.IsEmpty()) return;
    uint32_t px = colour.ToPixel();
    for (int y = r.y; y < r.Bottom(); ++y) std::fill_n(target_.Row(y) + r.x, r.width, px);
    AddDamage(r);
}

void Canvas::Copy(const Surface& src, const Rect& srcRect, Point dst) {
    // Clip against the source, then against the target, moving both together.
    Rect s = srcRect.Intersected(src.Bounds());
    Point d{dst.x + (s.x - srcRect.x), dst.y + (s.y - srcRect.y)};
    Rect onTarget = Rect{d.x, d.y, s.width, s.height}.Intersected(Bounds());
    if (onTarget.IsEmpty()) return;
    int sx = s.x + (onTarget.x - d.x), sy = s.y + (onTarget.y - d.y);
    for (int row = 0; row < onTarget.height; ++row)
        std::memmove(target_.Row(onTarget.y + row) + onTarget.x, src.Row(sy + row) + sx,
                     size_t(onTarget.width) * 4);
    AddDamage(onTarget);
}

void Canvas::Stretch(const Surface& src, const Rect& srcRect, const Rect& dstRect) {
    Rect s = srcRect.Intersected(src.Bounds());
    if (s.IsEmpty() || dstRect.IsEmpty()) return;
    if (s.width == dstRect.width && s.height == dstRect.height) {
        Copy(src, s, {dstRect.x, dstRect.y});
        return;
    }
    CairoView view(target_);
    cairo_t* cr = view.Get();
    cairo_surface_t* source = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(src.Data())), CAIRO_FORMAT_RGB24,
        src.Width(), src.Height(), src.StrideBytes());
    cairo_rectangle(cr, dstRect.x, dstRect.y, dstRect.width, dstRect.height);
    cairo_clip(cr);
    cairo_translate(cr, dstRect.x, dstRect.y);
    cairo_scale(cr, double(dstRect.width) / s.width, double(dstRect.height) / s.height);
    cairo_set_source_surface(cr, source, -s.x, -s.y);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_surface_destroy(source);
    AddDamage(dstRect);
}

void Canvas::CopyKeyed(const Surface& src, const Rect& srcRect, const Rect& dstRect, Colour key) {
    Rect s = srcRect.Intersected(src.Bounds());
    Rect d = dstRect.Intersected(Bounds());
    if (s.IsEmpty() || d.IsEmpty() || dstRect.IsEmpty()) return;
    uint32_t keyPx = key.ToPixel();
    for (int y = d.y; y < d.Bottom(); ++y) {
        int sy = s.y + int(int64_t(y - dstRect.y) * s.height / dstRect.height);
        const uint32_t* in = src.Row(sy);
        uint32_t* out = target_.Row(y);
        for (int x = d.x; x < d.Right(); ++x) {
            int sx = s.x + int(int64_t(x - dstRect.x) * s.width / dstRect.width);
            uint32_t px = in[sx] & 0xffffff;
            if (px != keyPx) out[x] = px;
        }
    }
    AddDamage(d);
}

void Canvas::FillPolygon(std::span<const Point> points, Colour colour) {
    if (points.size() < 3) return;
    CairoView view(target_);
    cairo_t* cr = view.Get();
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    int minX = points[0].x, maxX = minX, minY = points[0].y, maxY = minY;
    cairo_move_to(cr, points[0].x, points[0].y);
    for (const Point& p : points.subspan(1)) {
        cairo_line_to(cr, p.x, p.y);
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
    cairo_close_path(cr);
    SetColour(cr, colour);
    cairo_fill(cr);
    AddDamage(Rect::FromEdges(minX, minY, maxX + 1, maxY + 1));
}

void Canvas::FillEllipse(const Rect& bounds, Colour colour) {
    if (bounds.IsEmpty()) return;
    CairoView view(target_);
    cairo_t* cr = view.Get();
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_save(cr);
    cairo_translate(cr, bounds.x + bounds.width / 2.0, bounds.y + bounds.height / 2.0);
    cairo_scale(cr, bounds.width / 2.0, bounds.height / 2.0);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    SetColour(cr, colour);
    cairo_fill(cr);
    AddDamage(bounds);
}

void Canvas::FrameRect(const Rect& rect, Colour colour) {
    if (rect.IsEmpty()) return;
    Fill({rect.x, rect.y, rect.width, 1}, colour);
    Fill({rect.x, rect.Bottom() - 1, rect.width, 1}, colour);
    Fill({rect.x, rect.y, 1, rect.height}, colour);
    Fill({rect.Right() - 1, rect.y, 1, rect.height}, colour);
}

Size Canvas::DrawText(const Font& font, const std::string& text, const Rect& box, Colour colour,
                      TextAlign align) {
    Rect clip = box.Intersected(Bounds());
    if (clip.IsEmpty() || text.empty()) return {};
    CairoView view(target_);
    cairo_t* cr = view.Get();
    cairo_rectangle(cr, clip.x, clip.y, clip.width, clip.height);
    cairo_clip(cr);
    PangoLayout* layout = MakeLayout(cr, font, text);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    int x = box.x;
    if (align == TextAlign::Center) x = box.x + (box.width - w) / 2;
    if (align == TextAlign::Right) x = box.Right() - w;
    cairo_move_to(cr, x, box.y);
    SetColour(cr, colour);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
    AddDamage(clip);
    return {w, h};
}

Size Canvas::MeasureText(const Font& font, const std::string& text) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    cairo_t* cr = cairo_create(s);
    PangoLayout* layout = MakeLayout(cr, font, text);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_destroy(s);
    return {w, h};
}

}  // namespace led
