#include "core/NetInfo.h"

#include <charconv>

namespace led {

NetInfo ParseNetInfo(const std::string& text) {
    std::string fields[4];
    size_t field = 0;
    for (char c : text) {
        if (c == '\0') break;  // the board reads the file as a C string
        if (c == ',') {
            if (++field == 4) break;
        } else {
            fields[field] += c;
        }
    }
    NetInfo info;
    if (field >= 1) info.account = fields[1];
    if (field >= 2) info.serverHost = fields[2];
    if (field >= 3) {
        int port = 0;
        auto [end, ec] =
            std::from_chars(fields[3].data(), fields[3].data() + fields[3].size(), port);
        if (ec == std::errc() && port > 0 && port < 65536) info.serverPort = port;
    }
    return info;
}

}  // namespace led
