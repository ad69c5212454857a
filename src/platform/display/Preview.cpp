#include "platform/display/Preview.h"

#include <algorithm>

namespace led {

PreviewView FitPreview(Size raster, const Rect& wanted, Size bound) {
    const Rect whole{0, 0, raster.width, raster.height};
    PreviewView view{wanted.Intersected(whole), 1};
    if (view.source.IsEmpty()) view.source = whole;
    if (view.source.IsEmpty()) return view;
    view.factor =
        std::max(1, std::min(bound.width / view.source.width, bound.height / view.source.height));
    return view;
}

Surface Enlarge(const Surface& raster, const PreviewView& view) {
    const Rect source = view.source.Intersected(raster.Bounds());
    const int f = std::max(1, view.factor);
    Surface out = Surface::Uninitialised(source.width * f, source.height * f);
    for (int y = 0; y < source.height; ++y) {
        const uint32_t* in = raster.Row(source.y + y) + source.x;
        uint32_t* row = out.Row(y * f);
        for (int x = 0; x < source.width; ++x) std::fill_n(row + x * f, f, in[x]);
        for (int copy = 1; copy < f; ++copy) std::copy_n(row, out.Width(), out.Row(y * f + copy));
    }
    return out;
}

}  // namespace led
