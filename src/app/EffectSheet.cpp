#include "app/EffectSheet.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <ostream>
#include <vector>

#include "platform/clock/Clock.h"
#include "platform/display/Canvas.h"
#include "platform/image/ImageCodec.h"
#include "platform/image/PngWriter.h"

namespace led {
namespace {

constexpr int kMaxArea = 8192;
constexpr int kMaxFrames = 1000;
constexpr Size kCellBox{384, 216};  // thumbnails fit this box
constexpr int kMaxZoom = 4;         // small areas are enlarged up to this, pixel for pixel
constexpr int kGap = 4;
constexpr Colour kSheetColour = Colour::FromRgb(0x20, 0x20, 0x20);

struct Layout {
    Size cell;
    int zoom = 1;  // > 1: whole-pixel enlargement; 1 with cell < area: reduction
    int columns = 1;
    int rows = 1;
    Size sheet;
    Point CellAt(int slot) const {
        return {kGap + (slot % columns) * (cell.width + kGap),
                kGap + (slot / columns) * (cell.height + kGap)};
    }
};

Layout LayOut(Size area, int slots) {
    Layout l;
    if (area.width > kCellBox.width || area.height > kCellBox.height) {
        double f =
            std::min(double(kCellBox.width) / area.width, double(kCellBox.height) / area.height);
        l.cell = {std::max(1, int(area.width * f)), std::max(1, int(area.height * f))};
    } else {
        l.zoom = std::clamp(std::min(kCellBox.width / area.width, kCellBox.height / area.height), 1,
                            kMaxZoom);
        l.cell = {area.width * l.zoom, area.height * l.zoom};
    }
    l.columns = std::max(1, int(std::ceil(std::sqrt(double(slots)))));
    l.rows = std::max(1, (slots + l.columns - 1) / l.columns);
    l.sheet = {kGap + l.columns * (l.cell.width + kGap), kGap + l.rows * (l.cell.height + kGap)};
    return l;
}

void DrawThumbnail(Surface& sheet, const Layout& layout, int slot, const Surface& frame) {
    Point at = layout.CellAt(slot);
    Canvas canvas(sheet);
    if (layout.cell == frame.GetSize()) {
        canvas.Copy(frame, at);
    } else if (layout.zoom == 1) {
        canvas.Stretch(frame, frame.Bounds(), {at.x, at.y, layout.cell.width, layout.cell.height});
    } else {
        for (int y = 0; y < layout.cell.height; ++y)
            for (int x = 0; x < layout.cell.width; ++x)
                sheet.SetPixel(at.x + x, at.y + y, frame.Pixel(x / layout.zoom, y / layout.zoom));
    }
}

// Keeps the frames whose numbers are wanted, drawn straight onto the sheet.
class SheetTarget final : public SurfaceEffectTarget {
public:
    SheetTarget(Surface& window, Surface& sheet, const Layout& layout, std::vector<int> wanted)
        : SurfaceEffectTarget(window), sheet_(sheet), layout_(layout), wanted_(std::move(wanted)) {}
    int Kept() const { return kept_; }

protected:
    void FrameEnded(const Surface& surface, int frame) override {
        while (kept_ < int(wanted_.size()) && wanted_[size_t(kept_)] == frame)
            DrawThumbnail(sheet_, layout_, kept_++, surface);
    }

private:
    Surface& sheet_;
    const Layout& layout_;
    std::vector<int> wanted_;
    int kept_ = 0;
};

Surface StartingWindow(const EffectSheetInput& in) {
    Surface window(in.area.width, in.area.height);
    Canvas canvas(window);
    canvas.FillAll(in.request.background);
    if (in.old)
        canvas.Copy(*in.old, {0, 0});
    else if (in.request.mode == EffectMode::Erase && in.picture)
        canvas.Copy(*in.picture, {0, 0});
    return window;
}

EffectResult RunOnce(const EffectSheetInput& in, SurfaceEffectTarget& target) {
    Clock clock = Clock::Stepped(LocalTime{2024, 1, 1, 0, 0, 0, 0, 1});
    std::atomic<bool> stop{false};
    return RunEffect(in.request, target, *in.picture, clock, stop);
}

bool ParseSize(const std::string& text, Size& size) {
    int w = 0, h = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &w, &h, &tail) != 2) return false;
    if (w < 1 || h < 1 || w > kMaxArea || h > kMaxArea) return false;
    size = {w, h};
    return true;
}

