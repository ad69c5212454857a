#pragma once
// Pango side of Font; only platform code includes this.

#include <pango/pango.h>

#include "platform/text/Fonts.h"

namespace led {

struct Font::Impl {
    FontRequest request;
    PangoFontDescription* description = nullptr;
    Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl() {
        if (description) pango_font_description_free(description);
    }
};

}  // namespace led
