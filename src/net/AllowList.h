#pragma once
// Which peers may send commands (net.allow): addresses and CIDR ranges. The
// protocol has no authentication and can erase storage or reboot the board.

#include <cstdint>
#include <string>
#include <vector>

namespace led {

class AllowList {
public:
    // "192.168.1.0/24, 10.0.0.7": comma- or blank-separated. Entries that do
    // not parse are reported in `errors` and allow nothing. An empty text
    // allows everyone, as the boards do.
    static AllowList Parse(const std::string& text, std::vector<std::string>& errors);
    bool Allows(uint32_t ip) const;
    bool AllowsEveryone() const { return everyone_; }

private:
    struct Range {
        uint32_t network;
        uint32_t mask;
    };
    std::vector<Range> ranges_;
    bool everyone_ = true;
};

}  // namespace led
