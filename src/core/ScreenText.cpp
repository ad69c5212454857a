#include "core/ScreenText.h"

#include "core/ResourceBitmaps.h"

namespace led {

Font MakeFont(int height, int width, int escapement, int orientation, int weight, bool italic,
              bool underline, bool strikeOut, int charset, int outputPrecision, int clipPrecision,
              int quality, int pitchAndFamily, const std::string& face) {
    FontRequest r;
    r.height = height;
    r.width = width;
    r.escapement = escapement;
    r.orientation = orientation;
    r.weight = weight;
    r.italic = italic;
    r.underline = underline;
    r.strikeOut = strikeOut;
    r.charset = charset;
    r.pitchAndFamily = pitchAndFamily;
    r.face = face;
    return Fonts::MakeFont(r);
}

void DrawMessageText(Window& window, int left, int top, int right, int bottom,
                     const std::string& text) {
    int width = right - left, height = bottom - top;
    if (width <= 0 || height <= 0) return;
    // The face of "\nand\font\msyh.ttf"; the CJK fallback covers its absence.
    Font font = MakeFont(-16, 0, 0, 0, 400, false, false, false, 1, 0, 0, 0, 49, "微软雅黑");
    if (!font.IsValid()) return;
    Surface bitmap(width, height);  // black
    Canvas(bitmap).DrawText(font, text, bitmap.Bounds(), kRed);
    window.Paint()->Copy(bitmap, {left, top});
}

void FillBlack(Window& window) {
    auto painter = window.Paint();
    painter->FillAll(kBlack);
}

void DrawBar(Window& window, int left, int top, int /*right*/, int bottom, int /*spare*/,
             int length, Colour colour) {
    Rect bar = Rect::FromEdges(left, top, left + length, bottom);
    if (bar.IsEmpty()) return;
    auto painter = window.Paint();
    painter->Fill(bar, colour);
    painter->FrameRect(bar, kBlack);
}

bool DrawResourceBitmap(Window& window, int x, int y, int width, int height, int number) {
    const Surface* bitmap = ResourceBitmap(number);
    if (!bitmap) return false;
    auto painter = window.Paint();
    painter->Stretch(*bitmap, bitmap->Bounds(), {x, y, width, height});
    return true;
}

}  // namespace led