bool ParseColour(const std::string& text, Colour& colour) {
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    unsigned long rgb = std::stoul(text, nullptr, 16);
    colour = Colour::FromRgb(uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb));
    return true;
}

}  // namespace

EffectSheetResult RenderEffectSheet(const EffectSheetInput& in) {
    EffectSheetResult result;
    Surface window = StartingWindow(in);
    SurfaceEffectTarget counter(window);
    RunOnce(in, counter);
    const int total = counter.FramesEnded();

    // Evenly spaced frame numbers, the first and the last among them.
    std::vector<int> wanted;
    int shown = std::clamp(std::min(in.frames, total), 0, kMaxFrames);
    for (int i = 0; i < shown; ++i)
        wanted.push_back(shown == 1 ? total - 1
                                    : int(std::lround(double(i) * (total - 1) / (shown - 1))));

    Layout layout = LayOut(in.area, std::max(shown, 1));
    result.sheet = Surface(layout.sheet.width, layout.sheet.height);
    Canvas(result.sheet).FillAll(kSheetColour);
    window = StartingWindow(in);
    if (shown == 0)
        DrawThumbnail(result.sheet, layout, 0, window);  // nothing drawn: the area as it was
    SheetTarget target(window, result.sheet, layout, std::move(wanted));
    result.effect = RunOnce(in, target);
    result.framesShown = target.Kept();
    return result;
}

int EffectSheet(const EffectSheetOptions& o, std::ostream& out, std::ostream& err) {
    const char* me = "ledplayer effect-sheet: ";
    EffectSheetInput in;
    in.request.number = o.number;
    in.request.delay = EffectDelay(o.speed);
    in.frames = o.frames;
    if (!ParseSize(o.size, in.area)) {
        err << me << "--size wants WxH (1 to " << kMaxArea << "), got \"" << o.size << "\"\n";
        return 2;
    }
    if (!ParseColour(o.background, in.request.background)) {
        err << me << "--background wants RRGGBB, got \"" << o.background << "\"\n";
        return 2;
    }
    if (o.mode != "show" && o.mode != "erase") {
        err << me << "--mode wants show or erase, got \"" << o.mode << "\"\n";
        return 2;
    }
    if (o.frames < 1 || o.frames > kMaxFrames) {
        err << me << "--frames wants 1 to " << kMaxFrames << "\n";
        return 2;
    }
    if (o.out.empty()) {
        err << me << "--out is required\n";
        return 2;
    }
    in.request.mode = o.mode == "erase" ? EffectMode::Erase : EffectMode::Show;

    ImageCodec codec;
    ImageResult picture = codec.Load(o.picture, in.request.background);
    if (!picture) {
        err << me << o.picture << ": " << picture.Message() << "\n";
        return 1;
    }
    in.picture = &picture.picture;
    ImageResult old;
    if (!o.old.empty()) {
        old = codec.Load(o.old, in.request.background);
        if (!old) {
            err << me << o.old << ": " << old.Message() << "\n";
            return 1;
        }
        in.old = &old.picture;
    }
    // The effect starts from what the area shows: the old picture, or in
    // erase mode the picture itself (as an exit effect finds it).
    in.request.keepScreen = in.old || in.request.mode == EffectMode::Erase;

    EffectSheetResult sheet = RenderEffectSheet(in);
    if (!WritePng(sheet.sheet, o.out)) {
        err << me << "cannot write " << o.out << "\n";
        return 1;
    }
    nlohmann::ordered_json line;
    line["effect"] = o.number;
    line["frames"] = sheet.effect.frames;
    line["durationMs"] = sheet.effect.durationMs;
    out << line.dump() << "\n";
    return 0;
}

}  // namespace led
