#include "clock/ClockAreas.h"

#include <spdlog/spdlog.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <set>

#include "clock/AreaFonts.h"
#include "clock/ClockTokens.h"
#include "clock/OsdExport.h"
#include "clock/TokenText.h"
#include "platform/clock/Clock.h"
#include "platform/config/Settings.h"
#include "platform/display/Display.h"
#include "platform/fs/DeviceFs.h"
#include "platform/image/ImageCodec.h"
#include "platform/text/LocaleNames.h"
#include "render/AreaFrame.h"
#include "render/PictureFile.h"
#include "storage/RichText.h"

namespace led {
namespace {

constexpr int kDrawsPerCycle = 5;

struct ClockLikeTexts {
    const char* windowTitle;
    const char* cycleText;
};

uint64_t CycleWParam(const char* text) { return reinterpret_cast<uintptr_t>(text); }

// Nothing to draw or nowhere to draw it: the area counts as done at once.
void ReportNothingToDraw(const AreaContext& c, const char* cycleText) {
    c.StoreCycleCount(c.state.requiredPlaytimes.load());
    c.SendCycleMessage(CycleWParam(cycleText));
    c.Sleep(500);
}

// The once-a-second loop: a draw, then the rest of the second in short
// sleeps that end early on the stop flag. Every fifth draw completes a
// cycle; the cycle message goes after each draw while the count is 5.
void DrawEverySecond(const AreaContext& c, const char* cycleText,
                     const std::function<void()>& draw) {
    const Clock& clock = c.services.clock;
    int draws = 0;
    int32_t cycles = 0;
    while (!c.StopRequested()) {
        const int64_t start = clock.Ticks();
        draw();
        while (!c.StopRequested() && clock.Ticks() - start < 1000) {
            const int64_t left = 1000 - (clock.Ticks() - start);
            clock.Sleep(std::min<int64_t>(50, left));
        }
        if (c.StopRequested()) break;
        if (++draws % kDrawsPerCycle == 0) c.StoreCycleCount(++cycles);
        if (cycles == 5) {
            c.SendCycleMessage(CycleWParam(cycleText));
            c.Sleep(150);
        }
    }
}

const LocaleNames& AreaLocaleNames(const AreaContext& c, std::optional<LocaleNames>& holder) {
    holder = LocaleNames::Load(c.services.settings.locale);
    if (!holder) {
        spdlog::warn("locale \"{}\" is not installed; the clock uses the C locale's names",
                     c.services.settings.locale);
        holder = LocaleNames::C();
    }
    return *holder;
}

// Digital clock, countdown and the sensor areas: a token template drawn into
// the window, or in OSD text mode described in the OSD file instead.
void RunTokenTextArea(const AreaContext& c, int type, const ClockLikeTexts& texts) {
    if (c.area.items.empty()) {
        ReportNothingToDraw(c, texts.cycleText);
        return;
    }
    std::unique_ptr<Window> window = CreateAreaWindow(c, texts.windowTitle, true);
    if (!window) {
        ReportNothingToDraw(c, texts.cycleText);
        return;
    }
    const DeviceFs& fs = c.services.fs;
    const AreaItem& item = c.area.items.front();
    const bool sensor = SensorTokens(type) != nullptr;
    RichText text;
    if (!item.path.empty() && fs.Exists(item.path)) ReadRichText(fs, item.path, text);
    // Each value token in a run of its own, so that the valve colours the
    // value and not the words around it.
    if (sensor) text.runs = SplitRunsAtToken(SplitRunsAtToken(text.runs, type, 0), type, 1);
    std::vector<std::string> faces;
    for (const TextRun& run : text.runs) faces.push_back(run.face);
    AreaFonts fonts(fs, faces);

    const bool osdText = c.services.settings.osdTextMode == 1;
    if (osdText) {
        if (type == area_type::kDigitalClock)
            WriteOsdClockFile(fs, text.runs, item.timeDifference, item.weekdayNames);
        else if (type == area_type::kCountdown)
            WriteOsdTimingFile(fs, text.runs);
        else
            WriteOsdSensorFile(fs, text.runs, type, item.precision, item.sensorMode);
    }

    std::optional<LocaleNames> names;
    TokenContext context;
    context.names = &AreaLocaleNames(c, names);
    context.difference = item.timeDifference;
    context.weekdayNames = item.weekdayNames;
    context.arrival = {item.arrivalYear, item.arrivalMonth,  item.arrivalDay,
                       item.arrivalHour, item.arrivalMinute, item.arrivalSecond};
    TokenTextDrawer drawer(std::move(text.runs), type);
    // A valve that is switched off reads as 1000 from the playlist; an item
    // without one has nothing to compare with.
    if (sensor && item.valveEnabled) drawer.SetValve(item.valve, uint32_t(item.valveColour));
    const Rect frame = window->Frame();
    Surface bitmap(frame.width, frame.height);
    std::vector<Point> positions, written;
    DrawEverySecond(c, texts.cycleText, [&] {
        context.now = c.services.clock.Now();
        if (sensor) context.sensor = SelectSensorValue(*c.services.sensors.Readings(), type, item);
        Canvas canvas(bitmap);
        canvas.FillAll(Colour{uint32_t(c.area.backgroundColour)});
        drawer.Draw(canvas, context, osdText ? &positions : nullptr);
        if (osdText) {
            for (Point& p : positions) p = {p.x + c.area.left, p.y + c.area.top};
            // The file lives on flash: written again only when a run moved.
            if (positions != written && UpdateOsdPositions(fs, type, positions))
                written = positions;
            return;
        }
        auto painter = window->Paint();
        painter->Copy(bitmap);
    });
}

}  // namespace

void RunDigitalClockArea(const AreaContext& c) {
    const bool osd = c.layer == Layer::Osd;
    RunTokenTextArea(c, area_type::kDigitalClock,
                     {osd ? "OSD dclock window" : "dclock window",
                      osd ? "OSD Dclock Area completed" : "Dclock Area completed"});
}

void RunCountdownArea(const AreaContext& c) {
    const bool osd = c.layer == Layer::Osd;
    spdlog::info("--- Timing thread on");
    RunTokenTextArea(c, area_type::kCountdown,
                     {osd ? "OSD dclock window" : "dclock window",
                      osd ? "OSD Dclock Area completed" : "Dclock Area completed"});
    spdlog::info("--- Timing thread close");
}

void RunSensorArea(const AreaContext& c) {
    const bool osd = c.layer == Layer::Osd;
    const int type = c.area.type;
    ClockLikeTexts texts;
    if (type == area_type::kTemperature)
        texts = {osd ? "OSD dtemperature window" : "dtemperature window",
                 osd ? "OSD Dtemperature Area completed" : "Dtemperature Area completed"};
    else if (type == area_type::kHumidity)
        texts = {osd ? "OSD dhumidity window" : "dhumidity window",
                 osd ? "OSD Dhmidity Area completed" : "Dhmidity Area completed"};
    else
        texts = {osd ? "OSD dnoise window" : "dnoise window",
                 osd ? "OSD DNoise Area completed" : "DNoise Area completed"};
    RunTokenTextArea(c, type, texts);
}

HandPictures HandPicturesAt(int hour, int minute, int second) {
    return {(hour % 12) * 5 + minute / 12 + 1, minute + 61, second + 121};
}

struct AnalogClockFace::Impl {
    const DeviceFs& fs;
    const AreaItem& item;
    TokenContext context;
    ImageCodec codec;
    Font top, bottom;
    // The loaded picture of each layer: dial, hour, minute, second.
    struct Slot {
        int index = -1;
        std::optional<Surface> picture;
    };
    std::array<Slot, 4> slots;
    std::set<int> reported;

