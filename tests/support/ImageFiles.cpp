#include "support/ImageFiles.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>

extern char** environ;

namespace led::test {
namespace {

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
}

// One 8-bit channel reduced to the width of a mask and put in its place.
uint32_t Pack(uint32_t channel, uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    return (bits >= 8 ? channel << (bits - 8) : channel >> (8 - bits)) << shift;
}

}  // namespace

Surface PatternPicture(int width, int height) {
    Surface s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.SetPixel(x, y,
                       uint32_t((x * 37 + y * 3) & 0xff) << 16 |
                           uint32_t((y * 29 + x * 5 + 60) & 0xff) << 8 |
                           uint32_t((x * 11 + y * 17 + 130) & 0xff));
    return s;
}

Surface PalettePicture(int width, int height, const std::vector<uint32_t>& palette) {
    Surface s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.SetPixel(x, y, palette[size_t(x * 7 + y * 3 + (x * y) / 5) % palette.size()]);
    return s;
}

std::string BmpLayout::Name() const {
    std::string name =
        "h" + std::to_string(headerSize) + "_" + std::to_string(bitsPerPixel) + "bit";
    if (compression == 3) name += masks[1] == 0x07e0 ? "_565" : "_fields";
    if (topDown) name += "_topdown";
    return name;
}

std::vector<uint8_t> MakeBmp(const Surface& picture, const BmpLayout& layout) {
    const int w = picture.Width(), h = picture.Height(), bpp = layout.bitsPerPixel;
    const bool core = layout.headerSize == 12;
    const size_t entry = core ? 3 : 4;
    const size_t maskBytes = layout.compression == 3 && layout.headerSize == 40 ? 12 : 0;
    const size_t paletteOffset = 14 + size_t(layout.headerSize) + maskBytes;
    const size_t pixelOffset = paletteOffset + layout.palette.size() * entry;
    const size_t stride = (size_t(w) * bpp + 31) / 32 * 4;
    std::vector<uint8_t> out(pixelOffset + stride * size_t(h));

    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, uint32_t(out.size()));
    Put32(out, 10, uint32_t(pixelOffset));
    Put32(out, 14, uint32_t(layout.headerSize));
    if (core) {
        Put16(out, 18, uint32_t(w));
        Put16(out, 20, uint32_t(h));
        Put16(out, 22, 1);
        Put16(out, 24, uint32_t(bpp));
    } else {
        Put32(out, 18, uint32_t(w));
        Put32(out, 22, uint32_t(layout.topDown ? -h : h));
        Put16(out, 26, 1);
        Put16(out, 28, uint32_t(bpp));
        Put32(out, 30, layout.compression);
        Put32(out, 34, uint32_t(stride * size_t(h)));
        Put32(out, 46, bpp <= 8 ? uint32_t(layout.palette.size()) : 0);
        if (layout.compression == 3)
            for (int i = 0; i < 3; ++i) Put32(out, 54 + 4 * size_t(i), layout.masks[i]);
        if (layout.headerSize >= 108) Put32(out, 70, 0x73524742);  // 'sRGB'
    }
    std::map<uint32_t, uint32_t> index;
    for (size_t i = 0; i < layout.palette.size(); ++i) {
        const uint32_t c = layout.palette[i];
        uint8_t* e = &out[paletteOffset + i * entry];
        e[0] = uint8_t(c), e[1] = uint8_t(c >> 8), e[2] = uint8_t(c >> 16);
        index.emplace(c, uint32_t(i));
    }
    uint32_t masks[3] = {0x7c00, 0x03e0, 0x001f};
    if (layout.compression == 3) std::copy(layout.masks, layout.masks + 3, masks);

    for (int y = 0; y < h; ++y) {
        const int fileRow = layout.topDown ? y : h - 1 - y;
        uint8_t* row = &out[pixelOffset + stride * size_t(fileRow)];
        for (int x = 0; x < w; ++x) {
            const uint32_t px = picture.Pixel(x, y);
            const uint32_t r = (px >> 16) & 0xff, g = (px >> 8) & 0xff, b = px & 0xff;
            if (bpp <= 8) {
                auto found = index.find(px);
                if (found == index.end()) throw std::invalid_argument("colour not in palette");
                const uint32_t i = found->second;
                const int perByte = 8 / bpp;
                row[x / perByte] |= uint8_t(i << (8 - bpp * (x % perByte + 1)));
            } else if (bpp == 16) {
                const uint32_t v = Pack(r, masks[0]) | Pack(g, masks[1]) | Pack(b, masks[2]);
                row[2 * x] = uint8_t(v), row[2 * x + 1] = uint8_t(v >> 8);
            } else if (bpp == 24) {
                row[3 * x] = uint8_t(b), row[3 * x + 1] = uint8_t(g), row[3 * x + 2] = uint8_t(r);
            } else {
                const uint32_t v = layout.compression == 3
                                       ? Pack(r, masks[0]) | Pack(g, masks[1]) | Pack(b, masks[2])
                                       : px;
                for (int i = 0; i < 4; ++i) row[4 * x + i] = uint8_t(v >> (8 * i));
            }
        }
    }
    return out;
}

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void WritePpm(const Surface& picture, const std::filesystem::path& path) {
    std::string header = "P6\n" + std::to_string(picture.Width()) + " " +
                         std::to_string(picture.Height()) + "\n255\n";
    std::vector<uint8_t> bytes(header.begin(), header.end());
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            const uint32_t px = picture.Pixel(x, y);
            bytes.push_back(uint8_t(px >> 16));
            bytes.push_back(uint8_t(px >> 8));
            bytes.push_back(uint8_t(px));
        }
    WriteBytes(path, bytes);
}

