#pragma once
// `ledplayer inspect-playlist FILE`: runs the playlist reader on a private
// copy of FILE and prints what it read as one JSON document. Users run it to
// check a playlist before sending it to a screen.

#include <iosfwd>
#include <string>

#include "program/PlaylistReader.h"

namespace led {

struct InspectPlaylistOptions {
    std::string file{};
    std::string runMode = "flash";  // flash | sd
    std::string playerType = "J7";
    std::string display = "1920x1080";
    std::string today{};  // YYYY-MM-DD; empty: today's date
};

// Exit status: 0 when the reader returned 0, 1 when it returned -1 (the
// document is then {"result": -1}), 2 for bad options (a message on `err`).
int InspectPlaylist(const InspectPlaylistOptions& options, std::ostream& out, std::ostream& err);

// Writes the JSON document of one read.
void WritePlaylistJson(const PlaylistRead& read, std::ostream& out);

}  // namespace led
