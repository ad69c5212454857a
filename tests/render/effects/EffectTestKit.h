#pragma once
// Pictures made in code, targets that watch frames, and a one-call runner on a
// stepped clock (frame counts and durations exact).

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock/Clock.h"
#include "platform/display/Canvas.h"
#include "render/effects/Effects.h"

namespace led::testkit {

inline constexpr Colour kBackground = Colour::FromRgb(1, 2, 3);
inline constexpr uint32_t kOldPixel = 0x00ABCDEF;

// Every pixel distinct from its neighbours, from the background and from the
// old content (blue always has its top bit set).
inline Surface Gradient(int width, int height) {
    Surface s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.SetPixel(x, y,
                       uint32_t(x & 0xff) << 16 | uint32_t(y & 0xff) << 8 |
                           (0x80u | uint32_t((x + y) & 0x3f)));
    return s;
}

inline Surface Filled(int width, int height, uint32_t pixel) {
    Surface s(width, height);
    Canvas(s).FillAll(Colour::FromPixel(pixel));
    return s;
}

// The picture as a window of this size shows it: at the top-left, cut off at
// the window's edges, the background elsewhere.
inline Surface Placed(const Surface& picture, int width, int height) {
    Surface s(width, height);
    Canvas c(s);
    c.FillAll(kBackground);
    c.Copy(picture, {0, 0});
    return s;
}

inline bool SameImage(const Surface& a, const Surface& b) {
    if (a.GetSize() != b.GetSize()) return false;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.Row(y), b.Row(y), size_t(a.Width()) * 4) != 0) return false;
    return true;
}

inline uint64_t Hash(const Surface& s) {
    uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) h = (h ^ s.Pixel(x, y)) * 1099511628211ull;
    return h;
}

// A surface target that lets a test look at every frame as it ends.
class WatchingTarget : public SurfaceEffectTarget {
public:
    using Watcher = std::function<void(const Surface&, int frame)>;
    WatchingTarget(Surface& surface, Watcher watcher)
        : SurfaceEffectTarget(surface), watcher_(std::move(watcher)) {}

protected:
    void FrameEnded(const Surface& surface, int frame) override { watcher_(surface, frame); }

private:
    Watcher watcher_;
};

struct Outcome {
    EffectResult result;
    Surface window;
};

// Runs one effect on a window that starts with `start` (or the old-content
// colour) on a fresh stepped clock.
inline Outcome RunOn(const EffectRequest& request, const Surface& picture, Size window,
                     const Surface* start = nullptr, WatchingTarget::Watcher watcher = {},
                     std::atomic<bool>* stop = nullptr) {
    Outcome out;
    out.window = start ? start->Clone() : Filled(window.width, window.height, kOldPixel);
    std::atomic<bool> ownStop{false};
    Clock clock = Clock::Stepped(*LocalTime::Parse("2024-01-01 00:00:00"));
    WatchingTarget target(
        out.window, watcher ? watcher : [](const Surface&, int) {});
    out.result = RunEffect(request, target, picture, clock, stop ? *stop : ownStop);
    return out;
}

inline EffectRequest Request(int number, EffectMode mode = EffectMode::Show, uint32_t delay = 0,
                             bool keepScreen = false) {
    EffectRequest r;
    r.number = number;
    r.mode = mode;
    r.delay = delay;
    r.background = kBackground;
    r.keepScreen = keepScreen;
    return r;
}

inline std::string Describe(int number, EffectMode mode, Size size) {
    return "effect " + std::to_string(number) + (mode == EffectMode::Show ? " show " : " erase ") +
           std::to_string(size.width) + "x" + std::to_string(size.height);
}

}  // namespace led::testkit
