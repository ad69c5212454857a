#pragma once
// Tells when a USB disk arrives at or leaves the directory of the "\HDD\"
// volume. A mount point counts as a disk while something is mounted on it
// (the mount table is watched); a plain directory (preview, tests) counts as
// a disk once it holds an "xml" or "video" entry, and as gone once it is
// empty or deleted.

#include <filesystem>
#include <memory>

namespace led {

enum class DiskNotice { None, Inserted, Removed };

class DiskWatcher {
public:
    virtual ~DiskWatcher() = default;
    // Waits up to `timeoutMs` (real time) for a change of the disk's
    // presence; None when nothing changed. A disk already present when the
    // watcher is made is not reported: only arrivals and removals are, so a
    // disk left in is not imported again at every start.
    virtual DiskNotice Wait(int timeoutMs) = 0;
};

std::unique_ptr<DiskWatcher> MakeDiskWatcher(const std::filesystem::path& directory);

// Whether `directory` is the mount point of a mounted file system, by the
// mount table of this process.
bool IsMountPoint(const std::filesystem::path& directory);

}  // namespace led
