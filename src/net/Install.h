#pragma once
// What follows a transfer: received programs and fonts moved into place,
// update packages unpacked, and media no program uses any more deleted.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "net/UpdatePackage.h"

namespace led {

class DeviceFs;
class Player;
struct TransferContext;

// Moves every plain file of `from` into `to`, each by one rename that
// replaces a file of the same name. Names of the files that could not be
// moved are returned; a missing source moves nothing.
std::vector<std::string> MoveReceivedFiles(const DeviceFs& fs, const std::string& from,
                                           const std::string& to);

// Installs the programs of the last upload and restarts playback on them.
// Quiet: no card blanking, no reboot when a layer does not stop, no test-log
// line, no copy back and no media clean-up.
void InstallPrograms(Player& player, TransferContext& transfer, bool quiet);

// Merges the received font list and moves received fonts into the font
// directory; `fontList` is the list that came with the complete command.
void InstallFonts(Player& player, const TransferContext& transfer,
                  std::span<const uint8_t> fontList);

// Unpacks the update package `name` of the update files' directory into that
// directory and writes the list of its entries; the names unpacked.
std::vector<std::string> UnpackUpdatePackage(const DeviceFs& fs, const std::string& name);

// The clean-up of the media directory after a program install: one thread at
// a time, ended by the next announce (which must not race it for the
// directory) and by its owner's end.
class MediaCleanup {
public:
    MediaCleanup() = default;
    MediaCleanup(const MediaCleanup&) = delete;
    MediaCleanup& operator=(const MediaCleanup&) = delete;
    ~MediaCleanup() { Stop(); }
    // Ends one still running first.
    void Start(Player& player, const std::string& directory);
    void Stop();
    bool Running() const { return running_; }

private:
    std::mutex mutex_;  // guards thread_
    std::thread thread_;
    std::atomic<bool> stop_{false}, running_{false};
};

// The clean-up's work: deletes the plain files of `directory` that no program
// of `player`'s lists references, until `stop` is raised; the count.
int DeleteUnreferencedMedia(Player& player, const std::string& directory,
                            const std::atomic<bool>* stop = nullptr);

}  // namespace led
