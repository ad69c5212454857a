#pragma once
// What an effect draws on: an area window, or an off-screen surface (contact
// sheets, tests, benchmarks). One BeginFrame / EndFrame pair is one frame and
// reaches the viewer as one update.

#include <optional>

#include "platform/display/Canvas.h"
#include "platform/display/Display.h"
#include "platform/display/Surface.h"

namespace led {

class EffectTarget {
public:
    virtual ~EffectTarget() = default;
    virtual Size GetSize() const = 0;
    // Copies what the target shows now into `into` (sized GetSize()).
    virtual void CaptureInto(Surface& into) = 0;
    // The canvas is valid until EndFrame.
    virtual Canvas& BeginFrame() = 0;
    virtual void EndFrame() = 0;
};

// Draws into a window: each frame is one paint session, reported to the
// compositor as one damaged region when it ends.
class WindowEffectTarget final : public EffectTarget {
public:
    explicit WindowEffectTarget(Window& window) : window_(window) {}
    Size GetSize() const override;
    void CaptureInto(Surface& into) override;
    Canvas& BeginFrame() override;
    void EndFrame() override { painter_.reset(); }

private:
    Window& window_;
    std::optional<Window::Painter> painter_;
};

// Draws into a surface the caller owns. FrameEnded sees every finished frame.
class SurfaceEffectTarget : public EffectTarget {
public:
    explicit SurfaceEffectTarget(Surface& surface) : surface_(surface), canvas_(surface) {}
    Size GetSize() const override { return surface_.GetSize(); }
    void CaptureInto(Surface& into) override;
    Canvas& BeginFrame() override;
    void EndFrame() override;
    int FramesEnded() const { return framesEnded_; }

protected:
    // Called after each frame with the surface as it now looks (frame numbers from 0).
    virtual void FrameEnded(const Surface& surface, int frame) {}

private:
    Surface& surface_;
    Canvas canvas_;
    int framesEnded_ = 0;
};

}  // namespace led
