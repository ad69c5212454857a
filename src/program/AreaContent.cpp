#include "program/AreaContent.h"

#include <cstring>

#include "platform/fs/DeviceFs.h"
#include "storage/Files.h"
#include "storage/RichText.h"

namespace led {

using xml::Element;
using xml::Find;
using xml::ReadInt;
using xml::ReadIntAttribute;

// What each area type reads besides its items: the area's own elements, and
// the reader of its item elements (none for the analog clock, which keeps its
// one item in "analogcp").
struct AreaContentReader::TypeRow {
    int type;
    bool background;
    bool edge;
    bool firstFilepath;  // the first item's "filepath" is read once for the whole area
    void (AreaContentReader::*readItem)(const Element&);
};

namespace {

using R = AreaContentReader;
constexpr size_t kMaxTextCharacters = 256;
constexpr int kLargeVideoWidth = 720;

// A rectangle element's x, y, w, h as inclusive edges. Missing attributes keep
// the previous values; w and h set the far edges from the near ones.
void ReadEdgeRect(const Element* rect, int32_t& left, int32_t& top, int32_t& right,
                  int32_t& bottom) {
    if (!rect) return;
    ReadIntAttribute(rect, "x", left);
    ReadIntAttribute(rect, "y", top);
    int32_t size = 0;
    if (ReadIntAttribute(rect, "w", size)) right = xml::InclusiveEnd(left, size);
    if (ReadIntAttribute(rect, "h", size)) bottom = xml::InclusiveEnd(top, size);
}

}  // namespace

const AreaContentReader::TypeRow* AreaContentReader::FindType(int type) {
    namespace t = area_type;
    // clang-format off
    static const TypeRow kTypes[] = {
        // type            background edge   firstFilepath  items
        {t::kText,             false, false, false, &R::ReadTextItem},
        {t::kPicture,          true,  false, false, &R::ReadPictureItem},
        {t::kVideo,            false, false, false, &R::ReadVideoItem},
        {t::kPictureText,      true,  false, true,  &R::ReadPagedItem},
        {t::kAnimate,          false, false, true,  &R::ReadAnimateItem},
        {t::kDigitalClock,     true,  true,  false, &R::ReadDigitalClockItem},
        {t::kTemperature,      true,  false, false, &R::ReadTemperatureItem},
        {t::kHumidity,         true,  false, false, &R::ReadSensorItem},
        {t::kNoise,            true,  false, false, &R::ReadSensorItem},
        {t::kCountdown,        true,  false, false, &R::ReadCountdownItem},
        {t::kSimulationClock,  false, false, false, nullptr},
        {t::kTable,            true,  false, false, &R::ReadPagedItem},
    };
    // clang-format on
    for (const auto& row : kTypes)
        if (row.type == type) return &row;
    return nullptr;
}

std::string MediaPath(const std::string& videoDirectory, const std::string& text) {
    std::string name = text.substr(text.rfind('/') + 1);  // npos + 1 == 0
    name = name.substr(name.rfind('\\') + 1);
    return videoDirectory + name;
}

AreaContentReader::AreaContentReader(const DeviceFs& fs, std::string videoDirectory)
    : fs_(fs), videoDirectory_(std::move(videoDirectory)) {}

std::vector<AreaItem> AreaContentReader::Read(const Element& element, AreaRecord& area) {
    std::vector<AreaItem> items;
    const TypeRow* row = FindType(area.type);
    if (!row) return items;
    if (row->background) ReadBackground(element, area);
    if (row->edge) ReadEdge(element, area);
    const Element* firstItem = Find(&element, "filename");
    if (row->firstFilepath) ReadPath(firstItem, "filepath", item_.path);
    if (!row->readItem) {
        if (const Element* analogcp = Find(&element, "analogcp")) {
            ReadAnalogClock(*analogcp);
            items.push_back(item_);
        }
        return items;
    }
    // The first "filename" and every sibling element after it is an item.
    for (const Element* e = firstItem; e; e = e->NextSiblingElement()) {
        if (std::strcmp(e->Name(), "filename") == 0) ReadIntAttribute(e, "id", item_.id);
        (this->*row->readItem)(*e);
        items.push_back(item_);
    }
    // The clock, countdown and sensor templates: every empty line gets a
    // character, so that the rich text reader keeps the line.
    if (area.type >= area_type::kDigitalClock && area.type <= area_type::kCountdown)
        for (const AreaItem& item : items)
            if (!item.path.empty() && fs_.Exists(item.path)) NormaliseEmptyLines(fs_, item.path);
    return items;
}

void AreaContentReader::ReadBackground(const Element& area, AreaRecord& record) {
    const Element* background = Find(&area, "background");
    if (!background) return;
    ReadIntAttribute(background, "mode", record.backgroundMode);
    if (const Element* colour = Find(background, "color"))
        record.backgroundColour = xml::ColourFromHex(colour->GetText());
}

void AreaContentReader::ReadEdge(const Element& area, AreaRecord& record) {
    const Element* edge = Find(&area, "edge");
    ReadIntAttribute(edge, "degree", record.edgeDegree);
    ReadIntAttribute(edge, "color", record.edgeColour);
}

void AreaContentReader::ReadPath(const Element* scope, const char* name, std::string& out) const {
    if (const Element* e = Find(scope, name)) out = MediaPath(videoDirectory_, xml::Text(*e));
}

void AreaContentReader::ReadPages(const Element& scope) {
    const Element* picfile = Find(&scope, "picfile");
    if (!picfile) return;
    item_.pageFiles.clear();
    for (const Element* c = Find(picfile, "picfilepath"); c; c = c->NextSiblingElement()) {
        const Element* page = Find(c, "picfilepath");
        if (!page) break;
        item_.pageFiles.push_back(MediaPath(videoDirectory_, xml::Text(*page)));
    }
}

void AreaContentReader::ReadRemain(const Element& e) {
    // Large values are milliseconds.
    if (ReadInt(&e, "remain", item_.remain) && item_.remain >= 1000) item_.remain /= 1000;
}

void AreaContentReader::ReadEffects(const Element& e) {
    ReadInt(&e, "effect_in", item_.effectIn);
    ReadInt(&e, "movespeed_in", item_.movespeedIn);
    ReadInt(&e, "movespeed_out", item_.movespeedOut);
    ReadRemain(e);
    ReadInt(&e, "effect_out", item_.effectOut);
}

void AreaContentReader::ReadTextItem(const Element& e) {
    if (xml::ReadText(&e, "textcontent", item_.text))
        item_.text = xml::FirstCharacters(item_.text, kMaxTextCharacters);
    ReadInt(&e, "movespeed_in", item_.movespeedIn);
    ReadInt(&e, "movespeed_out", item_.movespeedOut);
    ItemFont& font = item_.font;
    ReadInt(&e, "Height", font.height);
    ReadInt(&e, "Width", font.width);
    ReadInt(&e, "Weight", font.weight);
    xml::ReadText(&e, "Facename", font.face);
    ReadInt(&e, "bUnderline", font.underline);
    ReadInt(&e, "bItalic", font.italic);
    ReadInt(&e, "bStrikeout", font.strikeout);
    ReadInt(&e, "PitchAndFamily", font.pitchAndFamily);
    xml::ReadText(&e, "Charset", font.charset);
    ReadInt(&e, "Color", font.colour);  // the colour value as a decimal number
    ReadEdgeRect(Find(&e, "textrect"), item_.textLeft, item_.textTop, item_.textRight,
                 item_.textBottom);
    ReadInt(&e, "textshowtype", item_.textshowtype);
}

void AreaContentReader::ReadPictureItem(const Element& e) {
    ReadPath(&e, "filepath", item_.path);
    ReadEffects(e);
}

void AreaContentReader::ReadVideoItem(const Element& e) {
    ReadInt(&e, "streamtype", item_.streamtype);
    if (item_.streamtype != 2) ReadPath(&e, "filepath", item_.path);  // 2: live input, no file
    ReadEdgeRect(Find(&e, "videorect"), item_.videoLeft, item_.videoTop, item_.videoRight,
                 item_.videoBottom);
    ReadVideoSourceSize(Find(&e, "videoorgsize"));
    ReadInt(&e, "videomode", item_.videomode);
    if (const Element* lastframe = Find(&e, "lastframe"))
        lastFrames_.push_back(xml::Text(*lastframe));
}

void AreaContentReader::ReadVideoSourceSize(const Element* videoorgsize) {
    if (!videoorgsize) return;
    ReadIntAttribute(videoorgsize, "w", item_.videoOriginalWidth);
    ReadIntAttribute(videoorgsize, "h", item_.videoOriginalHeight);
    const char* w = videoorgsize->Attribute("w");
    if (!w || xml::LeadingInt(w) < kLargeVideoWidth) return;
    // The video area reads the source size back from this file, as the texts
    // of "w" and "h".
    const char* h = videoorgsize->Attribute("h");
    std::string text = std::string(w) + "x" + (h ? h : "");
    fs_.WriteText(files::kTvAreaSize, text);
    tvAreaSize_ = std::move(text);
}

void AreaContentReader::ReadPagedItem(const Element& e) {
    ReadInt(&e, "textshowtype", item_.textshowtype);
    ReadEffects(e);
    ReadInt(&e, "linespacing", item_.linespacing);
    ReadPages(e);
}

void AreaContentReader::ReadAnimateItem(const Element& e) {
    ReadInt(&e, "anispeed", item_.anispeed);
    ReadPages(e);
}

void AreaContentReader::ReadWeekNames(const Element* weeklang) {
    static const char* const kDays[] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};
    for (size_t d = 0; d < 7; ++d)
        xml::ReadTextAttribute(weeklang, kDays[d], item_.weekdayNames[d]);
}

