#pragma once
// What a preview shows of the output raster. A small LED screen fills only a
// corner of the raster; a preview may show just the screen's part, enlarged
// by a whole factor so every LED pixel stays a sharp square.

#include "platform/display/Surface.h"

namespace led {

struct PreviewView {
    Rect source;     // the part of the raster shown
    int factor = 1;  // each raster pixel becomes factor x factor pixels
    Size Shown() const { return {source.width * factor, source.height * factor}; }
};

// `wanted` is clipped to the raster; when nothing of it is left, the whole
// raster is shown. The factor is the largest that keeps the enlarged part
// within `bound`, and at least 1.
PreviewView FitPreview(Size raster, const Rect& wanted, Size bound);

// The view's part of the raster, enlarged by nearest neighbour.
Surface Enlarge(const Surface& raster, const PreviewView& view);

}  // namespace led
