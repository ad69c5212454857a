#include "net/Transfer.h"

#include <spdlog/spdlog.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

#include "core/StoragePaths.h"
#include "net/Command.h"
#include "storage/FontDirectory.h"

namespace led {
namespace {

constexpr const char* kUpdateFiles = "\\NAND\\upfiles\\";
constexpr const char* kFontReceiving = "\\nand\\fonttemp\\";
constexpr const char* kTestPicture = "\\Storage Card\\table\\test\\";
constexpr size_t kPiece = 4096;

bool ContainsNoCase(const std::string& text, std::string_view what) {
    auto it = std::search(text.begin(), text.end(), what.begin(), what.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
    return it != text.end();
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

TransferDirs DirectoriesOfType(const StoragePaths& paths, int type) {
    switch (type) {
        case 1: return {kUpdateFiles, "", ""};
        case 2: return {kFontReceiving, kFontFolder, ""};
        case 66: return {kTestPicture, "", ""};
        default: break;
    }
    if (type <= 0) return {paths.videotemp, paths.video, paths.xml};
    const std::string n = std::to_string(type - 2);
    return {paths.root + "videotemp" + n + "\\", paths.root + "video" + n + "\\",
            paths.root + "xml" + n + "\\"};
}

bool IsUpdateType(int type) { return type == 1 || type == 2 || type == 66; }

Answer DecideAnswer(const DeviceFs& fs, const TransferDirs& dirs, const std::string& name,
                    const Manifest& manifest, bool updateFile) {
    // The playlist always comes whole: a kept copy would be an older program.
    if (manifest.ifoverwrite != 0 || ContainsNoCase(name, "playlist.xml")) return {};
    if (!updateFile && !dirs.final.empty()) {
        if (auto size = fs.FileSize(JoinBoardPath(dirs.final, name)))
            return {int64_t(*size), Verdict::Complete};
    }
    // Update files are looked for where they are received (the update files'
    // directory for update packages), so a resumed font appends to the font.
    if (auto size = fs.FileSize(JoinBoardPath(dirs.receiving, name))) {
        // A leftover longer than the file announced now is not a part of it.
        if (int64_t(*size) > manifest.filelen) return {};
        return {int64_t(*size), Verdict::Send};
    }
    return {};
}

std::optional<Verdict> SpaceVerdict(const std::optional<DeviceFs::Space>& space,
                                    int64_t announced) {
    if (!space) return Verdict::SpaceUnknown;
    if ((space->available >> 20) < uint64_t(announced >> 20)) return Verdict::NoSpace;
    return std::nullopt;
}

bool DrainBody(SessionStream& stream, uint64_t count) {
    std::array<uint8_t, kPiece> sink;
    while (count > 0) {
        long got = stream.ReadBody({sink.data(), size_t(std::min<uint64_t>(count, sink.size()))});
        if (got < 0) return false;
        count -= uint64_t(got);
    }
    return true;
}

ReceiveResult ReceiveFileData(const DeviceFs& fs, const std::string& boardPath, bool truncate,
                              uint64_t length, SessionStream& stream, std::span<uint8_t> block,
                              const std::function<void()>& onPieces, int piecesPerTick) {
    ReceiveResult out;
    File file;
    if (auto host = fs.Resolve(boardPath)) {
        if (!truncate) out.resumedFrom = fs.FileSize(boardPath).value_or(0);
        file.reset(std::fopen(host->c_str(), truncate ? "wb" : "ab"));
    }
    if (!file) {
        spdlog::warn("transfer: {} cannot be opened, its bytes are dropped", boardPath);
        out.result = DrainBody(stream, length + 2) ? Received::NotOpened : Received::SessionEnded;
        return out;
    }
    std::array<uint8_t, kPiece> piece;
    int pieces = 0;
    size_t gathered = 0;  // bytes waiting in `block`
    bool failed = false;
    auto write = [&](const uint8_t* data, size_t n) {
        if (failed || n == 0) return;
        if (std::fwrite(data, 1, n, file.get()) != n) {
            failed = true;
            return;
        }
        out.written += n;
    };
    uint64_t remaining = length;
    while (remaining > 0) {
        long got =
            stream.ReadBody({piece.data(), size_t(std::min<uint64_t>(remaining, piece.size()))});
        if (got < 0) {
            // Everything received so far stays for the resume.
            if (gathered) write(block.data(), gathered);
            std::fflush(file.get());
            out.result = Received::SessionEnded;
            return out;
        }
        remaining -= uint64_t(got);
        if (got > 0 && onPieces && ++pieces % std::max(piecesPerTick, 1) == 0) onPieces();
        if (block.empty()) {
            write(piece.data(), size_t(got));
            continue;
        }
        for (size_t at = 0; at < size_t(got);) {
            size_t n = std::min(size_t(got) - at, block.size() - gathered);
            std::copy_n(piece.data() + at, n, block.data() + gathered);
            gathered += n;
            at += n;
            if (gathered == block.size()) {
                write(block.data(), gathered);
                gathered = 0;
            }
        }
    }
    if (gathered) write(block.data(), gathered);
    if (std::fflush(file.get()) != 0) failed = true;
    if (failed) out.result = Received::WriteFailed;
    uint8_t end[2];
    size_t endGot = 0;
    while (endGot < 2) {
        long got = stream.ReadBody({end + endGot, 2 - endGot});
        if (got < 0) {
            // The file is whole; the session is not.
            out.result = failed ? Received::WriteFailed : Received::SessionEnded;
            return out;
        }
        endGot += size_t(got);
    }
    return out;
}

void RestoreTransferAfterFirmware(TransferContext& t) {
    if (!t.beforeFirmware) return;
    t.type = t.beforeFirmware->first;
    t.dirs = t.beforeFirmware->second;
    t.beforeFirmware.reset();
}

bool CreateDirectories(const DeviceFs& fs, const std::string& boardDirectory) {
    std::string path;
    size_t at = 0;
    while (at < boardDirectory.size()) {
        size_t next = boardDirectory.find('\\', at);
        if (next == std::string::npos) next = boardDirectory.size();
        if (next > at) {
            path += "\\" + boardDirectory.substr(at, next - at);
            // The volume itself is not created here.
            if (path.find('\\', 1) != std::string::npos && !fs.IsDirectory(path))
                fs.CreateDirectory(path);
        }
        at = next + 1;
    }
    return fs.IsDirectory(boardDirectory);
}

}  // namespace led
