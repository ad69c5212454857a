#include "render/effects/EffectTarget.h"

namespace led {

Size WindowEffectTarget::GetSize() const {
    Rect frame = window_.Frame();
    return {frame.width, frame.height};
}

void WindowEffectTarget::CaptureInto(Surface& into) {
    // Reading through a paint session that draws nothing reports no damage.
    Window::Painter painter(window_);
    Canvas(into).Copy(painter.canvas().Target(), {0, 0});
}

Canvas& WindowEffectTarget::BeginFrame() {
    painter_.emplace(window_);
    return painter_->canvas();
}

void SurfaceEffectTarget::CaptureInto(Surface& into) { Canvas(into).Copy(surface_, {0, 0}); }

Canvas& SurfaceEffectTarget::BeginFrame() {
    canvas_.ResetDamage();
    return canvas_;
}

void SurfaceEffectTarget::EndFrame() { FrameEnded(surface_, framesEnded_++); }

}  // namespace led
