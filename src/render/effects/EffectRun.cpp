#include "render/effects/EffectRun.h"

#include <climits>

namespace led {
namespace {

int64_t FramePeriod(const EffectRecipe& recipe, uint32_t delay) {
    if (delay == 0xFFFFFFFFu) return -1;  // the caller asked for no pacing
    return recipe.pace == Pace::DelayPlusOne ? int64_t(delay) + 1 : int64_t(delay);
}

}  // namespace

EffectRun::EffectRun(EffectTarget& target, const Surface& picture, const EffectRecipe& recipe,
                     const EffectParams& params, const Clock& clock, const std::atomic<bool>& stop,
                     const std::atomic<bool>* shutdown)
    : target_(target),
      recipe_(recipe),
      params_(params),
      clock_(clock),
      startTicks_(clock.Ticks()),
      pacer_(clock, FramePeriod(recipe, params.delay), recipe.readsStop ? &stop : nullptr,
             shutdown),
      window_(target.GetSize()) {
    width_ = recipe.orient.transpose ? window_.height : window_.width;
    height_ = recipe.orient.transpose ? window_.width : window_.height;
    step_ = int(std::clamp<uint32_t>(params.step, 1, INT_MAX / 4));
    clearPending_ = params.clearFirst;

    if (picture.GetSize() == window_) {
        picture_ = &picture;
    } else {
        normalised_ = Surface(window_.width, window_.height);
        Canvas canvas(normalised_);
        canvas.FillAll(params.background);
        canvas.Copy(picture, {0, 0});
        picture_ = &normalised_;
    }
    if (Erasing()) {
        blank_ = Surface(window_.width, window_.height);
        Canvas(blank_).FillAll(params.background);
        source_ = &blank_;
    } else {
        source_ = picture_;
    }
    row_ = Surface(window_.width, 1);
    column_.assign(size_t(window_.width), 0);
}

void EffectRun::KeepOld() {
    old_ = Surface(window_.width, window_.height);
    if (clearPending_)
        Canvas(old_).FillAll(params_.background);
    else
        target_.CaptureInto(old_);
}

Rect EffectRun::ToWindow(const Rect& c) const {
    Rect r = recipe_.orient.transpose ? Rect{c.y, c.x, c.height, c.width} : c;
    if (recipe_.orient.flipX) r.x = window_.width - r.x - r.width;
    if (recipe_.orient.flipY) r.y = window_.height - r.y - r.height;
    return r;
}

void EffectRun::Copy(Canvas& canvas, const Surface& src, const Rect& srcRect, Point dst) const {
    if (srcRect.IsEmpty()) return;
    Rect from = ToWindow(srcRect);
    Rect to = ToWindow({dst.x, dst.y, srcRect.width, srcRect.height});
    canvas.Copy(src, from, {to.x, to.y});
}

void EffectRun::Shift(Canvas& canvas, const Rect& region, int dx) const {
    Rect from = ToWindow(region).Intersected({0, 0, window_.width, window_.height});
    Rect to = ToWindow(region.Translated(dx, 0));
    Point offset{to.x - ToWindow(region).x, to.y - ToWindow(region).y};
    if (from.IsEmpty()) return;
    const Surface& self = canvas.Target();
    if (offset.y <= 0) {
        // Rows are copied top to bottom, each with memmove: safe going up or sideways.
        canvas.Copy(self, from, {from.x + offset.x, from.y + offset.y});
        return;
    }
    for (int y = from.Bottom() - 1; y >= from.y; --y)
        canvas.Copy(self, {from.x, y, from.width, 1}, {from.x + offset.x, y + offset.y});
}

void EffectRun::RevealRing(Canvas& canvas, const Rect& outer, const Rect& inner) const {
    Rect in = inner.Intersected(outer);
    if (in.IsEmpty()) {
        Reveal(canvas, outer);
        return;
    }
    Reveal(canvas, {outer.x, outer.y, outer.width, in.y - outer.y});
    Reveal(canvas, {outer.x, in.Bottom(), outer.width, outer.Bottom() - in.Bottom()});
    Reveal(canvas, {outer.x, in.y, in.x - outer.x, in.height});
    Reveal(canvas, {in.Right(), in.y, outer.Right() - in.Right(), in.height});
}

void EffectRun::Fill(Canvas& canvas, const Rect& rect, Colour colour) const {
    if (!rect.IsEmpty()) canvas.Fill(ToWindow(rect), colour);
}

void EffectRun::Scale(Canvas& canvas, const Surface& src, const Rect& srcRect, const Rect& dstRect,
                      const Rect& clip) {
    if (srcRect.IsEmpty() || dstRect.IsEmpty() || src.IsEmpty()) return;
    Rect s = ToWindow(srcRect);
    Rect d = ToWindow(dstRect);
    Rect c = ToWindow(clip).Intersected(d).Intersected({0, 0, window_.width, window_.height});
    if (c.IsEmpty()) return;
    for (int x = c.x; x < c.Right(); ++x) {
        int64_t sx = s.x + int64_t(x - d.x) * s.width / d.width;
        column_[size_t(x)] = int(std::clamp<int64_t>(sx, 0, src.Width() - 1));
    }
    uint32_t* out = row_.Row(0);
    int built = -1;
    for (int y = c.y; y < c.Bottom(); ++y) {
        int64_t sy = s.y + int64_t(y - d.y) * s.height / d.height;
        int row = int(std::clamp<int64_t>(sy, 0, src.Height() - 1));
        if (row != built) {  // enlarging repeats source rows: build each once
            const uint32_t* in = src.Row(row);
            for (int x = c.x; x < c.Right(); ++x) out[x] = in[column_[size_t(x)]];
            built = row;
        }
        canvas.Copy(row_, {c.x, 0, c.width, 1}, {c.x, y});
    }
}

Canvas* EffectRun::BeginFrame() {
    Canvas& canvas = target_.BeginFrame();
    if (canvas.Bounds().width != window_.width || canvas.Bounds().height != window_.height) {
        // The window changed size under the effect: stop drawing rather than
        // draw with the old geometry.
        target_.EndFrame();
        aborted_ = true;
        return nullptr;
    }
    if (clearPending_) {
        canvas.FillAll(params_.background);
        clearPending_ = false;
    }
    return &canvas;
}

void EffectRun::DrawWhole(const Surface& surface) {
    Canvas* canvas = BeginFrame();
    if (!canvas) return;
    canvas->Copy(surface, {0, 0});
    EndFrame();
}

EffectResult EffectRun::Result() const {
    EffectResult result;
    result.frames = frames_;
    result.stopped = stopped_;
    result.durationMs = clock_.Ticks() - startTicks_;
    return result;
}

}  // namespace led
