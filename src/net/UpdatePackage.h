#pragma once
// The update package: "LISTEN" or "listen", two fields this side skips, then
// entries of a 256-byte zero-padded name, a 32-bit little-endian size and
// the content, until the file ends.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace led {

// One entry of an update package: where its content lies in the file.
struct UpdateEntry {
    std::string name;  // reduced to a plain name
    uint64_t offset = 0;
    uint32_t size = 0;
};
struct UpdatePackage {
    bool magicOk = false;
    std::vector<UpdateEntry> entries;
    std::vector<std::string> refused;  // names that were not plain, as sent
    bool truncated = false;            // ended inside a head, or an entry beyond the end
};
// Reads the package's heads through `readAt` (bytes at an offset; fewer at the
// end of the file). Entries are read until the file ends; an entry whose
// content would end beyond `fileSize` ends the reading.
using ReadAt = std::function<size_t(uint64_t offset, std::span<uint8_t> out)>;
UpdatePackage ReadUpdatePackage(uint64_t fileSize, const ReadAt& readAt);

}  // namespace led
