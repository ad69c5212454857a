// The transfer manifest on arbitrary bytes: the reader, the answer written
// back into the same document, and the name reduction, whose result must
// always be one plain file name. Seeds: tests/fuzz/corpus/manifest.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "net/Manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace led;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto manifest = ParseManifest(text);
    if (manifest) {
        if (manifest->filelen < 0) std::abort();
        auto answer = AnswerManifest(text, manifest->filelen / 2, 1);
        // What was read once reads again, with the answer's length.
        auto again = answer ? ParseManifest(*answer) : std::nullopt;
        if (!again || again->filelen != manifest->filelen / 2) std::abort();
        if (auto name = PlainFileName(manifest->filename)) {
            if (name->find_first_of("/\\:") != std::string::npos || *name == ".." ||
                name->empty() || name->size() > kMaxTransferName)
                std::abort();
        }
    }
    if (auto name = PlainFileName(text))
        if (name->find_first_of("/\\:") != std::string::npos || *name == "..") std::abort();
    return 0;
}
