#pragma once
// Sends files over a control session: manifest, the player's answer, the
// missing bytes, and for a program directory the completion command. A
// dropped connection is taken up again on a new one, from the bytes the
// player already has.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "client/Manifest.h"
#include "client/Socket.h"

namespace ledctl {

// The codes of one kind of transfer.
struct TransferCodes {
    uint8_t manifest, data;
    std::optional<int> type;  // the manifest's type attribute (typed transfers)
};
inline constexpr TransferCodes kProgramFiles{8, 9, std::nullopt};
inline TransferCodes TypedFiles(int type) { return {59, 60, type}; }

struct FileResult {
    std::string name;
    uint64_t size = 0;
    uint64_t from = 0;  // first byte sent (the player had the ones before)
    uint64_t sent = 0;
    bool skipped = false;
};

struct UploadOptions {
    std::string host;
    uint16_t port = 5002;
    Millis timeout{6000};
    int reconnects = 3;  // new connections after a dropped one
    Millis reconnectDelay{1000};
    // Bytes of the current file sent so far, of its size.
    std::function<void(const std::string& name, uint64_t done, uint64_t size)> progress;
};

// The files of a program directory in sending order: the plain files sorted
// by name, "playlist.xml" last. Throws std::invalid_argument when the
// directory has no playlist.xml or a name does not fit a manifest.
std::vector<std::filesystem::path> ProgramFiles(const std::filesystem::path& directory);

class Uploader {
public:
    explicit Uploader(UploadOptions options) : options_(std::move(options)) {}

    // Sends each file; then sends `completeCode` with `completePayload` (when
    // given) and waits for its acknowledgement. Throws ClientError when the
    // player refuses a file, stops answering, or the connection cannot be
    // taken up again.
    std::vector<FileResult> Send(const std::vector<std::filesystem::path>& files,
                                 const TransferCodes& codes, std::optional<int> completeCode,
                                 const Bytes& completePayload = {});
    int Reconnects() const { return reconnectsUsed_; }

private:
    UploadOptions options_;
    int reconnectsUsed_ = 0;
};

}  // namespace ledctl
