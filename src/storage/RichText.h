#pragma once
// The rich text templates of the clock, countdown and sensor areas: a small
// subset of RTF 1.x read into a colour table and a list of text runs. No
// drawing here; the areas lay the runs out.
//
// Two rules of the board's reader are kept on purpose, because templates
// written by the management tool look as the board shows them only with
// them: "}" does not restore the formatting of the enclosing group (bold set
// inside a group persists after it), and a file whose font table has not
// closed within 200 tokens is refused.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace led {

class DeviceFs;

struct TextRun {
    std::string face;  // UTF-8
    std::string text;  // UTF-8
    int32_t size = 0;  // half-points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int32_t alignment = 0;  // 0 left, 1 centre, 2 right
    bool newLine = false;   // a paragraph mark came before this run
    uint32_t colour = 0;    // 0x00BBGGRR
};

struct RichText {
    std::vector<uint32_t> colours;  // entry 0 is always 0 (the "auto" entry)
    std::vector<TextRun> runs;
};

inline constexpr int kFontTableTokenLimit = 200;
inline constexpr size_t kMaxRunCharacters = 2000;
inline constexpr size_t kMaxRichTextBytes = 16u << 20;

// Reads rich text from memory. False (and no runs) when it does not start
// with "{\rtf" or its font table does not close within the token limit;
// `problem` then says why. Anything else that is malformed (truncated groups
// or escapes, unbalanced braces, bad GBK) gives what could be read.
bool ParseRichText(std::string_view data, RichText& out, std::string* problem = nullptr);

// Reads a template file; false when it cannot be read or is refused (logged).
bool ReadRichText(const DeviceFs& fs, const std::string& boardPath, RichText& out);

// Gives every empty line of a template one printable character, so that the
// reader produces a run (and a line) for it.
std::string NormaliseEmptyLinesText(std::string text);
// The same on a file, rewritten in place: 1 when it was read (and rewritten
// if anything changed), 0 when it is empty or cannot be read.
int NormaliseEmptyLines(const DeviceFs& fs, const std::string& boardPath);

// The run list as one JSON object, for `ledplayer read-rtf`.
std::string RichTextJson(bool result, const RichText& text);

}  // namespace led
