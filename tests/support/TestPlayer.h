#pragma once
// Helpers for tests that need a device root or a whole Player.

#include <filesystem>
#include <memory>
#include <string>

#include "core/Player.h"

namespace led::test {

// A fresh directory under the system's temporary directory, removed at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Writes a host file, creating its directories.
void WriteHostFile(const std::filesystem::path& path, const std::string& content);

// A player on a temporary device root, headless, on virtual time running
// `scale` times real time from 2026-03-05 07:08:09.
std::unique_ptr<Player> MakeTestPlayer(const std::filesystem::path& root, double scale = 1000.0);
// Opens the display and the main window as start-up does.
void OpenMainWindow(Player& player, Size size = {320, 240});

// Counts the pixels of a colour inside a rectangle of a surface.
int CountPixels(const Surface& surface, const Rect& rect, uint32_t pixel);

// Entries of a directory, "." and ".." included: with /proc/self/fd and
// /proc/self/task, the open files and threads, for leak checks.
int CountEntries(const char* dir);

}  // namespace led::test
