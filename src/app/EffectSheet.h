#pragma once
// `ledplayer effect-sheet N`: renders transition effect N on virtual time and
// writes a contact sheet of evenly spaced frames (first and last included).
// Users pick effects with it; reviewers look at effects with it.

#include <iosfwd>
#include <string>

#include "platform/display/Surface.h"
#include "platform/geometry.h"
#include "render/effects/Effects.h"

namespace led {

struct EffectSheetOptions {
    int number = 0;
    std::string picture{};  // picture file (BMP, JPEG, PNG)
    std::string size{};     // area size WxH
    std::string mode = "show";
    std::string background = "000000";  // RRGGBB
    std::string old{};                  // picture the area shows before the effect
    int frames = 16;
    int speed = 1;  // the item's speed: frame delay 2 × (speed − 1) ms
    std::string out{};
};

// Exit status: 0 when the sheet is written (and {"effect":N,"frames":F,
// "durationMs":D} printed on `out`), 1 when a picture cannot be loaded or the
// sheet cannot be written, 2 for bad options (a message on `err`).
int EffectSheet(const EffectSheetOptions& options, std::ostream& out, std::ostream& err);

struct EffectSheetInput {
    EffectRequest request;  // number, mode, delay, background, keep-screen
    Size area;
    const Surface* picture = nullptr;
    const Surface* old = nullptr;  // the area's content before the effect, or none
    int frames = 16;               // frames on the sheet
};

struct EffectSheetResult {
    Surface sheet;
    EffectResult effect;
    int framesShown = 0;
};

// Runs the effect twice on a stepped clock: once to count its frames, once to
// keep the chosen ones, and lays them out row by row on one surface.
EffectSheetResult RenderEffectSheet(const EffectSheetInput& input);

}  // namespace led
