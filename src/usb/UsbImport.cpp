#include "usb/UsbImport.h"

#include <spdlog/spdlog.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "core/Messages.h"
#include "core/Player.h"
#include "platform/fs/FileCopy.h"

namespace led {
namespace {

namespace stdfs = std::filesystem;

constexpr const char* kStagingSuffix = ".usbnew";
constexpr const char* kOldSuffix = ".usbold";

// A directory path without its final "\".
std::string Bare(std::string path) {
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

// Names from the disk become one component of a board path: nothing that
// could name another directory.
bool SafeName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("\\/:") == std::string::npos;
}

struct SourceFile {
    std::string from, to;  // board paths
    uint64_t size = 0;
};

enum class Kind { File, Directory, Other };

// What a disk entry is, following links only while they stay on the disk.
Kind KindOf(const DeviceFs& fs, const std::string& boardPath, uint64_t* size = nullptr) {
    auto host = fs.Resolve(boardPath);
    if (!host) return Kind::Other;  // a link out of the disk
    std::error_code ec;
    auto status = stdfs::status(*host, ec);
    if (ec) return Kind::Other;
    if (stdfs::is_directory(status)) return Kind::Directory;
    if (!stdfs::is_regular_file(status)) return Kind::Other;
    if (size) {
        // A size that cannot be read is not a file to copy: unchecked, it
        // would read as the largest size and fail the import for space.
        const std::optional<uint64_t> bytes = fs.FileSize(boardPath);
        if (!bytes) return Kind::Other;
        *size = *bytes;
    }
    return Kind::File;
}

// The regular files at the top of `from` (sub-directories are not copied).
void ListTopFiles(const DeviceFs& fs, const std::string& from, const std::string& to,
                  std::vector<SourceFile>& files) {
    for (const auto& name : fs.List(from)) {
        if (!SafeName(name)) continue;
        SourceFile f{JoinBoardPath(from, name), JoinBoardPath(to, name)};
        if (KindOf(fs, f.from, &f.size) == Kind::File) files.push_back(f);
    }
}

// Every file of the tree under `from`, with the directories to make first.
void ListTree(const DeviceFs& fs, const std::string& from, const std::string& to,
              std::vector<std::string>& directories, std::vector<SourceFile>& files, int depth) {
    if (depth > 16) return;  // a disk looping through links ends here
    for (const auto& name : fs.List(from)) {
        if (!SafeName(name)) continue;
        SourceFile f{JoinBoardPath(from, name), JoinBoardPath(to, name)};
        switch (KindOf(fs, f.from, &f.size)) {
            case Kind::File: files.push_back(f); break;
            case Kind::Directory:
                directories.push_back(f.to);
                ListTree(fs, f.from, f.to, directories, files, depth + 1);
                break;
            case Kind::Other: spdlog::info("usb: {} skipped", f.from); break;
        }
    }
}

class Importer {
public:
    Importer(Player& player, const std::function<void(uint64_t)>& onProgress)
        : player_(player),
          fs_(player.fs),
          paths_(player.Storage()->paths),
          onProgress_(onProgress) {}

