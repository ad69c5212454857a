#pragma once
// Copies one file in large chunks, reporting each chunk, so a long copy can
// show its progress and be given up between chunks.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace led {

enum class CopyResult {
    Copied,
    CannotOpenSource,  // missing, unreadable or not a regular file: nothing written
    Failed,            // a read or write error, or given up: the partial copy is removed
};

// `onChunk` gets the bytes of each chunk written; returning false gives the
// copy up. The destination is created or truncated. `error` gets the reason.
CopyResult CopyFileInChunks(const std::filesystem::path& from, const std::filesystem::path& to,
                            const std::function<bool(uint64_t)>& onChunk, std::string* error);

}  // namespace led
