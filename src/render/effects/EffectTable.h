#pragma once
// The dispatch table: effect number → family, the family's direction data and
// the two per-number rules (stop flag read or not, frame pace).

#include <cstdint>

namespace led {

enum class Family : uint8_t {
    None,  // no routine: the caller's column decides (plain draw, push, nothing)
    Push,
    EdgeWipe,
    Split,
    Doors,
    Slats,
    Comb,
    CornerBox,
    ProportionalCorner,
    Diagonal,
    Box,
    BoxIn,
    Cross,
    Mask,
    CornerFlyIn,
    Sweep,
    Zoom,
    Squeeze,
    StretchSlide,
    Smear,
    Dissolve,
    GridGrowth,
    SlideInBands,
    BlockZoom,
};

// Each family is written once in one canonical direction (listed above the
// table in EffectTable.cpp); an orientation maps that geometry onto the
// window: transpose first (canonical x becomes window y), then mirror the
// window's x and / or y. Picture pixels are never mirrored, only the geometry.
struct Orientation {
    bool transpose = false;
    bool flipX = false;
    bool flipY = false;
};

// Shapes within a family (which ones a family reads is in the table).
enum class Shape : uint8_t {
    Default,
    ToCentre,          // split: both edges to the centre
    FromCentre,        // split: a band grows from the centre line
    Opening,           // doors: the halves emerge from the centre line and move out
    Closing,           // doors: the halves come in from the edges and meet at the centre
    Sliding,           // comb: bands slide in over the old content
    Revealed,          // comb: bands stay in place and are uncovered
    CornersShrink,     // cross: old content kept in four corner rectangles that shrink
    CornersGrow,       // cross: the picture in four corner rectangles that grow
    Diamond,           // mask: a diamond with the window's proportions grows from the centre
    Arrow,             // mask: a five-point arrow, tip first, crosses the window
    CircleGrow,        // mask: the picture inside a circle growing from the centre
    CircleShrink,      // mask: the picture outside a circle shrinking to the centre
    GridFromCentre,    // mask / grid growth: a rectangle grows from each cell's centre
    GridFromCorner,    // mask / grid growth: a rectangle grows from each cell's top-left
    BandsFromCentre,   // mask: each 16-pixel band opens from its centre line
    Point,             // zoom: from the centre point
    LineAcross,        // zoom: from the centre line, growing across it (height)
    CornerPoint,       // zoom: from the top-left corner point
    RandomOrder,       // dissolve: units in one random order
    InterlacedPasses,  // dissolve: each pass one interlaced quarter, random within
};

// A line through a pivot turning one degree per frame. Angles are clock
// angles: 0 points up, 90 right.
struct SweepGeometry {
    uint8_t pivotX = 1;  // in half widths: 0 left edge, 1 centre, 2 right edge
    uint8_t pivotY = 1;  // in half heights: 0 top, 1 centre, 2 bottom
    int16_t start = 0;   // angle of the starting ray
    int16_t turn = 360;  // degrees swept
    bool clockwise = true;
    bool bothHalves = false;  // the whole line sweeps (two opposite wedges per frame)
};

enum class Pace : uint8_t {
    DelayPlusOne,  // every frame waits delay + 1 ms
    Delay,         // every frame waits the delay only (0: no wait)
};

enum class Dissolving : uint8_t { Blocks, Lines };

struct EffectRecipe {
    Family family = Family::None;
    Orientation orient{};
    Shape shape = Shape::Default;
    SweepGeometry sweep{};
    Dissolving dissolve = Dissolving::Blocks;
    bool readsStop = true;
    Pace pace = Pace::DelayPlusOne;
};

// The routine behind an effect number; Family::None for 0, 5 to 8, negative
// numbers and numbers above 108.
const EffectRecipe& LookUpEffect(int number);

}  // namespace led
