#include "program/PlaylistReader.h"

#include <spdlog/spdlog.h>

#include <array>
#include <cstring>
#include <tuple>

#include "platform/fs/DeviceFs.h"
#include "program/AreaContent.h"
#include "program/PlaylistFile.h"
#include "program/XmlLookup.h"

namespace led {
namespace {

using xml::Element;
using xml::Find;

constexpr int kNoTop = 99999;

// Splits "a<sep>b<sep>c" into three numbers; missing parts are 0.
std::array<int32_t, 3> ThreeNumbers(const char* text, char separator) {
    std::array<int32_t, 3> parts{};
    for (size_t i = 0; i < parts.size() && text; ++i) {
        parts[i] = xml::LeadingInt(text);
        text = std::strchr(text, separator);
        if (text) ++text;
    }
    return parts;
}

uint8_t TimeField(int32_t value) { return uint8_t(std::clamp(value, 0, 255)); }

const char* NonEmptyText(const Element* e) {
    const char* text = e ? e->GetText() : nullptr;
    return text && *text ? text : nullptr;
}

// Walks the programs with one working program, area and window record whose
// fields carry over from one element to the next.
class ProgramWalker {
public:
    ProgramWalker(const PlaylistEnvironment& env, int osdOffsetLine, PlaylistRead& out)
        : env_(env),
          osdOffsetLine_(osdOffsetLine),
          out_(out),
          content_(env.fs, env.videoDirectory) {}

    ProgramLists Walk(const Element* firstProgram) {
        for (const Element* c = firstProgram; c; c = c->NextSiblingElement()) {
            const Element* program = Find(c, "program");
            if (!program || !ReadProgram(*program)) break;
        }
        lists_.lastFrames = std::move(content_.LastFrames());
        out_.tvAreaSize = content_.TvAreaSize();
        return std::move(lists_);
    }

private:
    // False when the program has no area: it and every program after it are
    // left out.
    bool ReadProgram(const Element& e) {
        ProgramRecord& p = program_;
        if (const char* id = e.Attribute("id")) {
            p.id = xml::LeadingInt(id);
            p.idText = id;
        }
        const char* osd = e.Attribute("osd");
        p.osd = osd && *osd ? xml::LeadingInt(osd) : -1;
        xml::ReadInt(&e, "playtime", p.playtime);
        p.playtimes = 1;
        if (xml::ReadInt(&e, "playtimes", p.playtimes) && p.playtimes == 0) p.playtimes = 99999;
        xml::ReadInt(&e, "waitfinish", p.waitfinish);
        if (const Element* schedule = Find(&e, "schedule")) {
            ReadSchedule(*schedule);
        } else {
            p.schedule = ScheduleRecord{};
            p.schedule.weekdayMask = 0;
        }

        const Element* firstArea = Find(&e, "area");
        if (!firstArea) return false;
        p.areas.clear();
        int areasInFile = 0;
        for (const Element* c = firstArea; c; c = c->NextSiblingElement()) {
            const Element* area = Find(c, "area");
            if (!area) break;
            if (++areasInFile <= kMaxAreas) ReadArea(*area);
        }
        if (areasInFile > kMaxAreas) {
            spdlog::warn("playlist: program {} has {} areas; the first {} are kept", p.idText,
                         areasInFile, kMaxAreas);
            out_.cutPrograms.push_back({p.idText, areasInFile});
        }
        AppendProgram();
        return true;
    }

    void ReadSchedule(const Element& e) {
        ScheduleRecord& s = program_.schedule;
        xml::ReadIntAttribute(&e, "priority", s.priority);

        if (const char* days = NonEmptyText(Find(&e, "weekday"))) {
            s.weekdayMask = 0;
            for (int d = 0; d < 7; ++d)
                if (std::strchr(days, '0' + d)) s.weekdayMask |= 1u << d;
        } else {
            s.weekdayMask = 255;
        }

        const LocalTime& today = env_.today;
        std::array<int32_t, 3> begin{today.year, today.month, today.day};
        std::array<int32_t, 3> end{xml::Saturate(int64_t(today.year) + 10), today.month, today.day};
        if (const char* text = NonEmptyText(Find(&e, "begindate"))) begin = ThreeNumbers(text, '-');
        if (const char* text = NonEmptyText(Find(&e, "enddate"))) end = ThreeNumbers(text, '-');
        std::tie(s.beginYear, s.beginMonth, s.beginDay) = std::tuple(begin[0], begin[1], begin[2]);
        std::tie(s.endYear, s.endMonth, s.endDay) = std::tuple(end[0], end[1], end[2]);

        s.windows.clear();
        const Element* firstTime = Find(&e, "time");
        if (!firstTime) {
            s.windows.push_back(TimeWindow{0, 0, 0, 0, 23, 59, 59});
            return;
        }
        for (const Element* c = firstTime; c; c = c->NextSiblingElement()) {
            const Element* time = Find(c, "time");
            if (!time) break;
            ReadWindow(*time);
            s.windows.push_back(window_);
        }
    }