    ImportOutcome Run() {
        const std::string diskXml = JoinBoardPath(kUsbDisk, "xml");
        const std::string diskVideo = JoinBoardPath(kUsbDisk, "video");
        if (!fs_.IsDirectory(diskXml)) return {};
        const std::string xml = Bare(paths_.xml), video = Bare(paths_.video);
        const std::string newXml = xml + kStagingSuffix, newVideo = video + kStagingSuffix;
        // Leftovers of an import that was cut short (power lost) go first.
        for (const auto& dir : {newXml, newVideo, xml + kOldSuffix, video + kOldSuffix})
            fs_.RemoveTree(dir);

        std::vector<SourceFile> files;
        std::vector<std::string> directories{newVideo, newXml};
        if (fs_.IsDirectory(diskVideo)) ListTopFiles(fs_, diskVideo, newVideo, files);
        ListTree(fs_, diskXml, newXml, directories, files, 0);
        uint64_t total = 0;
        for (const auto& f : files) total += f.size;
        total_ = total;
        player_.copy.copiedBytes = 0;
        player_.copy.totalBytes = total;

        if (auto space = fs_.SpaceOf(paths_.root); space && space->available < total)
            return Fail("not enough space: " + std::to_string(total) + " bytes to copy, " +
                        std::to_string(space->available) + " free");
        for (const auto& dir : directories)
            if (!fs_.CreateDirectory(dir)) return Fail("cannot create " + dir);
        for (const auto& f : files)
            if (!Copy(f)) return Fail(reason_);
        // A disk that left during the copy may have left files unopened.
        if (!fs_.IsDirectory(diskXml)) return Fail("the disk was removed during the copy");
        if (!Swap(xml, newXml) || !Swap(video, newVideo))
            return Fail("the new program set cannot be put in place");
        fs_.RemoveTree(xml + kOldSuffix);
        fs_.RemoveTree(video + kOldSuffix);
        ImportOutcome done;
        done.kind = ImportOutcome::Kind::Imported;
        done.bytes = copied_;
        done.files = copiedFiles_;
        return done;
    }

private:
    bool Copy(const SourceFile& f) {
        auto from = fs_.Resolve(f.from);
        auto to = fs_.Resolve(f.to);
        if (!from || !to) {
            reason_ = "cannot copy " + f.from;
            return false;
        }
        std::string error;
        auto result = CopyFileInChunks(
            *from, *to, [&](uint64_t n) { return Chunk(n); }, &error);
        if (result == CopyResult::CannotOpenSource && fs_.IsDirectory(kUsbDisk)) {
            // An unreadable file does not spoil the rest of the set.
            spdlog::warn("usb: {} skipped ({})", f.from, error);
            return true;
        }
        if (result != CopyResult::Copied) {
            reason_ = f.from + ": " + error;
            return false;
        }
        ++copiedFiles_;
        return true;
    }

    bool Chunk(uint64_t n) {
        copied_ += n;
        player_.copy.copiedBytes = copied_;
        // The bar has 64 steps: redraw only when it grows.
        const int bar = total_ ? int(std::min<uint64_t>(64 * copied_ / total_, 64)) : 64;
        if (bar != lastBar_) {
            lastBar_ = bar;
            player_.queue.Post({msg::kCopyProgress, 0, 0});
        }
        const int tenth = total_ ? int(std::min<uint64_t>(10 * copied_ / total_, 10)) : 10;
        if (tenth != lastTenth_) {
            lastTenth_ = tenth;
            player_.events.Emit("usb", {{"state", "copying"}, {"percent", tenth * 10}});
        }
        if (onProgress_) onProgress_(copied_);
        return !player_.ShuttingDown();
    }

    // Puts `staged` in place of `target`, keeping the target as .usbold
    // until both swaps are done; a failed second swap puts the first back.
    bool Swap(const std::string& target, const std::string& staged) {
        const std::string old = target + kOldSuffix;
        const bool hadTarget = fs_.IsDirectory(target);
        if (hadTarget && !fs_.MoveFile(target, old)) return false;
        if (fs_.MoveFile(staged, target)) {
            swapped_.push_back(target);
            return true;
        }
        if (hadTarget) fs_.MoveFile(old, target);
        return false;
    }

    ImportOutcome Fail(const std::string& reason) {
        // Undo a swap already made, then drop what was staged.
        for (const auto& target : swapped_) {
            fs_.RemoveTree(target);
            fs_.MoveFile(target + kOldSuffix, target);
        }
        const std::string xml = Bare(paths_.xml), video = Bare(paths_.video);
        fs_.RemoveTree(xml + kStagingSuffix);
        fs_.RemoveTree(video + kStagingSuffix);
        // A target that was never there stays absent; the standard ones exist again.
        for (const auto& dir : {xml, video})
            if (!fs_.IsDirectory(dir)) fs_.CreateDirectory(dir);
        ImportOutcome out;
        out.kind = ImportOutcome::Kind::Failed;
        out.reason = reason;
        out.bytes = copied_;
        out.files = copiedFiles_;
        return out;
    }

    Player& player_;
    const DeviceFs& fs_;
    StoragePaths paths_;
    const std::function<void(uint64_t)>& onProgress_;
    uint64_t total_ = 0, copied_ = 0;
    int copiedFiles_ = 0;
    int lastBar_ = -1, lastTenth_ = -1;
    std::string reason_;
    std::vector<std::string> swapped_;
};

}  // namespace

ImportOutcome ImportPrograms(Player& player, const std::function<void(uint64_t)>& onProgress) {
    return Importer(player, onProgress).Run();
}

}  // namespace led
