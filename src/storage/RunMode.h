#pragma once
// Which volume holds the programs, and the directory layout that follows.

#include <cstdint>
#include <string>

namespace led {

class DeviceFs;

enum class RunMode : uint8_t { SdCard = 0, Flash = 1 };

struct StoragePaths {
    RunMode mode = RunMode::Flash;
    std::string root;       // "\Storage Card\" or "\Storage Card 1_0\"
    std::string video;      // root + "video\"
    std::string videotemp;  // root + "videotemp\"
    std::string xml;        // root + "xml\"
    std::string playlist;   // xml + "playlist.xml"
    std::string backupPlaylist;  // videotemp + "playlist.xml"
    std::string manifest;   // xml + "file.xml"
};

// Two bytes of "\nand\storeplace.txt": unreadable means Flash; a first byte 0
// deletes the file and means Flash; anything else means SD card.
RunMode DecideRunMode(const DeviceFs& fs);
StoragePaths BuildStoragePaths(RunMode mode);
// The standard directories, created when missing, in the board's order.
void CreateStandardDirectories(const DeviceFs& fs, const StoragePaths& paths);
const char* RunModeScreenName(RunMode mode, bool chinese);

}  // namespace led
