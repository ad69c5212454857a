#pragma once
// The file manifest ("file.xml") that announces each transferred file: the
// tool sends name, size and overwrite choice; the player answers with the
// same document, its filelen and ifok rewritten.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace led {

// The longest file name a manifest may carry.
inline constexpr size_t kMaxTransferName = 259;

struct Manifest {
    std::string filename;  // as sent: may still hold a directory part
    int64_t filelen = 0;
    int32_t ifoverwrite = 0;
    int32_t type = 0;  // the file element's type attribute, 0 when absent
};

// The first file of root/files; none when the text is not XML, has no file
// element, or carries a filelen that is negative or not a 64-bit number.
std::optional<Manifest> ParseManifest(std::string_view xml);

// The same document with filelen and ifok set (elements added when missing);
// none when it does not parse.
std::optional<std::string> AnswerManifest(std::string_view xml, int64_t filelen, int ifok);

// A name from the network reduced to a plain file name: the last component
// after any "/" or "\". None when that component is empty, "." or "..",
// holds a drive colon or a control character, or is longer than
// kMaxTransferName.
std::optional<std::string> PlainFileName(std::string_view name);

}  // namespace led
