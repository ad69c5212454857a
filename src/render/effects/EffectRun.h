#pragma once
// One call of an effect: the surfaces it draws from, its frame loop and the
// drawing helpers every family shares. Families work in canonical
// coordinates (see Orientation); the helpers map them onto the window.
// Everything a run needs is allocated when it starts, nothing per frame.

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/clock/Clock.h"
#include "platform/display/Canvas.h"
#include "platform/display/Surface.h"
#include "render/effects/EffectTable.h"
#include "render/effects/EffectTarget.h"
#include "render/effects/Effects.h"
#include "render/effects/FramePacer.h"

namespace led {

// The request as the column resolved it.
struct EffectParams {
    EffectMode mode = EffectMode::Show;
    uint32_t delay = 0;
    uint32_t step = 1;
    Colour background;
    bool clearFirst = false;  // fill the window with the background in the first frame
    bool continuous = false;  // push: the old content is the window's, never cleared
};

class EffectRun {
public:
    EffectRun(EffectTarget& target, const Surface& picture, const EffectRecipe& recipe,
              const EffectParams& params, const Clock& clock, const std::atomic<bool>& stop,
              const std::atomic<bool>* shutdown);

    // Canonical size (the window's, transposed when the family is).
    int Width() const { return width_; }
    int Height() const { return height_; }
    Rect Bounds() const { return {0, 0, width_, height_}; }
    const EffectRecipe& Recipe() const { return recipe_; }
    bool Erasing() const { return params_.mode == EffectMode::Erase; }
    bool Continuous() const { return params_.continuous; }
    int Step() const { return step_; }
    // Seed for families that draw in random order: differs between runs on a
    // running clock, repeats on a stepped clock started alike.
    uint32_t Seed() const { return uint32_t(startTicks_) * 2654435761u + 1u; }

    // What show mode brings in: the picture; in erase mode the background.
    const Surface& Source() const { return *source_; }
    // The picture as the window shows it (window-sized, over the background).
    const Surface& Picture() const { return *picture_; }
    // The window's content before the first frame (the background when the
    // first frame clears). Families that move or scale the old content call
    // KeepOld() before their first frame.
    void KeepOld();
    const Surface& Old() const { return old_; }

    // Drawing, all in canonical coordinates. Copy moves srcRect of a
    // window-sized surface to dst; Reveal copies the source in place;
    // RevealRing copies outer minus inner (inner lies inside outer or is empty).
    void Copy(Canvas& canvas, const Surface& src, const Rect& srcRect, Point dst) const;
    void Reveal(Canvas& canvas, const Rect& rect) const {
        Copy(canvas, Source(), rect, {rect.x, rect.y});
    }
    void RevealRing(Canvas& canvas, const Rect& outer, const Rect& inner) const;
    void Fill(Canvas& canvas, const Rect& rect, Colour colour) const;
    // Nearest-neighbour scaling of srcRect of a window-sized surface into
    // dstRect, drawn only inside clip (as the board's StretchBlt).
    void Scale(Canvas& canvas, const Surface& src, const Rect& srcRect, const Rect& dstRect,
               const Rect& clip);
    void Scale(Canvas& canvas, const Surface& src, const Rect& srcRect, const Rect& dstRect) {
        Scale(canvas, src, srcRect, dstRect, dstRect);
    }
    // Moves what the window shows in `region` by dx along x (content moving
    // as a whole), safe for overlapping source and destination.
    void Shift(Canvas& canvas, const Rect& region, int dx) const;
    Rect ToWindow(const Rect& canonical) const;

    // The frame loop: draw(canvas, previous, position) for positions first,
    // first + step, ..., last (last always drawn, however large the step).
    // `previous` is the position of the frame before (first − 1 for the first
    // frame): what it drew is on the window. Returns after the last frame, at
    // a stop, or when the window changed size under the effect.
    template <class Draw>
    void Frames(int first, int last, int step, Draw&& draw);
    template <class Draw>
    void Frames(int first, int last, Draw&& draw) {
        Frames(first, last, step_, std::forward<Draw>(draw));
    }

    // One unpaced frame showing the whole surface (plain draws, final copies).
    void DrawWhole(const Surface& surface);
    // Families that end with a full copy: the whole source, unless the last
    // frame already showed it.
    void FinishWithFullCopy() {
        if (!completed_ && !aborted_) DrawWhole(Source());
    }
    EffectResult Result() const;

private:
    Canvas* BeginFrame();
    void EndFrame() { target_.EndFrame(); }

    EffectTarget& target_;
    const EffectRecipe& recipe_;
    EffectParams params_;
    const Clock& clock_;
    int64_t startTicks_;
    FramePacer pacer_;
    Size window_;
    int width_ = 0, height_ = 0;
    int step_ = 1;
    bool clearPending_ = false;

    Surface normalised_;  // the picture on a window-sized background, when it is not
    Surface blank_;       // the background, in erase mode
    Surface old_;
    const Surface* picture_ = nullptr;
    const Surface* source_ = nullptr;
    Surface row_;              // one window row, for scaled copies
    std::vector<int> column_;  // source column of each window column, for scaled copies

    int frames_ = 0;
    bool completed_ = false;
    bool stopped_ = false;
    bool aborted_ = false;
};

template <class Draw>
void EffectRun::Frames(int first, int last, int step, Draw&& draw) {
    last = std::max(last, first);
    step = std::max(step, 1);
    int previous = first - 1;
    int position = first;
    for (;;) {
        Canvas* canvas = BeginFrame();
        if (!canvas) return;
        draw(*canvas, previous, position);
        EndFrame();
        ++frames_;
        bool goOn = pacer_.FrameDone();
        if (position >= last) {
            completed_ = true;
            return;
        }
        if (!goOn) {
            stopped_ = true;
            return;
        }
        previous = position;
        position = int(std::min<int64_t>(int64_t(position) + step, last));
    }
}

// Rounds half up; the families' floating-point geometry goes through here.
inline int RoundToInt(double v) { return int(std::floor(v + 0.5)); }

}  // namespace led
