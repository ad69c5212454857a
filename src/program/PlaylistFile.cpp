#include "program/PlaylistFile.h"

#include <spdlog/spdlog.h>

#include "platform/fs/DeviceFs.h"
#include "program/XmlLookup.h"

namespace led {

using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;

bool LoadXml(const DeviceFs& fs, const std::string& boardPath, XMLDocument& doc) {
    auto bytes = fs.ReadFile(boardPath);
    if (!bytes) return false;
    const char* data = reinterpret_cast<const char*>(bytes->data());
    return doc.Parse(data, bytes->size()) == tinyxml2::XML_SUCCESS;
}

bool SaveXml(const DeviceFs& fs, const std::string& boardPath, const XMLDocument& doc) {
    tinyxml2::XMLPrinter printer;
    doc.Print(&printer);
    return fs.WriteFile(boardPath, printer.CStr(), size_t(printer.CStrSize() - 1));
}

XMLElement* ProgramsElement(XMLDocument& doc) {
    XMLElement* e = doc.FirstChildElement("root");
    for (const char* name : {"screens", "screen", "programs"})
        e = e ? e->FirstChildElement(name) : nullptr;
    return e;
}

bool RenumberAreas(XMLDocument& doc) {
    XMLElement* programs = ProgramsElement(doc);
    XMLElement* first = programs ? programs->FirstChildElement("program") : nullptr;
    bool changed = false;
    // Every following sibling that holds a program or an area counts; the
    // others are passed over.
    for (XMLElement* p = first; p; p = p->NextSiblingElement()) {
        XMLElement* program = xml::Find(p, "program");
        if (!program) continue;
        int position = 0;
        for (XMLElement* a = xml::Find(program, "area"); a; a = a->NextSiblingElement()) {
            XMLElement* area = xml::Find(a, "area");
            if (!area) continue;
            std::string id = std::to_string(position++);
            const char* old = area->Attribute("id");
            if (old && id == old) continue;
            area->SetAttribute("id", id.c_str());
            changed = true;
        }
    }
    return changed;
}

int RemoveInsertedPrograms(const DeviceFs& fs, const std::string& boardPath) {
    XMLDocument doc;
    if (!LoadXml(fs, boardPath, doc)) return 1;
    XMLElement* programs = ProgramsElement(doc);
    int removed = 0;
    for (XMLElement* p = programs ? programs->FirstChildElement("program") : nullptr; p;) {
        XMLElement* next = p->NextSiblingElement("program");
        const XMLElement* schedule = xml::Find(static_cast<const XMLElement*>(p), "schedule");
        if (schedule && xml::LeadingInt(schedule->Attribute("priority")) == 2) {
            programs->DeleteChild(p);
            ++removed;
        }
        p = next;
    }
    if (removed) {
        SaveXml(fs, boardPath, doc);
        spdlog::info("{} inserted program(s) removed from {}", removed, boardPath);
    }
    return 1;
}

}  // namespace led
