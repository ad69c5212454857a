#include "storage/RichText.h"

#include <spdlog/spdlog.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>

#include "platform/fs/DeviceFs.h"
#include "platform/text/Encoding.h"

namespace led {
namespace {

// Keyword effects of the subset the templates use.
enum class Code {
    Ignored,
    FontTable,
    Font,
    Size,
    Bold,
    SkipGroup,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    StrikeNone,
    Pard,
    Centre,
    Right,
    Colour,
    Par,
    Unicode,
    UnicodeSkip,
};

Code Classify(std::string_view word) {
    static const std::map<std::string_view, Code> kWords = {
        {"fonttbl", Code::FontTable},
        {"f", Code::Font},
        {"fs", Code::Size},
        {"b", Code::Bold},
        {"i", Code::Italic},
        {"ul", Code::Underline},
        {"ulnone", Code::UnderlineNone},
        {"strike", Code::Strike},
        {"strike0", Code::StrikeNone},
        {"pard", Code::Pard},
        {"qc", Code::Centre},
        {"qr", Code::Right},
        {"cf", Code::Colour},
        {"par", Code::Par},
        {"u", Code::Unicode},
        {"uc", Code::UnicodeSkip},
        {"filetbl", Code::SkipGroup},
        {"colortbl", Code::SkipGroup},
        {"stylesheet", Code::SkipGroup},
        {"listoverridetable", Code::SkipGroup},
        {"listtables", Code::SkipGroup},
        {"info", Code::SkipGroup},
    };
    auto it = kWords.find(word);
    return it == kWords.end() ? Code::Ignored : it->second;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

struct Token {
    enum Kind { End, Open, Close, Word, Star, Text } kind = End;
    std::string_view word;
    int32_t value = 1;
    std::string text;  // UTF-8, for Text

    static Token Of(Kind kind) {
        Token t;
        t.kind = kind;
        return t;
    }
};

// Reads the file token by token. Text tokens gather plain characters and the
// escapes that stand for characters ("\\", "\{", "\}", "\'xx", "\uN" with its
// placeholders) until a brace, a line break or another control word.
class Lexer {
public:
    explicit Lexer(std::string_view s) : s_(s) {}

    size_t Position() const { return pos_; }
    void Seek(size_t pos) { pos_ = pos; }
    void SetUnicodeSkipCount(int32_t n) { ucCount_ = std::clamp(n, 0, 16); }

    Token Next() {
        for (;;) {
            while (pos_ < s_.size() && (s_[pos_] == '\r' || s_[pos_] == '\n')) ++pos_;
            if (pos_ >= s_.size()) return Token::Of(Token::End);
            const char c = s_[pos_];
            if (c == '{') {
                ++pos_;
                return Token::Of(Token::Open);
            }
            if (c == '}') {
                ++pos_;
                return Token::Of(Token::Close);
            }
            if (c == '\\') {
                if (pos_ + 1 >= s_.size()) {  // a lone backslash at the end
                    pos_ = s_.size();
                    return Token::Of(Token::End);
                }
                const char n = s_[pos_ + 1];
                if (IsLetter(n)) {
                    Token t = ReadWord();
                    if (t.word == "u" || t.word == "uc") {
                        if (t.word == "uc") {
                            SetUnicodeSkipCount(t.value);
                            continue;
                        }
                        pos_ = wordStart_;  // part of a text run
                        return ReadText();
                    }
                    return t;
                }
                if (n == '*') {
                    pos_ += 2;
                    return Token::Of(Token::Star);
                }
                if (n == '\\' || n == '{' || n == '}' || n == '\'') return ReadText();
                pos_ += 2;  // another control symbol: ignored
                continue;
            }
            return ReadText();
        }
    }

    // Reads characters counting braces from depth 1 and stops just before
    // the brace that closes the group.
    void SkipGroup() {
        int depth = 1;
        while (pos_ < s_.size()) {
            const char c = s_[pos_];
            if (c == '\\') {
                pos_ += 2;
                continue;
            }
            if (c == '{') ++depth;
            if (c == '}' && --depth == 0) return;
            ++pos_;
        }
        pos_ = s_.size();
    }

private:
    Token ReadWord() {
        wordStart_ = pos_;
        ++pos_;  // the backslash
        const size_t start = pos_;
        while (pos_ < s_.size() && IsLetter(s_[pos_])) ++pos_;
        Token t = Token::Of(Token::Word);
        t.word = s_.substr(start, pos_ - start);
        bool negative = false;
        if (pos_ < s_.size() && s_[pos_] == '-') {
            negative = true;
            ++pos_;
        }
        if (pos_ < s_.size() && IsDigit(s_[pos_])) {
            int64_t v = 0;
            while (pos_ < s_.size() && IsDigit(s_[pos_])) {
                v = std::min<int64_t>(v * 10 + (s_[pos_] - '0'), INT32_MAX);
                ++pos_;
            }
            t.value = int32_t(negative ? -v : v);
        }
        if (pos_ < s_.size() && s_[pos_] == ' ') ++pos_;
        return t;
    }

    // "\'xx": one byte of the code page; false at a malformed escape.
    bool ReadHexByte(std::string& bytes) {
        if (pos_ + 3 < s_.size() + 0 && HexValue(s_[pos_ + 2]) >= 0 &&
            HexValue(s_[pos_ + 3]) >= 0) {
            bytes.push_back(char(HexValue(s_[pos_ + 2]) * 16 + HexValue(s_[pos_ + 3])));
            pos_ += 4;
            return true;
        }
        pos_ = std::min(s_.size(), pos_ + 2);  // "\'" cut short: dropped
        return false;
    }

    // Skips the placeholders written after "\uN" for readers without
    // Unicode: each is one plain character or one "\'xx" escape.
    void SkipPlaceholders() {
        for (int i = 0; i < ucCount_ && pos_ < s_.size(); ++i) {
            const char c = s_[pos_];
            if (c == '{' || c == '}' || c == '\r' || c == '\n') return;
            if (c == '\\') {
                if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '\'') {
                    std::string ignored;
                    ReadHexByte(ignored);
                    continue;
                }
                return;  // another control word ends the placeholders
            }
            ++pos_;
        }
    }

    Token ReadText() {
        Token t = Token::Of(Token::Text);
        std::string bytes;  // code-page bytes not yet converted
        auto flush = [&] {
            if (!bytes.empty()) t.text += GbkToUtf8(bytes);
            bytes.clear();
        };
        while (pos_ < s_.size()) {
            const char c = s_[pos_];
            if (c == '{' || c == '}' || c == '\r' || c == '\n') break;
            if (c != '\\') {
                bytes.push_back(c);
                ++pos_;
                continue;
            }
            if (pos_ + 1 >= s_.size()) break;
            const char n = s_[pos_ + 1];
            if (n == '\\' || n == '{' || n == '}') {
                bytes.push_back(n);
                pos_ += 2;
            } else if (n == '\'') {
                ReadHexByte(bytes);
            } else if (IsLetter(n)) {
                const size_t before = pos_;
                Token w = ReadWord();
                if (w.word == "u") {
                    flush();
                    const uint32_t cp = w.value < 0 ? uint32_t(w.value + 65536) : uint32_t(w.value);
                    if (cp != 0) t.text += CodePointToUtf8(cp);
                    SkipPlaceholders();
                } else if (w.word == "uc") {
                    SetUnicodeSkipCount(w.value);
                } else {
                    pos_ = before;  // another control word ends the run
                    break;
                }
            } else {
                break;
            }
        }
        flush();
        return t;
    }

    std::string_view s_;
    size_t pos_ = 0;
    size_t wordStart_ = 0;
    int ucCount_ = 1;
};

std::string Trim(std::string s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// The font table pass. Returns the position after the table's group, or
// none when the table has not closed within the token limit.
std::optional<size_t> ReadFontTable(Lexer& lexer, std::map<int32_t, std::string>& fonts) {
    int depth = 0;
    int tableDepth = -1;  // depth of the group holding "\fonttbl"
    std::optional<int32_t> number;
    std::string face;
    for (int tokens = 0; tokens < kFontTableTokenLimit; ++tokens) {
        Token t = lexer.Next();
        switch (t.kind) {
            case Token::End: return std::nullopt;
            case Token::Open: ++depth; break;
            case Token::Close:
                if (tableDepth >= 0 && depth == tableDepth) return lexer.Position();
                --depth;
                break;
            case Token::Star: lexer.SkipGroup(); break;
            case Token::Word:
                if (t.word == "fonttbl" && tableDepth < 0) tableDepth = depth;
                if (tableDepth >= 0 && t.word == "f") {
                    number = t.value;
                    face.clear();
                }
                break;
            case Token::Text:
                if (tableDepth < 0 || !number) break;
                for (char c : t.text) {
                    if (c == ';') {
                        fonts.emplace(*number, Trim(face));
                        number.reset();
                        face.clear();
                        break;
                    }
                    face.push_back(c);
                }
                break;
        }
    }
    return std::nullopt;
}

struct Formatting {
    std::optional<std::string> face;  // selected since the last "{"
    int32_t size = 0;
    bool bold = false, italic = false, underline = false, strike = false;
    int32_t alignment = 0;
    int32_t colourIndex = 0;
    bool newLine = false;
};

void ReadColourTable(std::string_view data, std::vector<uint32_t>& colours) {
    colours.assign(1, 0);
    const size_t at = data.find("\\colortbl");
    if (at == std::string_view::npos) return;
    Lexer lexer(data);
    lexer.Seek(at);
    lexer.Next();  // "\colortbl"
    // Entries end with ";"; the first one is the empty "auto" entry, which
    // is always black. A missing component is 0.
    bool first = true;
    uint32_t red = 0, green = 0, blue = 0;
    for (;;) {
        Token t = lexer.Next();
        if (t.kind == Token::End || t.kind == Token::Close || t.kind == Token::Open) return;
        if (t.kind == Token::Word) {
            if (t.word == "red") red = uint32_t(t.value) & 0xFF;
            if (t.word == "green") green = uint32_t(t.value) & 0xFF;
            if (t.word == "blue") blue = uint32_t(t.value) & 0xFF;
            continue;
        }
        if (t.kind != Token::Text) continue;
        for (char c : t.text) {
            if (c != ';') continue;
            if (!first) colours.push_back(red | green << 8 | blue << 16);
            first = false;
            red = green = blue = 0;
        }
    }
}

}  // namespace

bool ParseRichText(std::string_view data, RichText& out, std::string* problem) {
    out.runs.clear();
    ReadColourTable(data, out.colours);
    auto fail = [&](const char* why) {
        if (problem) *problem = why;
        out.runs.clear();
        return false;
    };
    if (!data.starts_with("{\\rtf")) return fail("not rich text (no \"{\\rtf\" at the start)");

    Lexer lexer(data);
    lexer.Seek(std::min<size_t>(6, data.size()));  // "{\rtf" and the version digit
    std::map<int32_t, std::string> fonts;
    std::optional<size_t> bodyStart = ReadFontTable(lexer, fonts);
    if (!bodyStart) return fail("font table missing or not closed within 200 tokens");
    const std::string defaultFace = fonts.count(0) ? fonts[0] : std::string();

    lexer.Seek(*bodyStart);
    Formatting f;
    for (;;) {
        Token t = lexer.Next();
        if (t.kind == Token::End) break;
        switch (t.kind) {
            case Token::Open: f.face.reset(); break;
            case Token::Close:  // formatting is not restored per group
                break;
            case Token::Star: lexer.SkipGroup(); break;
            case Token::Word:
                switch (Classify(t.word)) {
                    case Code::FontTable:
                    case Code::SkipGroup: lexer.SkipGroup(); break;
                    case Code::Font: {
                        auto it = fonts.find(t.value);
                        f.face = it == fonts.end() ? std::string() : it->second;
                        break;
                    }
                    case Code::Size: f.size = t.value; break;
                    case Code::Bold: f.bold = t.value != 0; break;
                    case Code::Italic: f.italic = t.value != 0; break;
                    case Code::Underline: f.underline = t.value != 0; break;
                    case Code::UnderlineNone: f.underline = false; break;
                    case Code::Strike: f.strike = t.value != 0; break;
                    case Code::StrikeNone: f.strike = false; break;
                    case Code::Pard: f.alignment = 0; break;
                    case Code::Centre: f.alignment = 1; break;
                    case Code::Right: f.alignment = 2; break;
                    case Code::Colour: f.colourIndex = t.value; break;
                    case Code::Par:
                        if (t.value != 0) f.newLine = true;
                        break;
                    default: break;
                }
                break;
            case Token::Text: {
                if (t.text.empty()) break;
                TextRun run;
                run.face = f.face.value_or(defaultFace);
                run.text = std::string(Utf8Prefix(t.text, kMaxRunCharacters));
                run.size = f.size;
                run.bold = f.bold;
                run.italic = f.italic;
                run.underline = f.underline;
                run.strike = f.strike;
                run.alignment = f.alignment;
                run.newLine = f.newLine;
                // An index beyond the table takes the "auto" entry.
                const bool inTable =
                    f.colourIndex >= 0 && size_t(f.colourIndex) < out.colours.size();
                run.colour = out.colours[inTable ? size_t(f.colourIndex) : 0];
                f.newLine = false;
                out.runs.push_back(std::move(run));
                break;
            }
            case Token::End: break;
        }
    }
    return true;
}

bool ReadRichText(const DeviceFs& fs, const std::string& boardPath, RichText& out) {
    out.runs.clear();
    out.colours.assign(1, 0);
    std::optional<std::string> data = fs.ReadText(boardPath, kMaxRichTextBytes);
    if (!data) {
        spdlog::warn("rich text {}: cannot be read", boardPath);
        return false;
    }
    std::string problem;
    if (!ParseRichText(*data, out, &problem)) {
        spdlog::warn("rich text {}: {}", boardPath, problem);
        return false;
    }
    return true;
}

namespace {

// A paragraph mark: "\par" not followed by another letter ("\pard").
bool IsParAt(const std::string& s, size_t at) {
    return s.compare(at, 4, "\\par") == 0 && (at + 4 >= s.size() || !IsLetter(s[at + 4]));
}

size_t CountParagraphMarks(const std::string& s) {
    size_t n = 0;
    for (size_t at = s.find("\\par"); at != std::string::npos; at = s.find("\\par", at + 1))
        if (IsParAt(s, at)) ++n;
    return n;
}

// Inserts `spaces` after `head` (followed by `gap`, then a paragraph mark)
// wherever that occurs, at most `limit` times.
void InsertSpaces(std::string& s, const std::string& head, const std::string& gap,
                  const std::string& spaces, size_t limit) {
    size_t from = 0;
    for (size_t done = 0; done < limit;) {
        const size_t at = s.find(head + gap, from);
        if (at == std::string::npos) return;
        const size_t mark = at + head.size() + gap.size();
        const bool headOk = head != "\\par" || IsParAt(s, at);
        if (headOk && IsParAt(s, mark)) {
            s.insert(mark, spaces);
            ++done;
        }
        from = at + 1;
    }
}

}  // namespace

std::string NormaliseEmptyLinesText(std::string text) {
    const size_t marks = CountParagraphMarks(text);
    // A space straight after a control word is its delimiter, so a line
    // directly between two marks needs two spaces to hold one; after a line
    // break one is enough.
    InsertSpaces(text, "\\fs24", "", "  ", marks);
    InsertSpaces(text, "\\par", "", "  ", marks);
    InsertSpaces(text, "\\fs24", "\r\n", " ", marks);
    InsertSpaces(text, "\\par", "\r\n", " ", marks);
    return text;
}

int NormaliseEmptyLines(const DeviceFs& fs, const std::string& boardPath) {
    std::optional<std::string> text = fs.ReadText(boardPath, kMaxRichTextBytes);
    if (!text || text->empty()) return 0;
    std::string normalised = NormaliseEmptyLinesText(*text);
    if (normalised != *text && !fs.WriteText(boardPath, normalised)) {
        spdlog::warn("rich text {}: cannot be rewritten", boardPath);
        return 0;
    }
    return 1;
}

std::string RichTextJson(bool result, const RichText& text) {
    nlohmann::ordered_json j;
    j["result"] = result ? 1 : 0;
    j["colours"] = text.colours;
    nlohmann::ordered_json runs = nlohmann::ordered_json::array();
    for (const TextRun& r : text.runs) {
        runs.push_back({{"face", r.face},
                        {"text", r.text},
                        {"size", r.size},
                        {"bold", int(r.bold)},
                        {"italic", int(r.italic)},
                        {"underline", int(r.underline)},
                        {"strike", int(r.strike)},
                        {"alignment", r.alignment},
                        {"newLine", int(r.newLine)},
                        {"colour", r.colour}});
    }
    j["runs"] = std::move(runs);
    return j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace led
