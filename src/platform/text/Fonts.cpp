#include "platform/text/Fonts.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <map>
#include <vector>

#include "platform/text/FontImpl.h"

namespace led {
namespace {

std::mutex& FontSetMutex() {
    static std::mutex m;
    return m;
}

// Each file with the number of areas that added it: an area removing its
// fonts must not take them from another area still drawing with them.
std::map<std::string, int>& AddedFiles() {
    static std::map<std::string, int> files;
    return files;
}

// Pango caches the font map; after fontconfig's set changes it must be told.
void RefreshFontMap() {
    PangoFontMap* map = pango_cairo_font_map_get_default();
    if (PANGO_IS_FC_FONT_MAP(map)) pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(map));
}

// Cuts a UTF-8 string to at most `count` characters.
std::string CutCharacters(const std::string& s, size_t count) {
    size_t chars = 0, i = 0;
    while (i < s.size() && chars < count) {
        unsigned char c = s[i];
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        i += len;
        ++chars;
    }
    return s.substr(0, std::min(i, s.size()));
}

}  // namespace

const FontRequest& Font::Request() const {
    static const FontRequest none;
    return impl_ ? impl_->request : none;
}

bool Fonts::AddFontFile(const std::string& hostPath) {
    std::lock_guard lock(FontSetMutex());
    if (auto it = AddedFiles().find(hostPath); it != AddedFiles().end()) {
        ++it->second;
        return true;
    }
    FcConfig* config = FcConfigGetCurrent();
    if (!FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(hostPath.c_str())))
        return false;
    AddedFiles().emplace(hostPath, 1);
    RefreshFontMap();
    return true;
}

bool Fonts::RemoveFontFile(const std::string& hostPath) {
    std::lock_guard lock(FontSetMutex());
    auto it = AddedFiles().find(hostPath);
    if (it == AddedFiles().end()) return false;
    if (--it->second > 0) return true;
    AddedFiles().erase(it);
    FcConfig* config = FcConfigGetCurrent();
    FcConfigAppFontClear(config);
    for (const auto& [file, count] : AddedFiles())
        FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(file.c_str()));
    RefreshFontMap();
    return true;
}

Font Fonts::MakeFont(const FontRequest& request) {
    auto impl = std::make_shared<Font::Impl>();
    impl->request = request;
    impl->request.face = CutCharacters(request.face, 31);
    PangoFontDescription* d = pango_font_description_new();
    if (!d) return {};
    std::string family = impl->request.face.empty() ? std::string(FallbackFamily())
                                                    : impl->request.face + "," + FallbackFamily();
    pango_font_description_set_family(d, family.c_str());
    // The board's heights are pixels: negative is the character (em) height,
    // positive the cell height, which we approximate by the em height too.
    int px = request.height < 0 ? -request.height : request.height;
    if (px == 0) px = 16;
    pango_font_description_set_absolute_size(d, double(px) * PANGO_SCALE);
    int weight = request.weight <= 0 ? 400 : std::clamp(request.weight, 100, 1000);
    pango_font_description_set_weight(d, PangoWeight(weight));
    pango_font_description_set_style(d, request.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    impl->description = d;
    return Font(std::move(impl));
}

}  // namespace led