    void ReadWindow(const Element& e) {
        TimeWindow& w = window_;
        xml::ReadIntAttribute(&e, "id", w.id);
        if (const Element* begin = Find(&e, "begintime")) {
            auto hms = ThreeNumbers(NonEmptyText(begin), ':');
            w.beginHour = TimeField(hms[0]), w.beginMinute = TimeField(hms[1]);
            w.beginSecond = TimeField(hms[2]);
        }
        if (const Element* end = Find(&e, "endtime")) {
            std::array<int32_t, 3> hms{23, 59, 59};
            if (const char* text = NonEmptyText(end)) hms = ThreeNumbers(text, ':');
            w.endHour = TimeField(hms[0]), w.endMinute = TimeField(hms[1]);
            w.endSecond = TimeField(hms[2]);
        }
    }

    void ReadArea(const Element& e) {
        AreaRecord& a = area_;
        xml::ReadIntAttribute(&e, "id", a.id);
        xml::ReadIntAttribute(&e, "x", a.left);
        xml::ReadIntAttribute(&e, "y", a.top);
        int32_t size = 0;
        if (xml::ReadIntAttribute(&e, "w", size)) a.right = xml::InclusiveEnd(a.left, size);
        if (xml::ReadIntAttribute(&e, "h", size)) a.bottom = xml::InclusiveEnd(a.top, size);
        xml::ReadIntAttribute(&e, "type", a.type);
        a.osd = program_.osd;

        if (program_.IsOsd()) {
            // Video and animate areas play as empty areas in the OSD layer and
            // are not moved into the OSD region here.
            if (a.type != area_type::kVideo && a.type != area_type::kAnimate) {
                a.osdRect = a.originalRect = {a.left, a.top, a.right, a.bottom};
                if (!env_.playerType.ShiftsOsdRight()) {
                    a.top = xml::Saturate(int64_t(a.top) + osdOffsetLine_);
                    a.bottom = xml::Saturate(int64_t(a.bottom) + osdOffsetLine_);
                }
                smallestTop_ = std::min(smallestTop_, a.top);
            }
        } else {
            const Size bounds = env_.playerType.rasterBounds;
            if (a.right > bounds.width) a.right = a.left > bounds.width ? 0 : bounds.width - 1;
            if (a.top > bounds.height) a.bottom = 0;
        }

        std::vector<AreaItem> items = content_.Read(e, a);
        program_.areas.push_back(a);
        program_.areas.back().items = std::move(items);
    }

    void AppendProgram() {
        // The working program's areas are emptied for every program, so the
        // layer's copy can take them.
        std::vector<AreaRecord> areas = std::move(program_.areas);
        program_.areas.clear();
        lists_.all.push_back(program_);
        lists_.all.back().areas = areas;
        if (!program_.IsOsd()) {
            lists_.normal.push_back(program_);
            lists_.normal.back().areas = std::move(areas);
            return;
        }
        // Place the program's areas in the OSD region: below the screen, its
        // top area starting at the OSD offset line, or 1024 pixels to the right.
        for (AreaRecord& a : areas) {
            if (env_.playerType.ShiftsOsdRight()) {
                a.left = xml::Saturate(int64_t(a.left) + 1024);
                a.right = xml::Saturate(int64_t(a.right) + 1024);
            } else {
                const int64_t shift = int64_t(osdOffsetLine_) - smallestTop_;
                a.top = xml::Saturate(a.top + shift);
                a.bottom = xml::Saturate(a.bottom + shift);
            }
        }
        lists_.osd.push_back(program_);
        lists_.osd.back().areas = std::move(areas);
        smallestTop_ = kNoTop;
    }

    const PlaylistEnvironment& env_;
    const int osdOffsetLine_;
    PlaylistRead& out_;
    AreaContentReader content_;
    ProgramLists lists_;
    ProgramRecord program_;
    AreaRecord area_;
    TimeWindow window_;
    int32_t smallestTop_ = kNoTop;
};

}  // namespace

PlaylistRead ReadPlaylistFile(const PlaylistEnvironment& env, const std::string& boardPath) {
    PlaylistRead out;
    out.screen = {env.display.width, env.display.height, env.osdOffsetLine};
    tinyxml2::XMLDocument doc;
    if (!LoadXml(env.fs, boardPath, doc)) {
        spdlog::warn("playlist {} cannot be read: {}", boardPath,
                     doc.Error() ? doc.ErrorStr() : "no such file");
        return out;
    }
    if (RenumberAreas(doc) && !SaveXml(env.fs, boardPath, doc)) {
        // The file keeps its old ids; read what it holds.
        spdlog::warn("playlist {}: renumbered areas cannot be saved", boardPath);
        if (!LoadXml(env.fs, boardPath, doc)) return out;
    }
    out.result = 0;

    const Element* screens = doc.FirstChildElement("root");
    screens = screens ? screens->FirstChildElement("screens") : nullptr;
    if (!screens) return out;
    const Element* screen = screens->FirstChildElement("screen");
    if (screen) {
        if (const char* w = screen->Attribute("w")) out.screen.width = xml::LeadingInt(w) & ~7;
        if (const char* h = screen->Attribute("h"))
            out.screen.height = out.screen.osdOffsetLine = xml::LeadingInt(h);
    }
    const Element* programs = screen ? screen->FirstChildElement("programs") : nullptr;
    const Element* first = programs ? programs->FirstChildElement("program") : nullptr;
    if (!first) return out;

    ProgramWalker walker(env, out.screen.osdOffsetLine, out);
    out.lists = std::make_shared<const ProgramLists>(walker.Walk(first));
    return out;
}

}  // namespace led
