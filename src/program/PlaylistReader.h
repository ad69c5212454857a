#pragma once
// The playlist reader: turns a playlist file into the three program lists and
// the screen geometry the OSD layer depends on.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Records.h"
#include "platform/clock/Clock.h"
#include "platform/geometry.h"
#include "storage/PlayerType.h"

namespace led {

class DeviceFs;
class Player;

// What a read depends on besides the file.
struct PlaylistEnvironment {
    const DeviceFs& fs;
    std::string videoDirectory;  // the run mode's video directory: every media path lands here
    PlayerType playerType;       // raster bounds for normal areas; "J6-C" places OSD areas
    Size display;                // the screen size when the playlist names none
    LocalTime today;             // default schedule dates
    int osdOffsetLine = 1080;    // kept when the playlist has no screen element
};

struct ScreenGeometry {
    int width = 1920;
    int height = 1080;
    int osdOffsetLine = 1080;  // raster line where the OSD region begins
};

// A program whose areas beyond kMaxAreas were left out.
struct CutProgram {
    std::string idText;
    int areasInFile = 0;
};

struct PlaylistRead {
    int result = -1;  // 0 read (whatever the file held), -1 not loaded or not XML
    ScreenGeometry screen;
    // The new lists; none when the previous ones stay (a failed read, or a file
    // without any program).
    std::shared_ptr<const ProgramLists> lists;
    std::optional<std::string> tvAreaSize;  // the last text written to "\nand\TVAreaSize.dat"
    std::vector<CutProgram> cutPrograms;
};

// Reads the playlist at `boardPath`. Renumbers the file's area ids first
// (saving it when an id changed) and writes "\nand\TVAreaSize.dat" for large
// video sources; nothing else is written.
PlaylistRead ReadPlaylistFile(const PlaylistEnvironment& env, const std::string& boardPath);

// Reads into the player: publishes the lists and the screen geometry (and,
// with display.preview = screen, shows only the screen and its OSD band), logs
// cut programs to the event log. 0 on success, -1 when the file cannot be
// read (the previous lists stay).
int ReadPlaylist(Player& player, const std::string& boardPath);
// Removes the inserted programs (class 2) from the playlist file.
void RemoveInsertedPrograms(Player& player, const std::string& boardPath);

}  // namespace led
