#pragma once
// Fonts for everything the player draws itself. Font files are added to and
// removed from fontconfig's application set; a face resolves through
// fontconfig, with WenQuanYi Zen Hei behind every request so that the board's
// Chinese faces ("SIMSUN", "微软雅黑") always have glyphs. Text is shaped,
// measured and drawn with Pango on Cairo (see Canvas).

#include <memory>
#include <mutex>
#include <string>

namespace led {

// A logical font request, as the board's font maker takes it.
struct FontRequest {
    int height = -16;  // pixels; negative means character height
    int width = 0;
    int escapement = 0;
    int orientation = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = 1;
    int pitchAndFamily = 0;
    std::string face;  // UTF-8, at most 31 characters are kept
};

// A created font. Cheap to copy; shares one immutable description.
class Font {
public:
    struct Impl;
    Font() = default;
    explicit Font(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}
    bool IsValid() const { return impl_ != nullptr; }
    const Impl* Get() const { return impl_.get(); }
    const FontRequest& Request() const;

private:
    std::shared_ptr<const Impl> impl_;
};

class Fonts {
public:
    // Adds a font file to the application's font set (AddFontResource);
    // false when it is no font file. Counted: a file added twice stays until
    // it has been removed twice.
    static bool AddFontFile(const std::string& hostPath);
    // Removing single files from fontconfig's application set is not offered;
    // the set is rebuilt without the file.
    static bool RemoveFontFile(const std::string& hostPath);
    // Creates a font; none when the request cannot be satisfied (empty face
    // and height 0 is still a valid request: the default face and size).
    static Font MakeFont(const FontRequest& request);
    // The fallback appended to every face: present on every install.
    static const char* FallbackFamily() { return "WenQuanYi Zen Hei"; }
};

}  // namespace led
