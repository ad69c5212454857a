#pragma once
// Copying a USB disk's program set over the player's own. The disk's "video"
// files and "xml" tree are copied into staging directories beside the run
// mode's video and xml directories and swapped in with renames only when the
// whole copy succeeded: a disk pulled out, a full card or a failing read
// leaves the old set in place.

#include <cstdint>
#include <functional>
#include <string>

namespace led {

class Player;

inline constexpr const char* kUsbDisk = "\\HDD\\";

struct ImportOutcome {
    enum class Kind { NoPrograms, Imported, Failed } kind = Kind::NoPrograms;
    uint64_t bytes = 0;  // copied
    int files = 0;       // copied
    std::string reason;  // why it failed
};

// Copies and swaps; does not stop, draw or restart anything. NoPrograms when
// the disk has no "xml" directory (nothing is touched then). `onProgress`
// gets the bytes copied so far after each chunk.
ImportOutcome ImportPrograms(Player& player, const std::function<void(uint64_t)>& onProgress = {});

}  // namespace led
