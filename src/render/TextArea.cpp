#include "render/TextArea.h"

#include <spdlog/spdlog.h>

#include <algorithm>

#include "platform/display/Canvas.h"
#include "platform/display/Display.h"
#include "platform/text/Fonts.h"

namespace led {
namespace {

// Taller than any screen: such a height comes from a damaged file, and the
// font maker's sizes would overflow.
constexpr int kMaxTextHeight = 16384;

// The board's request for every text area item: SIMSUN, weight 400, the GB
// character set, fixed pitch modern family.
Font TextItemFont(const TextItem& item) {
    FontRequest request;
    request.height = item.height;
    request.weight = 400;
    request.italic = item.italic;
    request.underline = item.underline;
    request.strikeOut = item.strikeout;
    request.charset = 134;
    request.pitchAndFamily = 49;
    request.face = "SIMSUN";
    return Fonts::MakeFont(request);
}

}  // namespace

bool DrawTextItems(Canvas& canvas, const Rect& area, const std::vector<TextItem>& items) {
    int penX = area.x, penY = area.y;
    int previousHeight = 0;
    for (const TextItem& item : items) {
        const Font font = item.height >= -kMaxTextHeight && item.height <= kMaxTextHeight
                              ? TextItemFont(item)
                              : Font{};
        if (!font.IsValid()) {
            spdlog::warn("text area: no font of height {} for \"{}\"", item.height, item.text);
            return false;
        }
        const Size measured = Canvas::MeasureText(font, item.text);
        if (item.lineBreak) {
            penX = area.x;
            penY += previousHeight;
        }
        const int x = penX + item.offset;
        const Rect box = Rect{x, penY, area.width, area.height}.Intersected(area);
        canvas.Fill(box, kBlack);
        if (!box.IsEmpty()) canvas.DrawText(font, item.text, box, Colour{item.colour});
        penX = x + measured.width;
        previousHeight = std::abs(item.height);
    }
    return true;
}

std::vector<TextItem> TextItemsOf(const AreaRecord& area) {
    std::vector<TextItem> items;
    for (const AreaItem& a : area.items) {
        TextItem t;
        t.text = a.text;
        t.height = a.font.height;
        t.italic = a.font.italic == 1;
        t.underline = a.font.underline == 1;
        t.strikeout = a.font.strikeout == 1;
        t.colour = uint32_t(a.font.colour);
        t.lineBreak = a.lineBreak != 0;
        t.offset = a.offset;
        items.push_back(std::move(t));
    }
    return items;
}

void RunTextArea(const AreaContext& c) {
    const AreaRecord& area = c.area;
    Window* main = c.services.mainWindow;
    if (area.items.empty() || !main) {
        c.StoreCycleCount(c.state.requiredPlaytimes.load());
        c.Sleep(2);
        return;
    }
    const Rect frame = main->Frame();
    const Rect rect = Rect::FromInclusive(area.left, area.top, area.right, area.bottom)
                          .Intersected({0, 0, frame.width, frame.height});
    {
        auto painter = main->Paint();
        DrawTextItems(painter.canvas(), rect, TextItemsOf(area));
    }
    // The board never counts a text area's cycle, so a program that waits
    // for its areas to finish would wait for ever: the text counts as played
    // once it is drawn.
    c.StoreCycleCount(c.state.requiredPlaytimes.load());
}

}  // namespace led
