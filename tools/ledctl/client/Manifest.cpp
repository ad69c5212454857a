#include "client/Manifest.h"

#include <cctype>
#include <charconv>

namespace ledctl {
namespace {

std::string Escape(const std::string& text) {
    std::string out;
    for (char ch : text) {
        switch (ch) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default: out += ch;
        }
    }
    return out;
}

std::string Unescape(const std::string& text) {
    static const std::pair<const char*, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const auto& [entity, ch] : kEntities) {
            if (text.compare(i, std::char_traits<char>::length(entity), entity) == 0) {
                out += ch;
                i += std::char_traits<char>::length(entity);
                replaced = true;
                break;
            }
        }
        if (!replaced) out += text[i++];
    }
    return out;
}

// The text of the first <name>...</name> (or empty for <name/>) inside
// `scope`; nothing when the element is missing.
std::optional<std::string> ElementText(const std::string& scope, const std::string& name) {
    size_t at = 0;
    for (;;) {
        at = scope.find("<" + name, at);
        if (at == std::string::npos) return std::nullopt;
        size_t after = at + 1 + name.size();
        if (after < scope.size() && (scope[after] == '>' || scope[after] == '/' ||
                                     std::isspace((unsigned char)scope[after])))
            break;
        at = after;
    }
    size_t close = scope.find('>', at);
    if (close == std::string::npos) return std::nullopt;
    if (scope[close - 1] == '/') return std::string();
    size_t end = scope.find("</" + name, close);
    if (end == std::string::npos) return std::nullopt;
    return Unescape(scope.substr(close + 1, end - close - 1));
}

std::string Trim(const std::string& text) {
    size_t b = 0, e = text.size();
    while (b < e && std::isspace((unsigned char)text[b])) ++b;
    while (e > b && std::isspace((unsigned char)text[e - 1])) --e;
    return text.substr(b, e - b);
}

template <typename T>
std::optional<T> Number(const std::string& text) {
    std::string t = Trim(text);
    T value{};
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (ec != std::errc() || end != t.data() + t.size() || t.empty()) return std::nullopt;
    return value;
}

}  // namespace

std::string BuildManifest(const Manifest& m) {
    std::string file = m.type ? "<file type=\"" + std::to_string(*m.type) + "\">" : "<file>";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root><files>" + file + "<filename>" +
           Escape(m.filename) + "</filename><filelen>" + std::to_string(m.filelen) +
           "</filelen><ifoverwrite>" + (m.overwrite ? "1" : "0") +
           "</ifoverwrite><ifok>1</ifok></file></files></root>\n";
}

std::string FontList(const std::vector<FontEntry>& fonts) {
    std::string list = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>";
    for (const auto& f : fonts)
        list += "<font file=\"" + Escape(f.file) + "\"><name fontname=\"" + Escape(f.face) +
                "\"/></font>";
    return list + "</root>\n";
}

std::optional<ManifestAnswer> ParseManifestAnswer(const std::string& xml) {
    // The `file` element, not `files` or `filename`.
    size_t start = xml.find("<file");
    while (start != std::string::npos &&
           (start + 5 >= xml.size() ||
            !(xml[start + 5] == '>' || std::isspace((unsigned char)xml[start + 5]))))
        start = xml.find("<file", start + 5);
    if (start == std::string::npos) return std::nullopt;
    size_t end = xml.find("</file>", start);
    std::string scope =
        xml.substr(start, end == std::string::npos ? std::string::npos : end - start);
    auto filelen = ElementText(scope, "filelen");
    auto ifok = ElementText(scope, "ifok");
    if (!filelen || !ifok) return std::nullopt;
    auto length = Number<int64_t>(*filelen);
    auto verdict = Number<int>(*ifok);
    if (!length || !verdict) return std::nullopt;
    return ManifestAnswer{ElementText(scope, "filename").value_or(""), *length, *verdict};
}

Decision Decide(const ManifestAnswer& answer, uint64_t localSize, bool overwriting) {
    switch (answer.ifok) {
        case 2: return {NextStep::NoSpace};
        case 3: return {NextStep::StorageProblem};
        case 0:
            // Complete on the player; a different size means another file of that name.
            if (answer.filelen >= 0 && uint64_t(answer.filelen) == localSize)
                return {NextStep::Skip};
            return {overwriting ? NextStep::StorageProblem : NextStep::Overwrite};
        case 1:
            if (answer.filelen < 0 || uint64_t(answer.filelen) > localSize)
                return {overwriting ? NextStep::StorageProblem : NextStep::Overwrite};
            if (uint64_t(answer.filelen) == localSize && localSize > 0) return {NextStep::Skip};
            return {NextStep::SendFrom, uint64_t(answer.filelen)};
        default: return {NextStep::StorageProblem};
    }
}

}  // namespace ledctl
