#include "clock/TokenText.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace led {

int RunFontHeight(int32_t size, int dpi) {
    // MulDiv: rounded; the halving truncates.
    const int64_t product = int64_t(size) * dpi;
    const int64_t rounded = product >= 0 ? (product + 36) / 72 : -((-product + 36) / 72);
    return -int(rounded / 2);
}

FontRequest RunFontRequest(const TextRun& run, int dpi) {
    FontRequest r;
    r.height = RunFontHeight(run.size, dpi);
    r.weight = run.bold ? 700 : 400;
    r.italic = run.italic;
    r.underline = run.underline;
    r.strikeOut = run.strike;
    r.charset = 1;
    r.pitchAndFamily = 0x30;
    r.face = run.face;
    return r;
}

std::vector<TextRun> SplitRunsAtToken(const std::vector<TextRun>& runs, int areaType, int mode) {
    const char* tokens = SensorTokens(areaType);
    if (!tokens || mode < 0 || size_t(mode) >= std::strlen(tokens)) return runs;
    const std::string token{'%', tokens[mode]};
    std::vector<TextRun> out;
    out.reserve(runs.size());
    for (const TextRun& run : runs) {
        bool first = true;
        auto piece = [&](std::string text) {
            if (text.empty()) return;
            TextRun part = run;
            part.text = std::move(text);
            part.newLine = run.newLine && first;
            first = false;
            out.push_back(std::move(part));
        };
        size_t from = 0;
        for (size_t at; (at = run.text.find(token, from)) != std::string::npos;
             from = at + token.size()) {
            piece(run.text.substr(from, at - from));
            piece(token);
        }
        piece(run.text.substr(from));
        if (first) out.push_back(run);  // an empty run stays, line break and all
    }
    return out;
}

TokenTextDrawer::TokenTextDrawer(std::vector<TextRun> runs, int areaType, int dpi)
    : runs_(std::move(runs)), areaType_(areaType) {
    fonts_.reserve(runs_.size());
    for (const TextRun& run : runs_) {
        FontRequest request = RunFontRequest(run, dpi);
        Font font = Fonts::MakeFont(request);
        if (!font.IsValid()) {
            request.charset = 0x86;
            request.face = "SIMSUN";
            font = Fonts::MakeFont(request);
        }
        fonts_.push_back(std::move(font));
    }
}

void TokenTextDrawer::Draw(Canvas& canvas, const TokenContext& context,
                           std::vector<Point>* positions) {
    if (positions) positions->assign(runs_.size(), Point{});
    const int clientWidth = canvas.Bounds().width;
    uint32_t found = 0;
    int top = 0;
    size_t begin = 0;
    std::vector<std::string> texts;
    std::vector<Size> sizes;
    while (begin < runs_.size()) {
        size_t end = begin + 1;
        while (end < runs_.size() && !runs_[end].newLine) ++end;
        texts.clear();
        for (size_t i = begin; i < end; ++i) texts.push_back(runs_[i].text);
        JoinSplitTokens(texts);
        sizes.clear();
        int lineWidth = 0, lineHeight = 0;
        for (size_t i = 0; i < texts.size(); ++i) {
            found |= ExpandTokens(texts[i], areaType_, mask_, context);
            sizes.push_back(Canvas::MeasureText(fonts_[begin + i], texts[i]));
            lineWidth += sizes.back().width;
            lineHeight = std::max(lineHeight, sizes.back().height);
        }
        int x = 0;
        if (runs_[begin].alignment == 1) x = (clientWidth - lineWidth) / 2;
        if (runs_[begin].alignment == 2) x = clientWidth - lineWidth;
        for (size_t i = 0; i < texts.size(); ++i) {
            const TextRun& run = runs_[begin + i];
            const int y = top + lineHeight - sizes[i].height;
            uint32_t colour = run.colour;
            if (hasValve_ && IsValueRun(run.text, areaType_) && ReachesValve(texts[i], valve_))
                colour = valveColour_;
            canvas.DrawText(fonts_[begin + i], texts[i], {x, y, sizes[i].width, sizes[i].height},
                            Colour{colour});
            if (positions) (*positions)[begin + i] = {x, y};
            x += sizes[i].width;
        }
        top += lineHeight;
        begin = end;
    }
    if (mask_ == 0) mask_ = found;
}

}  // namespace led
