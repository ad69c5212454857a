#include "clock/AreaFonts.h"

#include <spdlog/spdlog.h>

#include <algorithm>
#include <filesystem>

#include "platform/fs/DeviceFs.h"
#include "platform/text/Fonts.h"
#include "storage/FontDirectory.h"

namespace led {

AreaFonts::AreaFonts(const DeviceFs& fs, const std::vector<std::string>& faces) {
    for (const std::string& face : faces) {
        bool matched = false;
        const std::string file = FindFontFile(fs, face, kFontDirectory, &matched);
        if (matched) Add(fs, file);
    }
    Add(fs, std::string(kFontFolder) + "SIMSUN");
}

AreaFonts::~AreaFonts() {
    for (const std::string& host : added_) Fonts::RemoveFontFile(host);
}

void AreaFonts::Add(const DeviceFs& fs, const std::string& boardPath) {
    std::optional<std::filesystem::path> host = fs.Resolve(boardPath);
    std::error_code ec;
    if (!host || !std::filesystem::is_regular_file(*host, ec)) return;
    const std::string path = host->string();
    if (std::find(added_.begin(), added_.end(), path) != added_.end()) return;
    if (!Fonts::AddFontFile(path)) {
        spdlog::warn("font {}: not a font file", boardPath);
        return;
    }
    added_.push_back(path);
}

}  // namespace led
