#pragma once
// Helpers for tests that need a device root or a whole Player.

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

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

// Waits (real time) until the predicate holds; its last answer.
template <typename F>
bool Eventually(F f, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (f()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return f();
}

}  // namespace led::test
