#pragma once
// Picture files for tests: bitmaps of every layout built byte by byte
// (independently of the codec's own writers), and ImageMagick's `convert` as
// the reference decoder and encoder.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/display/Surface.h"

namespace led::test {

// Every pixel differs from its neighbours in all three channels.
Surface PatternPicture(int width, int height);
// A picture drawn from `palette` only (0x00RRGGBB colours).
Surface PalettePicture(int width, int height, const std::vector<uint32_t>& palette);

struct BmpLayout {
    int headerSize = 40;  // 12 (core), 40, 56, 108 or 124
    int bitsPerPixel = 24;
    bool topDown = false;
    uint32_t compression = 0;       // 0 plain, 3 bit fields
    uint32_t masks[3] = {};         // red, green, blue, for compression 3
    std::vector<uint32_t> palette;  // for 1 to 8 bits; the picture uses only these colours
    std::string Name() const;
};

// The picture in the given layout. 16-bit pixels keep the top bits of each
// channel (5-5-5 without masks).
std::vector<uint8_t> MakeBmp(const Surface& picture, const BmpLayout& layout);

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// Binary PPM (P6), the exchange format with ImageMagick.
void WritePpm(const Surface& picture, const std::filesystem::path& path);
std::optional<Surface> ReadPpm(const std::filesystem::path& path);

// True when ImageMagick's `convert` is installed.
bool HaveImageMagick();
// Runs `convert` with the arguments; true when it exits with 0.
bool RunConvert(const std::vector<std::string>& args);
// ImageMagick's decoding of a file: `convert FILE ARGS... -depth 8 ppm:OUT`.
std::optional<Surface> DecodeWithImageMagick(const std::filesystem::path& file,
                                             const std::vector<std::string>& args = {});

// Largest difference of one colour channel between two pictures of the same
// size; -1 when the sizes differ.
int MaxChannelDifference(const Surface& a, const Surface& b);

}  // namespace led::test
