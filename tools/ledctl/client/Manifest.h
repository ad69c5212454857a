#pragma once
// The transfer manifest (file.xml) that announces each file, the player's
// answer to it, and what to send next.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ledctl {

struct Manifest {
    std::string filename;  // without directory, at most 259 bytes
    uint64_t filelen = 0;  // the file's size
    bool overwrite = false;
    std::optional<int> type;  // typed transfers only
};

std::string BuildManifest(const Manifest& m);

// The font list that completes a font upload: each file under its face name.
struct FontEntry {
    std::string file, face;
};
std::string FontList(const std::vector<FontEntry>& fonts);

// The fields the player writes back. Nothing when the text has no `file`
// element or its `filelen` or `ifok` cannot be read.
struct ManifestAnswer {
    std::string filename;
    int64_t filelen = 0;
    int ifok = -1;
};
std::optional<ManifestAnswer> ParseManifestAnswer(const std::string& xml);

// What to do with one file after the player's answer.
enum class NextStep {
    Skip,       // the player has it whole
    SendFrom,   // send the bytes from `offset` on (0: the whole file)
    Overwrite,  // what the player holds is not this file: announce again with overwrite
    NoSpace,
    StorageProblem,
};
struct Decision {
    NextStep step;
    uint64_t offset = 0;
};
// `overwriting`: the answer is to a manifest that asked for overwrite; it
// cannot be asked again.
Decision Decide(const ManifestAnswer& answer, uint64_t localSize, bool overwriting);

}  // namespace ledctl
