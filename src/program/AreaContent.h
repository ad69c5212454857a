#pragma once
// Reads the type-specific children of a playlist area: the area-level
// elements (background, edge, ...) and one AreaItem per item element.
//
// One working item is kept for the whole playlist: a field whose element or
// attribute is absent keeps the value of the item read before it, and the
// page list is emptied only where a "picfile" element is found.

#include <optional>
#include <string>
#include <vector>

#include "core/Records.h"
#include "program/XmlLookup.h"

namespace led {

class DeviceFs;

class AreaContentReader {
public:
    AreaContentReader(const DeviceFs& fs, std::string videoDirectory);

    // Reads what `area.type` asks for from `element` into `area` and returns
    // the area's items. An unknown type is an empty area: nothing is read.
    std::vector<AreaItem> Read(const xml::Element& element, AreaRecord& area);

    // The "lastframe" texts of every video item read so far.
    std::vector<std::string>& LastFrames() { return lastFrames_; }
    // The last text written to "\nand\TVAreaSize.dat".
    const std::optional<std::string>& TvAreaSize() const { return tvAreaSize_; }

private:
    struct TypeRow;
    static const TypeRow* FindType(int type);

    void ReadTextItem(const xml::Element& e);
    void ReadPictureItem(const xml::Element& e);
    void ReadVideoItem(const xml::Element& e);
    void ReadPagedItem(const xml::Element& e);  // picture-text and table
    void ReadAnimateItem(const xml::Element& e);
    void ReadDigitalClockItem(const xml::Element& e);
    void ReadTemperatureItem(const xml::Element& e);
    void ReadSensorItem(const xml::Element& e);  // humidity and noise
    void ReadCountdownItem(const xml::Element& e);
    void ReadAnalogClock(const xml::Element& analogcp);

    void ReadBackground(const xml::Element& area, AreaRecord& record);
    void ReadEdge(const xml::Element& area, AreaRecord& record);
    // A media path element: the last component of its text in the video directory.
    void ReadPath(const xml::Element* scope, const char* name, std::string& out) const;
    void ReadPages(const xml::Element& scope);
    void ReadRemain(const xml::Element& e);
    void ReadEffects(const xml::Element& e);
    void ReadWeekNames(const xml::Element* weeklang);
    void ReadClockString(const xml::Element* element, ClockStrings& out);
    void ReadVideoSourceSize(const xml::Element* videoorgsize);

    const DeviceFs& fs_;
    std::string videoDirectory_;
    AreaItem item_;
    std::vector<std::string> lastFrames_;
    std::optional<std::string> tvAreaSize_;
};

// The board path a media element's text stands for: the part after the last
// "/", then after the last "\", in `videoDirectory`.
std::string MediaPath(const std::string& videoDirectory, const std::string& text);

}  // namespace led
