#pragma once
// The board's file system on Linux. Board paths keep the board's spelling
// ("\nand\table\volume.dat", "\Storage Card 1_0\xml\playlist.xml") and resolve
// under one device root, one directory per volume. Components match
// case-insensitively against what exists, as the board's file system ignores
// case; new components keep the given spelling. A resolved path never leaves
// its volume, neither by ".." nor through a symlink: links that stay inside
// the volume are followed, a path whose real location lies outside is refused.

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace led {

class DeviceFs {
public:
    // The board's volumes, by their first path component.
    static const std::vector<std::string>& VolumeNames();

    explicit DeviceFs(std::filesystem::path root);

    // Maps one volume (e.g. "HDD") to a directory of its own instead of
    // <root>/<volume>.
    void MapVolume(const std::string& volume, std::filesystem::path directory);
    const std::filesystem::path& Root() const { return root_; }

    // Host path for a board path, or none when the path names no known volume,
    // contains "..", a drive or an absolute component, or leads out of its
    // volume through a symlink (a dangling link counts as leading out). The
    // volume's directory need not exist.
    std::optional<std::filesystem::path> Resolve(const std::string& boardPath) const;

    bool VolumeExists(const std::string& boardPath) const;
    bool Exists(const std::string& boardPath) const;
    bool IsDirectory(const std::string& boardPath) const;
    std::optional<uint64_t> FileSize(const std::string& boardPath) const;

    // Reads at most maxBytes from the start of a regular file.
    std::optional<std::vector<uint8_t>> ReadFile(const std::string& boardPath,
                                                 size_t maxBytes = SIZE_MAX) const;
    std::optional<std::string> ReadText(const std::string& boardPath,
                                        size_t maxBytes = SIZE_MAX) const;
    // Create or truncate, then write. Parent directories must exist (as on the
    // board). Written to a temporary file and renamed, so readers never see a
    // half-written settings file.
    bool WriteFile(const std::string& boardPath, const void* data, size_t size) const;
    bool WriteFile(const std::string& boardPath, const std::vector<uint8_t>& data) const {
        return WriteFile(boardPath, data.data(), data.size());
    }
    bool WriteText(const std::string& boardPath, const std::string& text) const {
        return WriteFile(boardPath, text.data(), text.size());
    }
    bool AppendFile(const std::string& boardPath, const void* data, size_t size) const;
    bool Remove(const std::string& boardPath) const;           // a file; false when absent
    bool CreateDirectory(const std::string& boardPath) const;  // one level, like the board
    // A directory with everything in it (links are removed, not followed);
    // false when it is absent or names a whole volume.
    bool RemoveTree(const std::string& boardPath) const;
    // Creates the device root and a volume's directory ("nand") when missing:
    // a new device root starts with its built-in flash.
    bool CreateVolume(const std::string& volume) const;
    bool CopyFile(const std::string& from, const std::string& to) const;
    bool MoveFile(const std::string& from, const std::string& to) const;
    std::vector<std::string> List(const std::string& boardDirectory) const;
    // Size and free space of the file system holding a board path; none when
    // the path does not resolve or the query fails.
    struct Space {
        uint64_t total = 0;
        uint64_t available = 0;
    };
    std::optional<Space> SpaceOf(const std::string& boardPath) const;

private:
    std::filesystem::path VolumeDirectory(const std::string& canonicalVolume) const;

    std::filesystem::path root_;
    std::map<std::string, std::filesystem::path> mapped_;
};

// Joins board path pieces with exactly one "\" between them.
std::string JoinBoardPath(const std::string& directory, const std::string& name);

}  // namespace led
