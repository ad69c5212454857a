#include "net/TextMessage.h"

#include <spdlog/spdlog.h>

#include <algorithm>

#include "core/Player.h"
#include "platform/display/Canvas.h"
#include "platform/text/Encoding.h"
#include "render/TextArea.h"

namespace led {
namespace {

int16_t ReadLe16(std::span<const uint8_t> p, size_t at) { return int16_t(p[at] | p[at + 1] << 8); }

// The UTF-16LE text up to its zero or the end of its 512 bytes.
std::u16string TextOf(std::span<const uint8_t> payload) {
    std::u16string text;
    for (size_t at = 8; at + 1 < std::min(payload.size(), kTextMessagePayload); at += 2) {
        char16_t c = char16_t(payload[at] | payload[at + 1] << 8);
        if (c == 0) break;
        text += c;
    }
    return text;
}

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8Of(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        out += CodePointToUtf8(c);
    }
    return out;
}

// `count` characters of `text` from `at` as a number in `base`; none when
// they are not all digits of that base or the text ends first.
std::optional<int> NumberAt(std::u16string_view text, size_t at, size_t count, int base) {
    if (at + count > text.size()) return std::nullopt;
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        char16_t c = text[i];
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : 99;
        if (digit >= base) return std::nullopt;
        value = value * base + digit;
    }
    return value;
}

struct Attributes {
    int height = 42, fontSize = 32;
    uint32_t colour = 255;
    int g = 0, s = 0, i = 0;
    bool newLine = false;
};

// Applies the tag at text[at] ('\\' then a letter); returns the characters it
// takes, or 0 when it is not a tag that parses (then it is plain text).
size_t ApplyTag(std::u16string_view text, size_t at, Attributes& a) {
    if (at + 1 >= text.size()) return 0;
    auto value = [&](size_t count, int base) { return NumberAt(text, at + 2, count, base); };
    switch (text[at + 1]) {
        case 'F':
            if (auto v = value(2, 10)) {
                a.fontSize = *v;
                a.height = int(float(*v) * 1.3333334f);
                return 4;
            }
            return 0;
        case 'H':
            if (auto v = value(2, 10)) return a.height = *v, 4;
            return 0;
        case 'C':
            if (auto v = value(6, 16)) return a.colour = uint32_t(*v), 8;
            return 0;
        case 'G':
            if (auto v = value(2, 10)) return a.g = *v, 4;
            return 0;
        case 'S':
            if (auto v = value(2, 10)) return a.s = *v, 4;
            return 0;
        case 'I':
            if (auto v = value(1, 10)) return a.i = *v, 3;
            return 0;
        case 'n': a.newLine = true; return 2;
        default: return 0;
    }
}

}  // namespace

std::optional<TextMessage> ParseTextMessage(std::span<const uint8_t> payload) {
    if (payload.size() < 8) return std::nullopt;
    TextMessage m;
    m.rect = Rect{ReadLe16(payload, 2), ReadLe16(payload, 0), ReadLe16(payload, 4),
                  ReadLe16(payload, 6)};
    std::u16string text = TextOf(payload);
    Attributes a;
    std::u16string run;
    auto endRun = [&] {
        if (run.empty()) return;
        m.runs.push_back({Utf8Of(run), a.height, a.fontSize, a.colour, a.g, a.s, a.i, a.newLine});
        run.clear();
        a.newLine = false;
        a.s = 0;
    };
    for (size_t at = 0; at < text.size();) {
        if (text[at] == u'\\') {
            Attributes probe = a;
            if (ApplyTag(text, at, probe)) {
                endRun();  // the run before the tag keeps the attributes it had
                at += ApplyTag(text, at, a);
                continue;
            }
        }
        run += text[at++];
    }
    endRun();
    return m;
}

void ShowTextMessage(Player& player, const TextMessage& message) {
    auto& display = player.output.display;
    if (!display) return;
    Rect raster{0, 0, player.output.windowSize.width, player.output.windowSize.height};
    Rect frame = message.rect.Intersected(raster);
    std::lock_guard lock(player.textMessage.mutex);
    player.textMessage.window.reset();
    if (frame.IsEmpty()) {
        spdlog::warn("text message: rectangle {}x{} at {},{} is off the screen", message.rect.width,
                     message.rect.height, message.rect.x, message.rect.y);
        return;
    }
    auto window = display->CreateWindow("text message", frame, true);
    if (!window) return;
    // Laid out as the text area lays out its items, in a topmost window of
    // its own so that the program's area windows do not cover it.
    std::vector<TextItem> items;
    for (const auto& run : message.runs) {
        TextItem item;
        item.text = run.text;
        item.height = run.height;
        item.colour = run.colour;
        item.lineBreak = run.newLine;
        items.push_back(std::move(item));
    }
    {
        auto painter = window->Paint();
        painter->FillAll(kBlack);
        DrawTextItems(painter.canvas(), {0, 0, frame.width, frame.height}, items);
    }
    window->Show(true);
    player.textMessage.window = std::move(window);
}

}  // namespace led
