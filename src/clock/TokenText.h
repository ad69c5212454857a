#pragma once
// Draws a token template (the runs of a rich text file) once: runs laid out
// line by line, each line aligned by its first run, runs of a line sitting
// on a common bottom, tokens expanded for the area type. Shared by the
// clock, countdown and sensor areas. Fonts are made once, when the
// drawer is made, not per draw.

#include <cstdint>
#include <vector>

#include "clock/ClockTokens.h"
#include "platform/display/Canvas.h"
#include "platform/text/Fonts.h"
#include "storage/RichText.h"

namespace led {

// The pixel height of a run's font: half-points at the screen's dots per
// inch, negative (the character height), as the board's font maker takes it.
int RunFontHeight(int32_t sizeHalfPoints, int dotsPerInch = 96);
FontRequest RunFontRequest(const TextRun& run, int dotsPerInch = 96);

// Splits every run holding the area type's value token number `mode` (0:
// "%C", 1: "%F" for temperature; 0 for humidity "%u" and noise "%o") into the
// text before it, the token as a run of its own, and the text after it. The
// pieces keep the run's style; only the first keeps its new-line flag.
std::vector<TextRun> SplitRunsAtToken(const std::vector<TextRun>& runs, int areaType, int mode);

class TokenTextDrawer {
public:
    TokenTextDrawer(std::vector<TextRun> runs, int areaType, int dotsPerInch = 96);

    // Draws onto the canvas (the caller filled the background). `positions`,
    // when given, receives each run's top-left, in run order.
    void Draw(Canvas& canvas, const TokenContext& context, std::vector<Point>* positions = nullptr);

    // Value runs (a run that is exactly one of the sensor area's tokens) whose
    // shown number reaches `level` are drawn in `colour` (0x00BBGGRR).
    void SetValve(float level, uint32_t colour) {
        valve_ = level;
        valveColour_ = colour;
        hasValve_ = true;
    }

    uint32_t Mask() const { return mask_; }

private:
    std::vector<TextRun> runs_;
    std::vector<Font> fonts_;
    int areaType_;
    uint32_t mask_ = 0;
    bool hasValve_ = false;
    float valve_ = 0;
    uint32_t valveColour_ = 0;
};

}  // namespace led
