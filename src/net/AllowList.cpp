#include "net/AllowList.h"

#include <charconv>

#include "platform/net/Socket.h"

namespace led {

AllowList AllowList::Parse(const std::string& text, std::vector<std::string>& errors) {
    AllowList list;
    std::string entry;
    auto take = [&] {
        if (entry.empty()) return;
        list.everyone_ = false;
        std::string address = entry;
        int bits = 32;
        if (auto slash = entry.find('/'); slash != std::string::npos) {
            address = entry.substr(0, slash);
            std::string b = entry.substr(slash + 1);
            auto [end, ec] = std::from_chars(b.data(), b.data() + b.size(), bits);
            if (ec != std::errc() || end != b.data() + b.size() || bits < 0 || bits > 32) {
                errors.push_back("bad range \"" + entry + "\"");
                entry.clear();
                return;
            }
        }
        auto ip = Endpoint::ParseAddress(address);
        if (!ip) {
            errors.push_back("bad address \"" + entry + "\"");
        } else {
            uint32_t mask = bits == 0 ? 0 : ~uint32_t(0) << (32 - bits);
            list.ranges_.push_back({*ip & mask, mask});
        }
        entry.clear();
    };
    for (char c : text) {
        if (c == ',' || c == ' ' || c == '\t' || c == ';')
            take();
        else
            entry += c;
    }
    take();
    return list;
}

bool AllowList::Allows(uint32_t ip) const {
    if (everyone_) return true;
    for (const auto& r : ranges_)
        if ((ip & r.mask) == r.network) return true;
    return false;
}

}  // namespace led
