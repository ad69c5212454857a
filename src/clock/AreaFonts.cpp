#include "clock/AreaFonts.h"

#include <spdlog/spdlog.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "platform/fs/DeviceFs.h"
#include "platform/text/Fonts.h"
#include "storage/Files.h"
#include "storage/FontDirectory.h"

namespace led {

AreaFonts::AreaFonts(const DeviceFs& fs, const std::vector<std::string>& faces) {
    // Each face once: every look-up reads the whole font directory.
    std::set<std::string> looked;
    for (const std::string& face : faces) {
        if (!looked.insert(face).second) continue;
        bool matched = false;
        const std::string file = FindFontFile(fs, face, kFontDirectory, &matched);
        if (matched) Add(fs, file);
    }
    Add(fs, files::kFontSimsun);
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
