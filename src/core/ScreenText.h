#pragma once
// The small painting helpers that start-up, the schedulers and the transfer
// code use on the main window: system messages, black fill, progress bar and
// the predefined bitmaps.

#include <string>

#include "platform/display/Display.h"
#include "platform/geometry.h"
#include "platform/text/Fonts.h"

namespace led {

// The board's font maker: a font from the logical request, or an invalid Font
// when none can be made.
Font MakeFont(int height, int width, int escapement, int orientation, int weight, bool italic,
              bool underline, bool strikeOut, int charset, int outputPrecision, int clipPrecision,
              int quality, int pitchAndFamily, const std::string& face);

// Red system message text on black in the box (left, top)-(right, bottom) of
// the window, drawn off screen and copied in one piece.
void DrawMessageText(Window& window, int left, int top, int right, int bottom,
                     const std::string& text);
void FillBlack(Window& window);
// Fills (left, top)-(left + length, bottom) with the colour, outlined by the
// board's black pen. `right` and `spare` are not read, as on the board.
void DrawBar(Window& window, int left, int top, int right, int bottom, int spare, int length,
             Colour colour);
// Copies predefined bitmap `number` to (x, y) at the given size. False for an
// unknown number.
bool DrawResourceBitmap(Window& window, int x, int y, int width, int height, int number);

}  // namespace led
