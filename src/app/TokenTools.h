#pragma once
// `ledplayer expand-tokens` and `ledplayer read-rtf`: the areas' token
// expansion and rich text reader on the command line.

#include <iosfwd>
#include <optional>
#include <string>

namespace led {

struct Settings;

struct ExpandTokensOptions {
    int area = 13;
    std::string format;
    std::string at;         // "YYYY-MM-DD HH:MM:SS", "-" (one per line on stdin), empty: now
    std::string differ;     // TYPE,D,H,M,S
    std::string weeknames;  // SUN,...,SAT
    std::string arrival;    // Y,MO,D,H,MI,S
    // Sensor areas (14-16): the reading, whether it is valid, the item's
    // error and precision. Empty: not given.
    std::string value, valid, error, precision;
};

int ExpandTokensTool(const ExpandTokensOptions& options, const Settings& settings, std::istream& in,
                     std::ostream& out, std::ostream& err);
int ReadRtfTool(const std::string& file, std::ostream& out, std::ostream& err);

}  // namespace led
