// The player's side of the playlist reader: what it reads with, and where the
// result goes.

#include "core/Player.h"
#include "program/PlaylistFile.h"
#include "program/PlaylistReader.h"

namespace led {
namespace {

// The playlist's screen at the raster's top-left, and the OSD band wherever
// the reader placed the OSD areas (below the screen from the OSD offset line,
// or to its right).
Rect ScreenWithOsdBand(const Player& player) {
    Rect shown{0, 0, player.screen.screenWidth.load(), player.screen.screenHeight.load()};
    for (const ProgramRecord& program : player.Programs()->osd)
        for (const AreaRecord& a : program.areas)
            shown = shown.United(Rect::FromInclusive(a.left, a.top, a.right, a.bottom));
    return shown;
}

}  // namespace

int ReadPlaylist(Player& player, const std::string& boardPath) {
    const auto storage = player.Storage();
    PlaylistEnvironment env{
        .fs = player.fs,
        .videoDirectory = storage->paths.video,
        .playerType = storage->playerType,
        .display =
            player.output.display ? player.output.display->RasterSize() : player.output.windowSize,
        .today = player.clock.Now(),
        .osdOffsetLine = player.screen.osdOffsetLine.load(),
    };
    PlaylistRead read = ReadPlaylistFile(env, boardPath);
    player.screen.screenWidth = read.screen.width;
    player.screen.screenHeight = read.screen.height;
    player.screen.osdOffsetLine = read.screen.osdOffsetLine;
    for (const CutProgram& cut : read.cutPrograms)
        player.events.Emit(
            "playlist-areas-cut",
            {{"program", cut.idText}, {"areas", cut.areasInFile}, {"kept", kMaxAreas}});
    EventLog::Fields fields{{"file", boardPath}, {"result", read.result}};
    if (read.lists) {
        fields["programs"] = read.lists->all.size();
        fields["normal"] = read.lists->normal.size();
        fields["osd"] = read.lists->osd.size();
        player.SetPrograms(std::move(read.lists));
    }
    if (player.settings.preview == "screen" && player.output.display)
        player.output.display->ShowOnly(ScreenWithOsdBand(player));
    player.events.Emit("playlist-read", fields);
    return read.result;
}

void RemoveInsertedPrograms(Player& player, const std::string& boardPath) {
    RemoveInsertedPrograms(player.fs, boardPath);
}

}  // namespace led
