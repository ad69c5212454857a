#pragma once
// The text area (type 3): short lines of text written once straight onto the
// main window with the player's font; no window of its own, no cycles, no
// effects. Text messages from the control sessions are laid out the same way.

#include <cstdint>
#include <string>
#include <vector>

#include "core/AreaContext.h"
#include "platform/geometry.h"

namespace led {

class Canvas;

// One run of text as the text area draws it.
struct TextItem {
    std::string text;  // UTF-8
    int height = 0;    // the font's height as the font maker takes it
    bool italic = false, underline = false, strikeout = false;
    uint32_t colour = 0;     // 0x00BBGGRR
    bool lineBreak = false;  // back to the left edge, down by the previous item's height
    int offset = 0;          // horizontal gap before the item
};

// Draws `items` into `area` of the canvas: each item's text at the pen on a
// black box reaching to the area's right and bottom edges (the board's
// area-sized memory bitmap, cut to the area), the pen advancing by the offset
// and the measured width. False when a font could not be made: drawing stops
// at that item and the earlier ones stay.
bool DrawTextItems(Canvas& canvas, const Rect& area, const std::vector<TextItem>& items);

// The items of a playlist text area.
std::vector<TextItem> TextItemsOf(const AreaRecord& area);

void RunTextArea(const AreaContext& context);

}  // namespace led