void AreaContentReader::ReadDigitalClockItem(const Element& e) {
    ReadPath(&e, "filepath", item_.path);
    ReadInt(&e, "showmode", item_.showmode);
    ReadInt(&e, "yearstyle", item_.yearstyle);
    ReadInt(&e, "hourstyle", item_.hourstyle);
    const Element* differ = Find(&e, "differ");
    TimeDifference& diff = item_.timeDifference;
    ReadIntAttribute(differ, "type", diff.type);
    ReadIntAttribute(differ, "d", diff.days);
    ReadIntAttribute(differ, "h", diff.hours);
    ReadIntAttribute(differ, "m", diff.minutes);
    ReadIntAttribute(differ, "s", diff.seconds);
    static const char* const kShowItems[] = {"ly",  "lm",   "ld",   "year",   "month",
                                             "day", "week", "hour", "minute", "second"};
    const Element* showitem = Find(&e, "showitem");
    for (size_t i = 0; i < item_.showItems.size(); ++i)
        ReadIntAttribute(showitem, kShowItems[i], item_.showItems[i]);
    ReadWeekNames(Find(&e, "weeklang"));
}

void AreaContentReader::ReadSensorItem(const Element& e) {
    ReadPath(&e, "filepath", item_.path);
    ReadInt(&e, "precision", item_.precision);
    if (const Element* error = Find(&e, "error")) item_.error = xml::LeadingFloat(error->GetText());
    ReadInt(&e, "hardwaremode", item_.hardwaremode);
    if (const Element* valve = Find(&e, "valve")) {
        // Without "enb" the threshold stays as enabled or disabled as it was.
        if (const char* enb = valve->Attribute("enb"))
            item_.valveEnabled = xml::LeadingInt(enb) != 0;
        item_.valve = item_.valveEnabled ? xml::LeadingFloat(valve->GetText()) : 1000.0f;
        if (const char* col = valve->Attribute("col")) item_.valveColour = xml::ColourFromHex(col);
    }
}