std::optional<Surface> ReadPpm(const std::filesystem::path& path) {
    const std::vector<uint8_t> bytes = ReadBytes(path);
    // "P6", width, height, maximum, each after white space; one white space before the data.
    size_t pos = 0;
    auto number = [&]() -> long {
        while (pos < bytes.size() && std::isspace(bytes[pos])) ++pos;
        long v = 0;
        bool any = false;
        while (pos < bytes.size() && std::isdigit(bytes[pos])) {
            v = v * 10 + (bytes[pos++] - '0');
            any = true;
        }
        return any ? v : -1;
    };
    if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6') return std::nullopt;
    pos = 2;
    const long w = number(), h = number(), max = number();
    if (w <= 0 || h <= 0 || max != 255) return std::nullopt;
    ++pos;
    if (bytes.size() - pos < size_t(w * h * 3)) return std::nullopt;
    Surface s(static_cast<int>(w), static_cast<int>(h));
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x, pos += 3)
            s.SetPixel(int(x), int(y),
                       uint32_t(bytes[pos]) << 16 | uint32_t(bytes[pos + 1]) << 8 | bytes[pos + 2]);
    return s;
}

bool RunConvert(const std::vector<std::string>& args) {
    std::vector<std::string> all{"convert"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, "convert", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool HaveImageMagick() {
    static const bool have = [] {
        FILE* p = popen("convert -version 2>/dev/null", "r");
        if (!p) return false;
        char buffer[256] = {};
        const size_t n = fread(buffer, 1, sizeof buffer - 1, p);
        pclose(p);
        return std::string(buffer, n).find("ImageMagick") != std::string::npos;
    }();
    return have;
}

std::optional<Surface> DecodeWithImageMagick(const std::filesystem::path& file,
                                             const std::vector<std::string>& args) {
    const std::filesystem::path out = file.string() + ".reference.ppm";
    std::vector<std::string> all{file.string()};
    all.insert(all.end(), args.begin(), args.end());
    all.insert(all.end(), {"-depth", "8", "ppm:" + out.string()});
    if (!RunConvert(all)) return std::nullopt;
    auto picture = ReadPpm(out);
    std::error_code ec;
    std::filesystem::remove(out, ec);
    return picture;
}

int MaxChannelDifference(const Surface& a, const Surface& b) {
    if (a.GetSize() != b.GetSize()) return -1;
    int worst = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            for (int shift = 0; shift < 24; shift += 8) {
                const int d = std::abs(int((a.Pixel(x, y) >> shift) & 0xff) -
                                       int((b.Pixel(x, y) >> shift) & 0xff));
                worst = std::max(worst, d);
            }
    return worst;
}

}  // namespace led::test
