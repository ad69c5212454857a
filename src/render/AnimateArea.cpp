#include "render/AnimateArea.h"

#include <algorithm>

#include "platform/clock/Clock.h"
#include "platform/config/Settings.h"
#include "platform/display/Display.h"
#include "render/AreaDrawing.h"
#include "render/AreaFrame.h"
#include "render/FrameDecoder.h"

namespace led {
namespace {

constexpr int64_t kFrameUnitMs = 20;
// A frame's time is not cut short by a stop, but the player going away ends
// it: waited in slices that look at the shutdown flag.
constexpr int64_t kShutdownSliceMs = 100;

class AnimateItems {
public:
    explicit AnimateItems(const AreaContext& c)
        : codec_(c.services.settings.imageMaxPixels),
          decoder_(codec_, c.services.fs, Colour{uint32_t(c.area.backgroundColour)}) {}

    bool Play(const AreaContext& c, Window& window, const AreaItem& item) {
        FrameSequence frames;
        frames.count = item.pageFiles.size();
        frames.frameTimeMs = int64_t(std::max(item.anispeed, 0)) * kFrameUnitMs;
        frames.take = [&](size_t i) {
            std::optional<Surface> frame = decoder_.Take(item.pageFiles[i]);
            if (const std::string* next = NextFrame(c.area, item, i)) decoder_.Prefetch(*next);
            return frame;
        };
        frames.draw = [&](const Surface& frame) { DrawPlain(window, &frame); };
        frames.stopped = [&] { return c.StopRequested(); };
        return PlayFrameSequence(frames, c.services.clock, c.services.shuttingDown);
    }

private:
    // The frame after frame `index` of `item`: the item's next, else the
    // first of the next item that has frames (the first item after the last).
    static const std::string* NextFrame(const AreaRecord& area, const AreaItem& item,
                                        size_t index) {
        if (index + 1 < item.pageFiles.size()) return &item.pageFiles[index + 1];
        const size_t count = area.items.size();
        const size_t at = size_t(&item - area.items.data());
        for (size_t step = 1; step <= count; ++step) {
            const AreaItem& other = area.items[(at + step) % count];
            if (!other.pageFiles.empty()) return &other.pageFiles.front();
        }
        return nullptr;
    }

    ImageCodec codec_;
    FrameDecoder decoder_;
};

}  // namespace

bool PlayFrameSequence(const FrameSequence& frames, const Clock& clock,
                       const std::atomic<bool>& shutdown) {
    for (size_t i = 0; i < frames.count; ++i) {
        std::optional<Surface> frame = frames.take(i);
        if (!frame) continue;
        const int64_t start = clock.Ticks();
        frames.draw(*frame);
        frame.reset();
        const int64_t deadline = start + frames.frameTimeMs;
        for (int64_t now = clock.Ticks(); now < deadline && !shutdown; now = clock.Ticks())
            clock.SleepUntil(std::min(deadline, now + kShutdownSliceMs));
        if (frames.stopped()) return false;
    }
    return true;
}

void RunAnimateArea(const AreaContext& c) {
    AnimateItems items(c);
    PictureLikeBody body{"picture text window",
                         "Animate Area completed",
                         /*pictureBody=*/false,
                         /*sleepBeforeCycle=*/1,
                         /*sleepBeforeItem=*/1,
                         /*sleepAfterCycle=*/0,
                         [&items](const AreaContext& ctx, Window& window, const AreaItem& item) {
                             return items.Play(ctx, window, item);
                         }};
    RunPictureLikeArea(c, body);
}

}  // namespace led
