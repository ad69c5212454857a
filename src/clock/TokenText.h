#pragma once
// Draws a token template (the runs of a rich text file) once: runs laid out
// line by line, each line aligned by its first run, runs of a line sitting
// on a common bottom, tokens expanded for the area type. Shared by the
// clock, countdown and (later) sensor areas. Fonts are made once, when the
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

class TokenTextDrawer {
public:
    TokenTextDrawer(std::vector<TextRun> runs, int areaType, int dotsPerInch = 96);

    // Draws onto the canvas (the caller filled the background). `positions`,
    // when given, receives each run's top-left, in run order.
    void Draw(Canvas& canvas, const TokenContext& context, std::vector<Point>* positions = nullptr);

    const std::vector<TextRun>& Runs() const { return runs_; }
    uint32_t Mask() const { return mask_; }

private:
    std::vector<TextRun> runs_;
    std::vector<Font> fonts_;
    int areaType_;
    uint32_t mask_ = 0;
};

}  // namespace led
