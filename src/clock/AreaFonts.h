#pragma once
// The uploaded font files an area draws with: added to the process's own
// font set when the area starts and removed when it ends, never installed
// system-wide.

#include <string>
#include <vector>

namespace led {

class DeviceFs;

class AreaFonts {
public:
    // Adds the font file the font directory lists for each face, then
    // "\nand\font\SIMSUN". Faces the directory does not name add nothing.
    AreaFonts(const DeviceFs& fs, const std::vector<std::string>& faces);
    ~AreaFonts();
    AreaFonts(const AreaFonts&) = delete;
    AreaFonts& operator=(const AreaFonts&) = delete;

    const std::vector<std::string>& Added() const { return added_; }

private:
    void Add(const DeviceFs& fs, const std::string& boardPath);
    std::vector<std::string> added_;  // host paths
};

}  // namespace led
