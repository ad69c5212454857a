#include "clock/OsdExport.h"

#include <spdlog/spdlog.h>
#include <tinyxml2.h>

#include <optional>

#include "clock/TokenText.h"
#include "platform/fs/DeviceFs.h"

namespace led {
namespace {

using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;

void AddChild(XMLElement* parent, const char* name, const std::string& text) {
    XMLElement* e = parent->InsertNewChildElement(name);
    e->SetText(text.c_str());
}

void AddRuns(XMLElement* section, const std::vector<TextRun>& runs, int dpi) {
    for (size_t i = 0; i < runs.size(); ++i) {
        const TextRun& run = runs[i];
        XMLElement* area = section->InsertNewChildElement("area");
        area->SetAttribute("id", int(i));
        area->SetAttribute("x", 0);
        area->SetAttribute("y", 0);
        AddChild(area, "height", std::to_string(RunFontHeight(run.size, dpi)));
        AddChild(area, "bold", std::to_string(int(run.bold)));
        AddChild(area, "italic", std::to_string(int(run.italic)));
        AddChild(area, "underline", std::to_string(int(run.underline)));
        AddChild(area, "strike", std::to_string(int(run.strike)));
        AddChild(area, "color", std::to_string(run.colour));
        AddChild(area, "font", run.face);
        AddChild(area, "text", run.text);
    }
}

bool Save(const DeviceFs& fs, const std::string& path, XMLDocument& doc) {
    tinyxml2::XMLPrinter printer;
    doc.Print(&printer);
    fs.CreateDirectory("\\nand\\osd");
    if (fs.WriteText(path, std::string(printer.CStr(), size_t(printer.CStrSize() - 1))))
        return true;
    spdlog::warn("OSD file {}: cannot be written", path);
    return false;
}

}  // namespace

const char* OsdFileFor(int type) {
    switch (type) {
        case area_type::kDigitalClock: return kOsdClockFile;
        case area_type::kCountdown: return kOsdTimingFile;
        case area_type::kTemperature: return "\\nand\\osd\\osdtemperature.xml";
        case area_type::kHumidity: return "\\nand\\osd\\osdhumidity.xml";
        case area_type::kNoise: return "\\nand\\osd\\osdnoise.xml";
        default: return nullptr;
    }
}

const char* OsdSectionFor(int type) {
    switch (type) {
        case area_type::kDigitalClock: return "clock";
        case area_type::kCountdown: return "timing";
        case area_type::kTemperature: return "temperature";
        case area_type::kHumidity: return "humidity";
        case area_type::kNoise: return "noise";
        default: return nullptr;
    }
}

bool WriteOsdClockFile(const DeviceFs& fs, const std::vector<TextRun>& runs,
                       const TimeDifference& d, const std::array<std::string, 7>& names, int dpi) {
    XMLDocument doc;
    XMLElement* clock =
        doc.InsertEndChild(doc.NewElement("root"))->ToElement()->InsertNewChildElement("clock");
    XMLElement* differ = clock->InsertNewChildElement("differ");
    differ->SetAttribute("type", d.type);
    differ->SetAttribute("h", d.hours);
    differ->SetAttribute("m", d.minutes);
    differ->SetAttribute("s", d.seconds);
    XMLElement* week = clock->InsertNewChildElement("weeklang");
    static const char* const kDays[] = {"sun", "mon", "tue", "wes", "thu", "fri", "sat"};
    for (size_t i = 0; i < 7; ++i) week->SetAttribute(kDays[i], names[i].c_str());
    AddRuns(clock, runs, dpi);
    return Save(fs, kOsdClockFile, doc);
}

bool WriteOsdTimingFile(const DeviceFs& fs, const std::vector<TextRun>& runs, int dpi) {
    XMLDocument doc;
    XMLElement* timing =
        doc.InsertEndChild(doc.NewElement("root"))->ToElement()->InsertNewChildElement("timing");
    AddRuns(timing, runs, dpi);
    return Save(fs, kOsdTimingFile, doc);
}

bool WriteOsdSensorFile(const DeviceFs& fs, const std::vector<TextRun>& runs, int type,
                        int precision, int mode, int dpi) {
    if (!SensorTokens(type)) return false;
    XMLDocument doc;
    XMLElement* sensor = doc.InsertEndChild(doc.NewElement("root"))
                             ->ToElement()
                             ->InsertNewChildElement(OsdSectionFor(type));
    AddChild(sensor, "precision", std::to_string(precision));
    XMLElement* value = sensor->InsertNewChildElement("value");
    value->SetText("0.000000");
    value->SetAttribute("enb", "0");
    value->SetAttribute("col", "ff0000");
    AddChild(sensor, "mode", std::to_string(mode));
    AddRuns(sensor, runs, dpi);
    return Save(fs, OsdFileFor(type), doc);
}

bool UpdateOsdPositions(const DeviceFs& fs, int areaType, const std::vector<Point>& positions) {
    const char* file = OsdFileFor(areaType);
    const char* section = OsdSectionFor(areaType);
    if (!file || !section) return false;
    std::optional<std::string> text = fs.ReadText(file, 4u << 20);
    XMLDocument doc;
    if (!text || doc.Parse(text->data(), text->size()) != tinyxml2::XML_SUCCESS) return false;
    XMLElement* root = doc.FirstChildElement("root");
    XMLElement* s = root ? root->FirstChildElement(section) : nullptr;
    if (!s) return false;
    for (XMLElement* area = s->FirstChildElement("area"); area;
         area = area->NextSiblingElement("area")) {
        const int id = area->IntAttribute("id", -1);
        if (id < 0 || size_t(id) >= positions.size()) continue;
        area->SetAttribute("x", positions[size_t(id)].x);
        area->SetAttribute("y", positions[size_t(id)].y);
    }
    return Save(fs, file, doc);
}

}  // namespace led
