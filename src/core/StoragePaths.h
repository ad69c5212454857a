#pragma once
// Which volume holds the programs, and the directory layout that follows.

#include <cstdint>
#include <string>

namespace led {

enum class RunMode : uint8_t { SdCard = 0, Flash = 1 };

struct StoragePaths {
    RunMode mode = RunMode::Flash;
    std::string root;            // "\Storage Card\" or "\Storage Card 1_0\"
    std::string video;           // root + "video\"
    std::string videotemp;       // root + "videotemp\"
    std::string xml;             // root + "xml\"
    std::string playlist;        // xml + "playlist.xml"
    std::string backupPlaylist;  // videotemp + "playlist.xml"
    std::string manifest;        // xml + "file.xml"
};

StoragePaths BuildStoragePaths(RunMode mode);

}  // namespace led
