#include "net/UpdatePackage.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "net/Manifest.h"

namespace led {
namespace {

constexpr size_t kPackageNameBytes = 256;
constexpr size_t kPackageHead = 11;  // magic, then two fields this side skips

}  // namespace

UpdatePackage ReadUpdatePackage(uint64_t fileSize, const ReadAt& readAt) {
    UpdatePackage package;
    std::array<uint8_t, kPackageNameBytes + 4> head{};
    size_t got = readAt(0, {head.data(), 6});
    std::string_view magic(reinterpret_cast<const char*>(head.data()), got);
    // A file too short for the magic is read on, as the board does.
    package.magicOk = got == 0 || magic.find("listen") != std::string_view::npos ||
                      magic.find("LISTEN") != std::string_view::npos;
    if (!package.magicOk) return package;
    uint64_t at = kPackageHead;
    while (at < fileSize) {
        got = readAt(at, head);
        if (got < head.size()) {
            package.truncated = true;
            break;
        }
        uint32_t size = uint32_t(head[256]) | uint32_t(head[257]) << 8 | uint32_t(head[258]) << 16 |
                        uint32_t(head[259]) << 24;
        std::string_view raw(reinterpret_cast<const char*>(head.data()), kPackageNameBytes);
        raw = raw.substr(0, std::min(raw.find('\0'), raw.size()));
        uint64_t content = at + head.size();
        if (content + size > fileSize) {
            package.truncated = true;
            break;
        }
        if (auto name = PlainFileName(raw))
            package.entries.push_back({*name, content, size});
        else
            package.refused.emplace_back(raw);
        at = content + size;
    }
    return package;
}

}  // namespace led
