#include "net/Install.h"

#include <spdlog/spdlog.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <memory>
#include <set>

#include "core/Player.h"
#include "net/Manifest.h"
#include "net/Transfer.h"
#include "program/PlaylistReader.h"
#include "program/ProgramControl.h"
#include "program/ScreenPower.h"
#include "screen/CardExchange.h"
#include "storage/Files.h"
#include "storage/FontDirectory.h"

namespace led {
namespace {

constexpr const char* kUpdateFiles = "\\NAND\\upfiles\\";
constexpr const char* kUpdateList = "\\nand\\exelist.dat";
constexpr const char* kFontReceiving = "\\nand\\fonttemp\\";
constexpr const char* kReceivedFontList = kFontDirectoryStaging;
constexpr const char* kFontList = kFontDirectory;
constexpr const char* kMovedFontList = "\\nand\\font\\FontDir.xml";
constexpr const char* kPlaylistName = "playlist.xml";
constexpr const char* kStagedPlaylistName = "playlist.xml.new";
constexpr size_t kPiece = 4096;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string Lower(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string LastComponent(const std::string& path) {
    size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The finished icon for a second, then the status corner is cleared.
void ShowFinished(Player& player) {
    player.transferStatus.ShowIcons(player.output.display.get(), player.settings.statusIcons == 1,
                                    {kIconFinished});
    player.SleepOrStop(1000);
    player.transferStatus.Clear();
}

void ReleaseUploadHold(Player& player) {
    player.playback.hold.suspend[0] = 0;
    player.playback.hold.suspend[1] = 0;
    player.network.uploadInProgress = false;
}

}  // namespace

std::vector<std::string> MoveReceivedFiles(const DeviceFs& fs, const std::string& from,
                                           const std::string& to) {
    std::vector<std::string> failed;
    std::vector<std::string> names = fs.List(from);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        std::string source = JoinBoardPath(from, name);
        if (fs.IsDirectory(source)) {
            spdlog::info("install: directory {} left in {}", name, from);
            continue;
        }
        // One rename replaces the old file: there is no moment without it.
        if (!fs.MoveFile(source, JoinBoardPath(to, name))) {
            spdlog::warn("install: {} cannot be moved into {}", source, to);
            failed.push_back(name);
        }
    }
    return failed;
}

void InstallPrograms(Player& player, TransferContext& transfer, bool quiet) {
    const auto storage = player.Storage();
    const StoragePaths& paths = storage->paths;
    const TransferDirs dirs =
        transfer.manifest ? transfer.dirs : DirectoriesOfType(paths, transfer.type);
    const std::string receiving = dirs.receiving;
    const std::string final = dirs.final.empty() ? paths.video : dirs.final;
    const std::string playlistDir = dirs.playlist.empty() ? paths.xml : dirs.playlist;
    const std::string target = JoinBoardPath(playlistDir, kPlaylistName);

    if (!quiet) {
        RunExchange(player.ports, PortRole::Card,
                    Exchange("*#WL C800 000a 0cf4000000#*").Wait(100));
        RunExchange(player.ports, PortRole::Card, Exchange("*#WL C800 000a 0cf4ffffff#*"));
    }
    player.network.uploadInProgress = true;
    auto& hold = player.playback.hold;
    // First: a scheduler pass between the stops would start the old program.
    hold.suspend[0] = 1;
    hold.suspend[1] = 1;
    int normalStopped = StopProgram(player, player.LayerOf(Layer::Normal).areaCount.load(), false);
    int osdStopped = StopOSDProgram(player, player.LayerOf(Layer::Osd).areaCount.load());
    if (!quiet && (!normalStopped || !osdStopped)) {
        player.events.Emit("install", {{"verdict", "reboot"}, {"playlist", target}});
        player.system->RequestReboot("a layer did not stop for the program install");
        return;
    }
    if (!quiet)
        player.boot.testLog.Append(files::kRebootRec, "Recv a new programs,to load & run...",
                                   player.clock.Now());

    std::string verdict = "installed";
    std::vector<std::string> failedMoves;
    if (!transfer.failedFiles.empty()) {
        // The files stay in the receiving directory for the next upload to
        // complete; the programs on screen stay as they are.
        verdict = "incomplete";
        spdlog::warn("install: {} file(s) of the upload did not reach the disk, nothing installed",
                     transfer.failedFiles.size());
    } else {
        CreateDirectories(player.fs, final);
        CreateDirectories(player.fs, playlistDir);
        const std::string received = JoinBoardPath(receiving, kPlaylistName);
        const std::string staged = JoinBoardPath(playlistDir, kStagedPlaylistName);
        const bool newPlaylist = player.fs.Exists(received);
        if (newPlaylist && !player.fs.CopyFile(received, staged)) {
            verdict = "failed";
            spdlog::warn("install: the playlist cannot be staged in {}", playlistDir);
        } else {
            failedMoves = MoveReceivedFiles(player.fs, receiving, final);
            // The old playlist stays until every media file is in place.
            if (!failedMoves.empty()) {
                verdict = "failed";
                player.fs.Remove(staged);
            } else if (newPlaylist && !player.fs.MoveFile(staged, target)) {
                verdict = "failed";
                spdlog::warn("install: the playlist cannot be put in place in {}", playlistDir);
            } else if (newPlaylist && !quiet) {
                player.fs.CopyFile(target, received);
            }
        }
        if (!quiet) player.fs.Remove(files::kCurProg);
    }
    RestartBothLayers(player);

    int read = ReadPlaylist(player, paths.playlist);
    auto lists = player.Programs();
    const bool anyProgram = !lists->normal.empty() || !lists->osd.empty();
    player.events.Emit("install", {{"verdict", verdict},
                                   {"playlist", target},
                                   {"quiet", quiet},
                                   {"unmoved", failedMoves},
                                   {"programs", lists->all.size()}});
    // After the read, so the clean-up sees the programs just installed; a
    // playlist that did not read would otherwise take every file with it.
    if (!quiet && verdict == "installed" && read == 0 && anyProgram) {
        if (transfer.cleanup)
            transfer.cleanup->Start(player, paths.video);
        else
            spdlog::info("install: no media clean-up for this session");
    }
    transfer.failedFiles.clear();
    ShowFinished(player);
    ReleaseUploadHold(player);
    player.SleepOrStop(50);
}

void InstallFonts(Player& player, const TransferContext& transfer,
                  std::span<const uint8_t> fontList) {
    auto& fs = player.fs;
    CreateDirectories(fs, kFontReceiving);
    if (!fs.WriteFile(kReceivedFontList, fontList.data(), fontList.size()))
        spdlog::warn("fonts: {} cannot be written", kReceivedFontList);
    MergeFontDirectory(fs, kReceivedFontList, kFontList);
    std::vector<std::string> unmoved;
    if (transfer.type == 2) {
        CreateDirectories(fs, kFontFolder);
        unmoved = MoveReceivedFiles(fs, kFontReceiving, kFontFolder);
    }
    ReadPlaylist(player, player.Storage()->paths.playlist);
    ShowFinished(player);
    player.SleepOrStop(500);
    fs.Remove(kMovedFontList);
    player.events.Emit("install", {{"verdict", unmoved.empty() ? "installed" : "failed"},
                                   {"fonts", transfer.type == 2},
                                   {"unmoved", unmoved}});
}

std::vector<std::string> UnpackUpdatePackage(const DeviceFs& fs, const std::string& name) {
    std::vector<std::string> unpacked;
    const std::string path = JoinBoardPath(kUpdateFiles, name);
    auto host = fs.Resolve(path);
    File in(host ? std::fopen(host->c_str(), "rb") : nullptr);
    if (!in) {
        spdlog::warn("update: {} cannot be opened", path);
        return unpacked;
    }
    uint64_t size = fs.FileSize(path).value_or(0);
    ReadAt readAt = [&](uint64_t offset, std::span<uint8_t> out) -> size_t {
        if (std::fseek(in.get(), long(offset), SEEK_SET) != 0) return 0;
        return std::fread(out.data(), 1, out.size(), in.get());
    };
    UpdatePackage package = ReadUpdatePackage(size, readAt);
    if (!package.magicOk) spdlog::warn("update: {} is not an update package", path);
    for (const auto& refused : package.refused)
        spdlog::warn("update: entry name \"{}\" refused", refused);
    if (package.truncated) spdlog::warn("update: {} ends inside an entry", path);
    std::array<uint8_t, kPiece> piece;
    for (const UpdateEntry& entry : package.entries) {
        // Writing the package over itself would lose the rest of it.
        if (Lower(entry.name) == Lower(name)) {
            spdlog::warn("update: entry {} has the package's own name, skipped", entry.name);
            continue;
        }
        const std::string target = JoinBoardPath(kUpdateFiles, entry.name);
        auto out = fs.Resolve(target);
        File file(out ? std::fopen(out->c_str(), "wb") : nullptr);
        bool ok = bool(file);
        for (uint64_t done = 0; ok && done < entry.size;) {
            size_t n = readAt(entry.offset + done,
                              {piece.data(), std::min<size_t>(piece.size(), entry.size - done)});
            ok = n > 0 && std::fwrite(piece.data(), 1, n, file.get()) == n;
            done += n;
        }
        if (file && std::fflush(file.get()) != 0) ok = false;
        if (!ok) {
            spdlog::warn("update: entry {} cannot be written", target);
            continue;
        }
        unpacked.push_back(entry.name);
    }
    std::string list;
    for (const auto& n : unpacked) list += (list.empty() ? "" : ";") + n;
    if (!fs.WriteText(kUpdateList, list)) spdlog::warn("update: {} cannot be written", kUpdateList);
    return unpacked;
}

int DeleteUnreferencedMedia(Player& player, const std::string& directory,
                            const std::atomic<bool>* stop) {
    auto lists = player.Programs();
    std::set<std::string> used;
    for (const auto* list : {&lists->all, &lists->normal, &lists->osd})
        for (const auto& program : *list)
            for (const auto& area : program.areas)
                for (const auto& item : area.items) {
                    if (!item.path.empty()) used.insert(Lower(LastComponent(item.path)));
                    for (const auto& page : item.pageFiles) used.insert(Lower(LastComponent(page)));
                }
    for (const auto& frame : lists->lastFrames) used.insert(Lower(LastComponent(frame)));
    int deleted = 0;
    for (const std::string& name : player.fs.List(directory)) {
        if ((stop && *stop) || player.ShuttingDown()) break;
        if (used.count(Lower(name))) continue;
        // Only names the listing gave, joined to the media directory itself.
        const std::string path = JoinBoardPath(directory, name);
        if (player.fs.IsDirectory(path)) continue;
        if (player.fs.Remove(path)) ++deleted;
    }
    return deleted;
}

void MediaCleanup::Stop() {
    std::lock_guard lock(mutex_);
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    stop_ = false;
}

void MediaCleanup::Start(Player& player, const std::string& directory) {
    Stop();
    std::lock_guard lock(mutex_);
    running_ = true;
    thread_ = std::thread([this, &player, directory] {
        int deleted = DeleteUnreferencedMedia(player, directory, &stop_);
        player.events.Emit("media-cleanup", {{"directory", directory}, {"deleted", deleted}});
        running_ = false;
    });
}

}  // namespace led
