#include "net/Manifest.h"

#include <tinyxml2.h>

#include <charconv>

namespace led {
namespace {

tinyxml2::XMLElement* FileElement(tinyxml2::XMLDocument& doc) {
    auto* root = doc.FirstChildElement("root");
    auto* files = root ? root->FirstChildElement("files") : nullptr;
    return files ? files->FirstChildElement("file") : nullptr;
}

std::string_view TextOf(const tinyxml2::XMLElement* file, const char* name) {
    const auto* e = file->FirstChildElement(name);
    const char* text = e ? e->GetText() : nullptr;
    return text ? std::string_view(text) : std::string_view();
}

// A decimal integer with optional blanks around it; none for anything else.
template <typename T>
std::optional<T> Number(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n'))
        text.remove_suffix(1);
    T value{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

void SetText(tinyxml2::XMLDocument& doc, tinyxml2::XMLElement* file, const char* name,
             const std::string& text) {
    auto* e = file->FirstChildElement(name);
    if (!e) e = file->InsertEndChild(doc.NewElement(name))->ToElement();
    e->SetText(text.c_str());
}

}  // namespace

std::optional<Manifest> ParseManifest(std::string_view xml) {
    tinyxml2::XMLDocument doc;
    if (doc.Parse(xml.data(), xml.size()) != tinyxml2::XML_SUCCESS) return std::nullopt;
    auto* file = FileElement(doc);
    if (!file) return std::nullopt;
    Manifest m;
    m.filename = std::string(TextOf(file, "filename"));
    auto length = Number<int64_t>(TextOf(file, "filelen"));
    if (!length || *length < 0) return std::nullopt;
    m.filelen = *length;
    // A missing or unreadable choice keeps what is there.
    m.ifoverwrite = Number<int32_t>(TextOf(file, "ifoverwrite")).value_or(0);
    m.type = file->IntAttribute("type", 0);
    return m;
}

std::optional<std::string> AnswerManifest(std::string_view xml, int64_t filelen, int ifok) {
    tinyxml2::XMLDocument doc;
    if (doc.Parse(xml.data(), xml.size()) != tinyxml2::XML_SUCCESS) return std::nullopt;
    auto* file = FileElement(doc);
    if (!file) return std::nullopt;
    SetText(doc, file, "filelen", std::to_string(filelen));
    SetText(doc, file, "ifok", std::to_string(ifok));
    // The declaration and the root only: anything the reader tolerated beside
    // them would not read again on the tool's side.
    tinyxml2::XMLPrinter printer(nullptr, true);
    const auto* root = doc.FirstChildElement("root");
    for (const auto* node = doc.FirstChild(); node; node = node->NextSibling())
        if (node->ToDeclaration() || node == root) node->Accept(&printer);
    return std::string(printer.CStr(), size_t(printer.CStrSize() > 0 ? printer.CStrSize() - 1 : 0));
}

std::optional<std::string> PlainFileName(std::string_view name) {
    // Trailing NULs come from fixed-size name fields.
    while (!name.empty() && name.back() == '\0') name.remove_suffix(1);
    size_t cut = name.find_last_of("/\\");
    std::string_view last = cut == std::string_view::npos ? name : name.substr(cut + 1);
    if (last.empty() || last == "." || last == ".." || last.size() > kMaxTransferName)
        return std::nullopt;
    for (char c : last)
        if (static_cast<unsigned char>(c) < 0x20 || c == ':') return std::nullopt;
    return std::string(last);
}

}  // namespace led
