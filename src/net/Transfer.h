#pragma once
// The receiving side of a file transfer: which directories a manifest's type
// names, what the player answers to an announce, and the streaming of a data
// frame's body into the receiving directory. One TransferContext per session.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "net/Manifest.h"
#include "platform/fs/DeviceFs.h"

namespace led {

struct StoragePaths;
class SessionStream;
class MediaCleanup;

inline constexpr uint32_t kTransferBlockBytes = 128000;  // typed data is written in these
inline constexpr int kFirmwareType = 67;

// Answers in ifok.
enum class Verdict { Complete = 0, Send = 1, NoSpace = 2, SpaceUnknown = 3 };

struct TransferDirs {
    std::string receiving;
    std::string final;     // empty: the files stay where they are received
    std::string playlist;  // empty: no playlist goes with this type
};

// The directories of a manifest type under the run mode's paths.
TransferDirs DirectoriesOfType(const StoragePaths& paths, int type);
// Update files are received for another program (or for fonts and the test
// picture); they are never held back for a program install.
bool IsUpdateType(int type);

struct TransferContext {
    bool pcTool = true;               // the session was accepted from the PC tool
    MediaCleanup* cleanup = nullptr;  // shared by the sessions of one listener
    std::optional<Manifest> manifest;
    std::string name;  // the plain name the data goes to; empty when refused
    TransferDirs dirs;
    int type = 0;
    bool updateFile = false;
    int64_t answeredLength = 0;
    Verdict answered = Verdict::Send;
    // Before a firmware transfer: the directories the firmware update puts back.
    std::optional<std::pair<int, TransferDirs>> beforeFirmware;
    // Files of this upload whose bytes did not all reach the disk: an install
    // of this upload would be a half set.
    std::vector<std::string> failedFiles;
    std::vector<uint8_t> block;  // the typed data's write buffer, allocated on first use
};

struct Answer {
    int64_t filelen = 0;
    Verdict verdict = Verdict::Send;
};

// What the player has of `name` (a plain name) and how much it asks for.
Answer DecideAnswer(const DeviceFs& fs, const TransferDirs& dirs, const std::string& name,
                    const Manifest& manifest, bool updateFile);
// Not enough whole megabytes free for the announced size, or the query failed.
std::optional<Verdict> SpaceVerdict(const std::optional<DeviceFs::Space>& space, int64_t announced);

enum class Received { Complete, SessionEnded, WriteFailed, NotOpened };
struct ReceiveResult {
    Received result = Received::Complete;
    uint64_t resumedFrom = 0;  // the file's size before these bytes
    uint64_t written = 0;
};

// Streams `length` bytes and the two end bytes from the session into
// `boardPath`: appended, or written over when `truncate`. With a block
// buffer, bytes are collected and written a block at a time; without, each
// receive is written as it comes. A file that cannot be opened or written is
// drained, so the session stays in step with the frames that follow.
// `onPieces` runs every `piecesPerTick` receives (the on-screen spinner).
ReceiveResult ReceiveFileData(const DeviceFs& fs, const std::string& boardPath, bool truncate,
                              uint64_t length, SessionStream& stream, std::span<uint8_t> block,
                              const std::function<void()>& onPieces = {}, int piecesPerTick = 200);

// Reads and drops `count` bytes of a streamed body; false when the session ended.
bool DrainBody(SessionStream& stream, uint64_t count);

// After a firmware update: the directories in use before the firmware file.
void RestoreTransferAfterFirmware(TransferContext& transfer);

// Creates a board directory and its missing parents.
bool CreateDirectories(const DeviceFs& fs, const std::string& boardDirectory);

}  // namespace led
