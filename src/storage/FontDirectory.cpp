#include "storage/FontDirectory.h"

#include <spdlog/spdlog.h>
#include <tinyxml2.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/fs/DeviceFs.h"
#include "platform/text/Encoding.h"

namespace led {
namespace {

bool LoadXml(const DeviceFs& fs, const std::string& path, tinyxml2::XMLDocument& doc) {
    std::optional<std::string> text = fs.ReadText(path, 4u << 20);
    return text && doc.Parse(text->data(), text->size()) == tinyxml2::XML_SUCCESS;
}

// Case-insensitive for ASCII letters: the names are Latin or CJK.
bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

// A file name stays inside the font folder.
bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name.find_first_of("\\/:") == std::string::npos && name != "." &&
           name != "..";
}

}  // namespace

std::string FindFontFile(const DeviceFs& fs, const std::string& face, const std::string& directory,
                         bool* matched) {
    if (matched) *matched = false;
    tinyxml2::XMLDocument doc;
    if (!LoadXml(fs, directory, doc)) return kFontFolder;
    const tinyxml2::XMLElement* root = doc.FirstChildElement("root");
    std::string remembered;
    const size_t length = Utf8Length(face);
    for (const auto* font = root ? root->FirstChildElement("font") : nullptr; font;
         font = font->NextSiblingElement("font")) {
        const char* file = font->Attribute("file");
        remembered = file ? file : "";
        for (const auto* name = font->FirstChildElement("name"); name;
             name = name->NextSiblingElement("name")) {
            const char* fontname = name->Attribute("fontname");
            if (!fontname || face.empty()) continue;
            if (EqualIgnoringCase(Utf8Prefix(fontname, length), face)) {
                if (matched) *matched = IsPlainFileName(remembered);
                return IsPlainFileName(remembered) ? kFontFolder + remembered : kFontFolder;
            }
        }
    }
    return IsPlainFileName(remembered) ? kFontFolder + remembered : kFontFolder;
}

int MergeFontDirectory(const DeviceFs& fs, const std::string& incoming, const std::string& device) {
    tinyxml2::XMLDocument in;
    if (!LoadXml(fs, incoming, in)) {
        spdlog::warn("font directory {}: cannot be read; nothing merged", incoming);
        return 1;
    }
    tinyxml2::XMLDocument out;
    if (!LoadXml(fs, device, out) || !out.FirstChildElement("root")) {
        out.Clear();
        out.InsertEndChild(out.NewDeclaration());
        out.InsertEndChild(out.NewElement("root"));
    }
    tinyxml2::XMLElement* outRoot = out.FirstChildElement("root");
    const tinyxml2::XMLElement* inRoot = in.FirstChildElement("root");
    for (const auto* font = inRoot ? inRoot->FirstChildElement("font") : nullptr; font;
         font = font->NextSiblingElement("font")) {
        const char* file = font->Attribute("file");
        bool present = false;
        for (const auto* have = outRoot->FirstChildElement("font"); have && !present;
             have = have->NextSiblingElement("font")) {
            const char* haveFile = have->Attribute("file");
            present = (file ? std::string(file) : "") == (haveFile ? std::string(haveFile) : "");
        }
        if (!present) outRoot->InsertEndChild(font->DeepClone(&out));
    }
    tinyxml2::XMLPrinter printer;
    out.Print(&printer);
    if (!fs.WriteText(device, std::string(printer.CStr(), size_t(printer.CStrSize() - 1))))
        spdlog::warn("font directory {}: cannot be written", device);
    return 1;
}

}  // namespace led