void AreaContentReader::ReadTemperatureItem(const Element& e) {
    ReadInt(&e, "mode", item_.sensorMode);
    ReadSensorItem(e);
}

void AreaContentReader::ReadCountdownItem(const Element& e) {
    ReadPath(&e, "filepath", item_.path);
    const Element* arrived = Find(&e, "Arrivedtime");
    ReadIntAttribute(arrived, "year", item_.arrivalYear);
    ReadIntAttribute(arrived, "month", item_.arrivalMonth);
    ReadIntAttribute(arrived, "day", item_.arrivalDay);
    ReadIntAttribute(arrived, "hour", item_.arrivalHour);
    ReadIntAttribute(arrived, "minute", item_.arrivalMinute);
    ReadIntAttribute(arrived, "second", item_.arrivalSecond);
}

void AreaContentReader::ReadClockString(const Element* element, ClockStrings& out) {
    if (!element) return;
    xml::ReadTextAttribute(element, "face", out.face);
    ReadIntAttribute(element, "size", out.size);
    ReadIntAttribute(element, "color", out.colour);
    ReadIntAttribute(element, "weight", out.weight);
    ReadIntAttribute(element, "italic", out.italic);
    if (const char* text = element->GetText()) out.text = text;
}

void AreaContentReader::ReadAnalogClock(const Element& analogcp) {
    const Element* timediff = Find(&analogcp, "timediff");
    TimeDifference& diff = item_.timeDifference;
    ReadIntAttribute(timediff, "type", diff.type);
    ReadIntAttribute(timediff, "hour", diff.hours);
    ReadIntAttribute(timediff, "minute", diff.minutes);
    ReadIntAttribute(timediff, "second", diff.seconds);
    ReadWeekNames(Find(&analogcp, "weeklang"));
    ReadClockString(Find(&analogcp, "bottomstr"), item_.bottomString);
    ReadClockString(Find(&analogcp, "topstr"), item_.topString);
    ReadPages(analogcp);
}

}  // namespace led
