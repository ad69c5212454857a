#include "core/StoragePaths.h"

namespace led {

StoragePaths BuildStoragePaths(RunMode mode) {
    StoragePaths p;
    p.mode = mode;
    p.root = mode == RunMode::Flash ? "\\Storage Card\\" : "\\Storage Card 1_0\\";
    p.video = p.root + "video\\";
    p.videotemp = p.root + "videotemp\\";
    p.xml = p.root + "xml\\";
    p.playlist = p.xml + "playlist.xml";
    p.backupPlaylist = p.videotemp + "playlist.xml";
    p.manifest = p.xml + "file.xml";
    return p;
}

}  // namespace led
