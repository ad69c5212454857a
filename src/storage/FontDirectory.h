#pragma once
// The font directory "\nand\FontDir.xml": which uploaded font file in
// "\nand\font\" carries which face names.

#include <string>

namespace led {

class DeviceFs;

inline constexpr const char* kFontDirectory = "\\nand\\FontDir.xml";
inline constexpr const char* kFontDirectoryStaging = "\\nand\\fonttemp\\FontDir.xml";
inline constexpr const char* kFontFolder = "\\nand\\font\\";

// The font file for a face: the first entry with a name that begins with
// `face` (ignoring case), else the last entry's file, else the font folder
// alone. `matched`, when given, tells whether a name matched.
std::string FindFontFile(const DeviceFs& fs, const std::string& face,
                         const std::string& directory = kFontDirectory, bool* matched = nullptr);

// Appends every font element of `incoming` whose file the device directory
// does not list yet, and saves the device directory. A missing device
// directory starts empty. Returns 1.
int MergeFontDirectory(const DeviceFs& fs, const std::string& incoming = kFontDirectoryStaging,
                       const std::string& device = kFontDirectory);

}  // namespace led