    Impl(const DeviceFs& f, const AreaItem& i) : fs(f), item(i), codec() {}

    static Font StringFont(const ClockStrings& s) {
        FontRequest r;
        r.height = s.size;
        r.weight = s.weight;
        r.italic = s.italic != 0;
        r.charset = 1;
        r.pitchAndFamily = 0x30;
        r.face = s.face;
        Font font = Fonts::MakeFont(r);
        if (!font.IsValid()) {
            r.face = "simsun";
            font = Fonts::MakeFont(r);
        }
        return font;
    }

    const Surface* Picture(int slot, int index) {
        Slot& s = slots[size_t(slot)];
        if (s.index == index) return s.picture ? &*s.picture : nullptr;
        s.index = index;
        s.picture.reset();
        if (size_t(index) >= item.pageFiles.size()) return nullptr;
        ImageResult loaded = LoadPictureFile(codec, fs, item.pageFiles[size_t(index)], Colour{0});
        if (!loaded) {
            if (reported.insert(index).second)
                spdlog::warn("analog clock picture {}: {}", item.pageFiles[size_t(index)],
                             loaded.Message());
            return nullptr;
        }
        s.picture = std::move(loaded.picture);
        return &*s.picture;
    }

    void DrawString(Canvas& canvas, const Font& font, const ClockStrings& s, int y) {
        if (s.text.empty()) return;
        std::string text = s.text;
        ExpandTokens(text, area_type::kDigitalClock, 0, context);
        const Rect b = canvas.Bounds();
        canvas.DrawText(font, text, {0, y, b.width, b.height - y}, Colour{uint32_t(s.colour)},
                        TextAlign::Center);
    }
};

AnalogClockFace::AnalogClockFace(const DeviceFs& fs, const AreaItem& item, const LocaleNames& names)
    : impl_(std::make_unique<Impl>(fs, item)) {
    impl_->context.names = &names;
    impl_->context.difference = item.timeDifference;
    impl_->context.weekdayNames = item.weekdayNames;
    impl_->top = Impl::StringFont(item.topString);
    impl_->bottom = Impl::StringFont(item.bottomString);
}

AnalogClockFace::~AnalogClockFace() = default;

void AnalogClockFace::Draw(Surface& target, const LocalTime& now) {
    Impl& m = *impl_;
    m.context.now = now;
    // The hands turn with the hours, minutes and seconds of the difference.
    TimeDifference handDifference = m.item.timeDifference;
    handDifference.days = 0;
    const LocalTime t = ShiftTime(now, handDifference);
    const HandPictures hands = HandPicturesAt(t.hour, t.minute, t.second);
    Canvas canvas(target);
    canvas.FillAll(Colour{0});
    const Rect all = canvas.Bounds();
    if (const Surface* dial = m.Picture(0, 0)) canvas.Copy(*dial);
    m.DrawString(canvas, m.top, m.item.topString, all.height / 4);
    m.DrawString(canvas, m.bottom, m.item.bottomString, all.height / 4 * 3);
    const int layers[] = {hands.hour, hands.minute, hands.second};
    for (int i = 0; i < 3; ++i)
        if (const Surface* hand = m.Picture(i + 1, layers[i]))
            canvas.CopyKeyed(*hand, hand->Bounds(), all, Colour{0});
}

void RunAnalogClockArea(const AreaContext& c) {
    const bool osd = c.layer == Layer::Osd;
    const char* cycleText = osd ? "OSD DNoise Area completed" : "DNoise Area completed";
    spdlog::info("--- Simulation thread on");
    if (c.area.items.empty()) {
        ReportNothingToDraw(c, cycleText);
        spdlog::info("--- Simulation thread close");
        return;
    }
    std::unique_ptr<Window> window =
        CreateAreaWindow(c, osd ? "OSD Simulation Clock window" : "Simulation Clock window", true);
    if (!window) {
        ReportNothingToDraw(c, cycleText);
        spdlog::info("--- Simulation thread close");
        return;
    }
    const AreaItem& item = c.area.items.front();
    AreaFonts fonts(c.services.fs, {item.topString.face, item.bottomString.face});
    std::optional<LocaleNames> names;
    AnalogClockFace face(c.services.fs, item, AreaLocaleNames(c, names));
    const Rect frame = window->Frame();
    // Pictures are area-sized; the window may be cut at the raster's edge.
    Surface bitmap(c.area.Width(), c.area.Height());
    DrawEverySecond(c, cycleText, [&] {
        face.Draw(bitmap, c.services.clock.Now());
        auto painter = window->Paint();
        painter->Copy(bitmap, {0, 0, frame.width, frame.height}, {0, 0});
    });
    spdlog::info("--- Simulation thread close");
}

}  // namespace led
