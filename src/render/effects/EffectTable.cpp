#include "render/effects/EffectTable.h"

#include <array>
#include <cstddef>

namespace led {
namespace {

constexpr Orientation kId{};
constexpr Orientation kFlipX{false, true, false};
constexpr Orientation kFlipY{false, false, true};
constexpr Orientation kFlipXY{false, true, true};
constexpr Orientation kT{true, false, false};
constexpr Orientation kTFlipX{true, true, false};
constexpr Orientation kTFlipY{true, false, true};
constexpr Orientation kTFlipXY{true, true, true};

constexpr EffectRecipe Of(Family family, Orientation orient = kId, Shape shape = Shape::Default) {
    EffectRecipe recipe;
    recipe.family = family;
    recipe.orient = orient;
    recipe.shape = shape;
    return recipe;
}

constexpr EffectRecipe Sweep(uint8_t pivotX, uint8_t pivotY, int16_t start, int16_t turn,
                             bool clockwise = true, bool bothHalves = false) {
    EffectRecipe recipe = Of(Family::Sweep);
    recipe.sweep = {pivotX, pivotY, start, turn, clockwise, bothHalves};
    return recipe;
}

constexpr EffectRecipe Dissolve(Dissolving what, Shape order) {
    EffectRecipe recipe = Of(Family::Dissolve, kId, order);
    recipe.dissolve = what;
    return recipe;
}

constexpr EffectRecipe NoStop(EffectRecipe recipe) {
    recipe.readsStop = false;
    return recipe;
}

constexpr EffectRecipe SleepPaced(EffectRecipe recipe) {
    recipe.pace = Pace::Delay;
    return recipe;
}

// The geometry of every number. Canonical directions of the families (the
// orientation column maps them onto the window, see Orientation) and the
// geometry the families leave open, chosen once per family:
//   Push          old content leaves to the left, the picture follows from the
//                 right; offset 0..W. Erase pushes the picture out with the
//                 background following.
//   EdgeWipe      the picture is uncovered from the right edge leftwards; 0..W
//   Split         columns from both edges (ToCentre) or a band [W/2 − k, W/2 + k]
//                 (FromCentre); k 0..W/2 + 2
//   Doors         the picture's halves (split at W/2) slide horizontally; k up
//                 to the longer half
//   Slats         vertical slats, 20 pixels apart, filled left to right; 20 passes
//   Comb          horizontal 16-pixel bands, 32 apart; even bands from the left,
//                 odd bands from the right; k 0..W
//   CornerBox     the uncovered rectangle grows from the top-left corner with the
//                 window's proportions; the longer side 0..max(W, H)
//   ProportionalCorner  old content kept in (k·W/H, k)..(W, H); k 0..H
//   Diagonal      from the top-left corner: x + y = k, k 0..W + H
//   Box, BoxIn    centred rectangles with the window's proportions; the longer
//                 half-side 0..⌈max(W, H)/2⌉
//   Cross         the centre lines split the window; k 0..⌈H/2⌉, W/H columns a line
//   Mask          row shapes (diamond 0..max(W, H), arrow tip 0..W + ⌈H/2⌉,
//                 circles 0..⌈half-diagonal⌉) and grid shapes (32-pixel cells
//                 0..16 or 0..32, 16-pixel bands 0..8)
//   CornerFlyIn   the picture's bottom-right part enters at the top-left corner;
//                 the longer side 0..max(W, H)
//   Sweep         pivot, starting ray, turn and sense per number (below); angles
//                 1..turn, one degree per frame
//   Zoom          the whole picture scaled, nearest pixel, from the centre point,
//                 the horizontal centre line or the top-left corner; 0..max(W, H)
//                 (the line: 0..H)
//   Squeeze       the picture grows in from the right, the old content squeezes
//                 left; k 1..W
//   StretchSlide  the picture, stretched to twice the width, slides in from the
//                 right and settles to its natural size from the left edge on;
//                 k 0..2W, one pixel a frame
//   Smear         the edge moves right to left 4 pixels a frame; its column is
//                 smeared over the rest
//   Dissolve      16 × 16 blocks or 3-pixel lines, 4 passes of ⌈√N⌉ frames for N
//                 units; one random order, or interlaced passes random within
//   GridGrowth    16 × 16 cells, a square from the centre or the top-left, 8 passes
//   SlideInBands  horizontal 16-pixel bands, top band first, each sliding in from
//                 the right in 16 passes
//   BlockZoom     in every 16 × 16 block its part of the picture grows from the
//                 block's centre, 16 frames
constexpr std::array<EffectRecipe, 109> BuildTable() {
    std::array<EffectRecipe, 109> t{};
    t[1] = Of(Family::Push, kT);       // up: the picture comes in from the bottom
    t[2] = Of(Family::Push, kTFlipY);  // down: from the top
    t[3] = Of(Family::Push, kId);      // left: from the right
    t[4] = Of(Family::Push, kFlipX);   // right: from the left
    // 5 to 8: no routine of their own (push variants of the text column)
    t[9] = Of(Family::EdgeWipe, kId);       // from right to left
    t[10] = Of(Family::EdgeWipe, kFlipX);   // from left to right
    t[11] = Of(Family::EdgeWipe, kT);       // from bottom to top
    t[12] = Of(Family::EdgeWipe, kTFlipY);  // from top to bottom
    t[13] = Of(Family::Split, kId, Shape::ToCentre);
    t[14] = Of(Family::Split, kT, Shape::ToCentre);
    t[15] = Of(Family::Split, kId, Shape::FromCentre);
    t[16] = Of(Family::Split, kT, Shape::FromCentre);
    t[17] = Of(Family::Doors, kId, Shape::Closing);  // halves from the left and right edges
    t[18] = Of(Family::Doors, kT, Shape::Closing);   // from the top and bottom edges
    t[19] = Of(Family::Doors, kT, Shape::Opening);   // from the horizontal centre line
    t[20] = Of(Family::Doors, kId, Shape::Opening);  // from the vertical centre line
    t[21] = Of(Family::Slats, kId);                  // vertical slats, left to right
    t[22] = Of(Family::Slats, kFlipX);               // vertical slats, right to left
    t[23] = Of(Family::Slats, kT);                   // horizontal slats, top to bottom
    t[24] = Of(Family::Slats, kTFlipY);              // horizontal slats, bottom to top
    t[25] = Of(Family::Comb, kId, Shape::Sliding);   // horizontal bands
    t[26] = Of(Family::Comb, kT, Shape::Sliding);    // vertical bands, even from the top
    t[27] = Of(Family::Comb, kId, Shape::Revealed);
    t[28] = Of(Family::Comb, kT, Shape::Revealed);
    t[29] = Of(Family::CornerBox, kId);               // from the top-left
    t[30] = Of(Family::CornerBox, kFlipX);            // from the top-right
    t[31] = Of(Family::CornerBox, kFlipY);            // from the bottom-left
    t[32] = Of(Family::CornerBox, kFlipXY);           // from the bottom-right
    t[33] = Of(Family::ProportionalCorner, kId);      // old content into the bottom-right
    t[34] = Of(Family::ProportionalCorner, kFlipX);   // into the bottom-left
    t[35] = Of(Family::ProportionalCorner, kFlipY);   // into the top-right
    t[36] = Of(Family::ProportionalCorner, kFlipXY);  // into the top-left
    t[37] = Of(Family::Diagonal, kId);                // from the top-left
    t[38] = Of(Family::Diagonal, kFlipX);             // from the top-right
    t[39] = Of(Family::Diagonal, kFlipY);             // from the bottom-left
    t[40] = Of(Family::Diagonal, kFlipXY);            // from the bottom-right
    t[41] = Of(Family::Box);
    t[42] = Of(Family::BoxIn);
    // 43: the picture as a cross growing from the centre lines; 44: the picture
    // in the four corners, the old content as a cross thinning to the centre lines.
    t[43] = NoStop(Of(Family::Cross, kId, Shape::CornersShrink));
    t[44] = NoStop(Of(Family::Cross, kId, Shape::CornersGrow));
    t[45] = Of(Family::Mask, kId, Shape::Diamond);  // from the centre
    t[46] = Of(Family::Mask, kId, Shape::Arrow);    // pointing right, from the left edge
    t[47] = Of(Family::Mask, kId, Shape::CircleGrow);
    t[48] = Of(Family::Mask, kId, Shape::CircleShrink);
    t[49] = SleepPaced(Of(Family::CornerFlyIn, kId));      // into the top-left corner
    t[50] = SleepPaced(Of(Family::CornerFlyIn, kFlipX));   // top-right
    t[51] = SleepPaced(Of(Family::CornerFlyIn, kFlipY));   // bottom-left
    t[52] = SleepPaced(Of(Family::CornerFlyIn, kFlipXY));  // bottom-right
    t[53] = Sweep(1, 1, 0, 360);                       // full turn about the centre from 12 o'clock
    t[54] = Sweep(0, 0, 90, 90);                       // quarter turns about the corners: top-left,
    t[55] = Sweep(2, 0, 180, 90);                      // top-right,
    t[56] = Sweep(2, 2, 270, 90);                      // bottom-right,
    t[57] = Sweep(0, 2, 0, 90);                        // bottom-left
    t[58] = Sweep(1, 2, 270, 180);                     // half turns about edge midpoints: bottom,
    t[59] = Sweep(0, 1, 0, 180);                       // left,
    t[60] = Sweep(1, 0, 90, 180);                      // top
    t[61] = Of(Family::Zoom, kId, Shape::Point);       // from the centre point
    t[62] = Of(Family::Zoom, kId, Shape::LineAcross);  // from the horizontal centre line
    t[63] = Of(Family::Zoom, kT, Shape::LineAcross);   // from the vertical centre line
    t[64] = Of(Family::Zoom, kId, Shape::CornerPoint);      // from the top-left corner
    t[65] = Of(Family::Zoom, kFlipXY, Shape::CornerPoint);  // from the bottom-right corner
    t[66] = Of(Family::Squeeze, kId);                       // in from the right
    t[67] = Of(Family::Squeeze, kFlipX);                    // from the left
    t[68] = Of(Family::Squeeze, kT);                        // from the bottom
    t[69] = Of(Family::Squeeze, kTFlipY);                   // from the top
    t[70] = t[9];
    t[71] = t[10];
    t[72] = t[11];
    t[73] = t[12];
    // Half turns of the whole line through the centre, by starting angle and sense.
    t[74] = Sweep(1, 1, 0, 180, true, true);
    t[75] = Sweep(1, 1, 0, 180, false, true);
    t[76] = Sweep(1, 1, 90, 180, true, true);
    t[77] = Sweep(1, 1, 90, 180, false, true);
    t[78] = Sweep(1, 1, 45, 180, true, true);
    t[79] = Sweep(1, 1, 45, 180, false, true);
    t[80] = Sweep(1, 1, 135, 180, true, true);
    t[81] = Sweep(1, 1, 135, 180, false, true);
    t[82] = Of(Family::Mask, kId, Shape::GridFromCentre);  // 32-pixel cells
    t[83] = Of(Family::Mask, kId, Shape::GridFromCorner);  // 32-pixel cells
    t[84] = Of(Family::StretchSlide, kId);                 // from the right
    t[85] = Of(Family::StretchSlide, kFlipX);              // from the left
    t[86] = Of(Family::StretchSlide, kT);                  // from the bottom
    t[87] = NoStop(Of(Family::StretchSlide, kTFlipY));     // from the top
    t[88] = Of(Family::Smear, kT);                         // bottom to top
    t[89] = Of(Family::Smear, kTFlipY);                    // top to bottom
    t[90] = Of(Family::Smear, kId);                        // right to left
    t[91] = Of(Family::Smear, kFlipX);                     // left to right
    t[92] = Dissolve(Dissolving::Blocks, Shape::RandomOrder);
    t[93] = Dissolve(Dissolving::Blocks, Shape::InterlacedPasses);
    t[94] = Of(Family::GridGrowth, kId, Shape::GridFromCentre);
    t[95] = Of(Family::GridGrowth, kId, Shape::GridFromCorner);
    t[96] = SleepPaced(Of(Family::SlideInBands, kId));        // top first, from the right
    t[97] = SleepPaced(Of(Family::SlideInBands, kFlipX));     // top first, from the left
    t[98] = SleepPaced(Of(Family::SlideInBands, kFlipY));     // bottom first, from the right
    t[99] = SleepPaced(Of(Family::SlideInBands, kFlipXY));    // bottom first, from the left
    t[100] = SleepPaced(Of(Family::SlideInBands, kT));        // vertical: left first, from below
    t[101] = SleepPaced(Of(Family::SlideInBands, kTFlipY));   // left first, from above
    t[102] = SleepPaced(Of(Family::SlideInBands, kTFlipX));   // right first, from below
    t[103] = SleepPaced(Of(Family::SlideInBands, kTFlipXY));  // right first, from above
    t[104] = Dissolve(Dissolving::Lines, Shape::RandomOrder);
    t[105] = Dissolve(Dissolving::Lines, Shape::InterlacedPasses);
    t[106] = NoStop(Of(Family::Mask, kId, Shape::BandsFromCentre));  // horizontal bands
    t[107] = NoStop(Of(Family::Mask, kT, Shape::BandsFromCentre));   // vertical bands
    t[108] = NoStop(Of(Family::BlockZoom));
    return t;
}

constexpr std::array<EffectRecipe, 109> kTable = BuildTable();
constexpr EffectRecipe kNone{};

}  // namespace

const EffectRecipe& LookUpEffect(int number) {
    if (number < 0 || number > 108) return kNone;
    return kTable[std::size_t(number)];
}

}  // namespace led
