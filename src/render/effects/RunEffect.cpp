#include <array>

#include "render/effects/EffectRun.h"
#include "render/effects/Effects.h"
#include "render/effects/Families.h"

namespace led {
namespace {

enum class Action { Nothing, Plain, Routine };

struct Resolved {
    Action action = Action::Routine;
    int number = 0;
    EffectParams params;
};

bool HasRoutine(int number) { return LookUpEffect(number).family != Family::None; }

// Applies the caller's column of the dispatch table to the request.
Resolved Resolve(const EffectRequest& request) {
    Resolved out;
    out.number = request.number;
    EffectParams& p = out.params;
    p.mode = request.mode;
    p.delay = request.delay;
    p.step = request.step;
    p.background = request.background;
    bool keepScreen = request.keepScreen;
    bool first = request.first;
    int n = request.number;

    switch (request.column) {
        case EffectColumn::Picture:
            if (!HasRoutine(n)) out.action = Action::Plain;
            break;
        case EffectColumn::Text:
            if (n == 5 || n == 7) {
                out.number = n == 5 ? 1 : 3;
                p.continuous = true;
            } else if (n == 6 || n == 8 || n > kLastEffect) {
                out.number = 3;
            } else if (n <= 0) {
                out.action = Action::Plain;
            }
            break;
        case EffectColumn::Exit:
            keepScreen = true;
            if (n == 0) {
                out.action = Action::Nothing;
            } else if ((n >= 1 && n <= 4) || (n >= 9 && n <= 83)) {
                p.mode = EffectMode::Erase;
                if (n == 1) p.continuous = first = true;
            } else if (n >= 84 && n <= kLastEffect) {
                p.mode = EffectMode::Show;
            } else {
                out.action = Action::Plain;
            }
            break;
    }
    // A continuous push never clears, except before the very first page.
    p.clearFirst = p.continuous ? first : (p.mode == EffectMode::Show && !keepScreen);
    return out;
}

using FamilyRoutine = void (*)(EffectRun&);

struct RoutineRow {
    Family family;
    FamilyRoutine routine;
};

// One row per family, in the order of the Family enumeration (checked below),
// so a routine is looked up by index and a misplaced row fails to compile.
constexpr RoutineRow kRoutines[] = {
    {Family::None, nullptr},
    {Family::Push, RunPush},
    {Family::EdgeWipe, RunEdgeWipe},
    {Family::Split, RunSplit},
    {Family::Doors, RunDoors},
    {Family::Slats, RunSlats},
    {Family::Comb, RunComb},
    {Family::CornerBox, RunCornerBox},
    {Family::ProportionalCorner, RunProportionalCorner},
    {Family::Diagonal, RunDiagonal},
    {Family::Box, RunBox},
    {Family::BoxIn, RunBoxIn},
    {Family::Cross, RunCross},
    {Family::Mask, RunMask},
    {Family::CornerFlyIn, RunCornerFlyIn},
    {Family::Sweep, RunSweep},
    {Family::Zoom, RunZoom},
    {Family::Squeeze, RunSqueeze},
    {Family::StretchSlide, RunStretchSlide},
    {Family::Smear, RunSmear},
    {Family::Dissolve, RunDissolve},
    {Family::GridGrowth, RunGridGrowth},
    {Family::SlideInBands, RunSlideInBands},
    {Family::BlockZoom, RunBlockZoom},
};

constexpr bool RowsFollowTheEnum() {
    for (size_t i = 0; i < std::size(kRoutines); ++i)
        if (size_t(kRoutines[i].family) != i) return false;
    return true;
}
static_assert(RowsFollowTheEnum(), "kRoutines rows must follow the order of Family");
static_assert(size_t(Family::BlockZoom) + 1 == std::size(kRoutines),
              "a family without a routine row");
static_assert(kRoutines[0].routine == nullptr, "Family::None has no routine");

constexpr EffectRecipe kPlainDraw{};

}  // namespace

EffectResult RunEffect(const EffectRequest& request, EffectTarget& target, const Surface& picture,
                       const Clock& clock, const std::atomic<bool>& stop,
                       const std::atomic<bool>* shutdown) {
    EffectResult none;
    if (picture.IsEmpty()) {
        none.status = -1;
        return none;
    }
    Size size = target.GetSize();
    if (size.width <= 0 || size.height <= 0) return none;
    Resolved resolved = Resolve(request);
    if (resolved.action == Action::Nothing) return none;

    const EffectRecipe& recipe =
        resolved.action == Action::Plain ? kPlainDraw : LookUpEffect(resolved.number);
    EffectRun run(target, picture, recipe, resolved.params, clock, stop, shutdown);
    if (resolved.action == Action::Plain) {
        run.DrawWhole(run.Picture());
        EffectResult result = run.Result();
        result.frames = 1;
        return result;
    }
    kRoutines[size_t(recipe.family)].routine(run);
    return run.Result();
}

EffectResult RunEffect(const EffectRequest& request, Window& window, const Surface& picture,
                       const Clock& clock, const std::atomic<bool>& stop,
                       const std::atomic<bool>* shutdown) {
    WindowEffectTarget target(window);
    return RunEffect(request, target, picture, clock, stop, shutdown);
}

uint32_t EffectDelay(int32_t speed) {
    if (speed < 1) return 0;
    return uint32_t(2 * (int64_t(speed) - 1));  // at most 0xFFFFFFFC: never "no pacing"
}

}  // namespace led
