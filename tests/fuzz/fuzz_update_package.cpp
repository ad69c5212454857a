// The update-package reader on arbitrary bytes: every entry it hands out lies
// inside the file and carries a plain name. Seeds: tests/fuzz/corpus/update_package.

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "net/UpdatePackage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace led;
    UpdatePackage package =
        ReadUpdatePackage(size, [&](uint64_t at, std::span<uint8_t> out) -> size_t {
            if (at >= size) return 0;
            size_t n = std::min<size_t>(out.size(), size - at);
            std::copy_n(data + at, n, out.data());
            return n;
        });
    uint64_t end = 0;
    for (const UpdateEntry& e : package.entries) {
        if (e.offset < end || e.offset + e.size > size) std::abort();
        end = e.offset + e.size;
        if (e.name.empty() || e.name == ".." || e.name.find_first_of("/\\:") != std::string::npos)
            std::abort();
    }
    return 0;
}
