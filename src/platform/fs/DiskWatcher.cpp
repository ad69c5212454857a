#include "platform/fs/DiskWatcher.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string>

namespace led {
namespace fs = std::filesystem;

namespace {

bool SameNameIgnoringCase(const std::string& a, const char* b) {
    const std::string bs(b);
    return a.size() == bs.size() && std::equal(a.begin(), a.end(), bs.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The mount table escapes blanks and backslashes as octal (\040).
std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() &&
            std::isdigit(static_cast<unsigned char>(s[i + 1]))) {
            out += char(std::stoi(s.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

class LinuxDiskWatcher final : public DiskWatcher {
public:
    explicit LinuxDiskWatcher(fs::path directory)
        : directory_(std::move(directory)),
          mounts_(open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC)),
          inotify_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        fs::path parent = directory_.parent_path();
        if (inotify_ >= 0 && !parent.empty())
            inotify_add_watch(inotify_, parent.c_str(),
                              IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR);
        present_ = IsMountPoint(directory_) || HoldsPrograms();
    }
    ~LinuxDiskWatcher() override {
        if (mounts_ >= 0) close(mounts_);
        if (inotify_ >= 0) close(inotify_);
    }

    DiskNotice Wait(int timeoutMs) override {
        WatchDirectory();
        if (auto change = Evaluate(); change != DiskNotice::None) return change;
        std::array<pollfd, 2> fds{pollfd{mounts_, POLLPRI, 0}, pollfd{inotify_, POLLIN, 0}};
        poll(fds.data(), fds.size(), std::max(timeoutMs, 0));
        Drain();
        WatchDirectory();
        return Evaluate();
    }

private:
    // The directory's own watch, made again whenever it was recreated.
    void WatchDirectory() {
        if (inotify_ < 0) return;
        inotify_add_watch(inotify_, directory_.c_str(),
                          IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                              IN_MOVE_SELF | IN_ONLYDIR);
    }

    void Drain() {
        if (inotify_ < 0) return;
        std::array<char, 4096> buffer;
        while (read(inotify_, buffer.data(), buffer.size()) > 0) {
        }
    }

    bool HoldsPrograms() const {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(directory_, ec)) {
            const std::string name = entry.path().filename().string();
            if (SameNameIgnoringCase(name, "xml") || SameNameIgnoringCase(name, "video"))
                return true;
        }
        return false;
    }

    bool IsEmptyOrGone() const {
        std::error_code ec;
        if (!fs::is_directory(directory_, ec)) return true;
        return fs::directory_iterator(directory_, ec) == fs::directory_iterator();
    }

    DiskNotice Evaluate() {
        const bool mounted = IsMountPoint(directory_);
        if (!present_ && (mounted || HoldsPrograms())) {
            present_ = true;
            return DiskNotice::Inserted;
        }
        if (present_ && !mounted && IsEmptyOrGone()) {
            present_ = false;
            return DiskNotice::Removed;
        }
        return DiskNotice::None;
    }

    fs::path directory_;
    int mounts_ = -1;
    int inotify_ = -1;
    bool present_ = false;
};

}  // namespace

bool IsMountPoint(const fs::path& directory) {
    std::error_code ec;
    const fs::path wanted = fs::weakly_canonical(directory, ec);
    if (ec) return false;
    std::ifstream table("/proc/self/mountinfo");
    std::string line;
    while (std::getline(table, line)) {
        // id parent major:minor root mount-point ...
        std::istringstream fields(line);
        std::string id, parent, device, root, mountPoint;
        if (!(fields >> id >> parent >> device >> root >> mountPoint)) continue;
        if (fs::path(Unescape(mountPoint)) == wanted) return true;
    }
    return false;
}

std::unique_ptr<DiskWatcher> MakeDiskWatcher(const fs::path& directory) {
    return std::make_unique<LinuxDiskWatcher>(directory);
}

}  // namespace led
