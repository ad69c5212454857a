// demo-media DIR: writes the pictures the demo playlist names into DIR.
//   demo-red.bmp    960 x 1080, 8-bit palette (rewritten as 32-bit at its first showing)
//   demo-photo.jpg  960 x 1080, a drawn landscape at dusk
//   demo-logo.png   1920 x 1080, a logo card on a transparent ground
//   demo-band.bmp   1920 x 64, 24-bit, a line of text for the OSD band
//   demo-page-1..3.bmp  960 x 540, pages of the picture-text area
//   demo-table.bmp  960 x 540, a timetable for the table area
//   demo-anim-00..11.bmp  960 x 540, frames of the animate area
//   clock-dial.png, clock-h0..59.png, clock-m0..59.png, clock-s0..59.png
//                   360 x 360, the analog clock's dial and hand positions
//   demo-clip.webm  640 x 360, 5 s of colour bars scrolling sideways (VP8), made with
//                   gst-launch-1.0 when it is installed; skipped otherwise
// Everything is drawn or generated here, so the demo carries no binary media.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/display/Canvas.h"
#include "platform/image/ImageWriters.h"
#include "platform/text/Fonts.h"

namespace led {
namespace {

constexpr double kPi = 3.14159265358979323846;

uint32_t Rgb(double r, double g, double b) {
    auto c = [](double v) { return uint32_t(std::clamp(std::lround(v), 0L, 255L)); };
    return c(r) << 16 | c(g) << 8 | c(b);
}

uint32_t Mix(uint32_t a, uint32_t b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto ch = [&](int s) { return ((a >> s) & 0xff) * (1 - t) + ((b >> s) & 0xff) * t; };
    return Rgb(ch(16), ch(8), ch(0));
}

Font MakeFace(int pixels, int weight) {
    FontRequest request;
    request.height = -pixels;
    request.weight = weight;
    request.face = "DejaVu Sans";
    return Fonts::MakeFont(request);
}

// Text drawn white on black: its coverage, one byte a pixel.
std::vector<uint8_t> TextCoverage(Size size, const std::string& text, int pixels, int weight,
                                  const Rect& box, TextAlign align) {
    Surface s(size.width, size.height);
    Canvas canvas(s);
    const Font font = MakeFace(pixels, weight);
    if (font.IsValid()) canvas.DrawText(font, text, box, Colour::FromRgb(255, 255, 255), align);
    std::vector<uint8_t> coverage(size_t(size.width) * size_t(size.height));
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x)
            coverage[size_t(y) * size_t(size.width) + size_t(x)] = uint8_t(s.Pixel(x, y) & 0xff);
    return coverage;
}

bool Save(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

// An uncompressed bottom-up 8-bit bitmap with a 256-entry palette.
std::vector<uint8_t> EncodeBmp8(const std::vector<uint8_t>& indices, int width, int height,
                                const std::vector<uint32_t>& palette) {
    const size_t stride = (size_t(width) + 3) / 4 * 4;
    const size_t offset = 54 + 256 * 4;
    std::vector<uint8_t> f(offset + stride * size_t(height));
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) f[at + i] = uint8_t(v >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, uint32_t(f.size()));
    put32(10, uint32_t(offset));
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    f[26] = 1;
    f[28] = 8;
    put32(46, 256);
    for (size_t i = 0; i < 256; ++i) put32(54 + 4 * i, palette[i] & 0xffffff);
    for (int y = 0; y < height; ++y)
        std::copy_n(&indices[size_t(y) * size_t(width)], width,
                    &f[offset + stride * size_t(height - 1 - y)]);
    return f;
}

// demo-red.bmp: rings and rays in 256 shades running from deep red to white.
std::vector<uint8_t> RedPicture() {
    const int w = 960, h = 1080;
    std::vector<uint32_t> palette(256);
    for (int i = 0; i < 256; ++i) {
        const double t = i / 255.0;
        palette[size_t(i)] = t < 0.75 ? Mix(0x200000, 0xff1010, t / 0.75)
                                      : Mix(0xff1010, 0xfff0f0, (t - 0.75) / 0.25);
    }
    const std::vector<uint8_t> text =
        TextCoverage({w, h}, "RED", 260, 800, {0, 380, w, 320}, TextAlign::Center);
    const std::vector<uint8_t> caption =
        TextCoverage({w, h}, "8-bit palette bitmap", 44, 400, {0, 960, w, 60}, TextAlign::Center);
    std::vector<uint8_t> indices(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double dx = x - w / 2.0, dy = y - h / 2.0;
            const double r = std::hypot(dx, dy), a = std::atan2(dy, dx);
            double v = 0.35 + 0.25 * std::cos(r / 18.0) * std::exp(-r / 900.0) +
                       0.12 * std::cos(a * 12.0) - r / 2400.0;
            const size_t i = size_t(y) * size_t(w) + size_t(x);
            v = v + (1.0 - v) * (std::max(text[i], caption[i]) / 255.0);
            indices[i] = uint8_t(std::clamp(std::lround(v * 255), 0L, 255L));
        }
    return EncodeBmp8(indices, w, h, palette);
}

// A ridge line: the sum of a few sines, as seen from afar.
double Ridge(double x, double base, double height, double seed) {
    return base -
           height * (0.55 * std::sin(x * 0.004 + seed) + 0.3 * std::sin(x * 0.011 + seed * 2) +
                     0.15 * std::sin(x * 0.029 + seed * 3));
}

// demo-photo.jpg: dusk over mountains and a lake.
Surface PhotoPicture() {
    const int w = 960, h = 1080, horizon = 700;
    const double sunX = 600, sunY = 560;
    auto skyAt = [&](double sy) {
        const double t = std::clamp(sy / horizon, 0.0, 1.0);
        return t < 0.6 ? Mix(0x0b1446, 0x6a3a7a, t / 0.6)
                       : Mix(0x6a3a7a, 0xff9a3c, (t - 0.6) / 0.4);
    };
    // What the eye sees at (sx, sy) above the water line: sky, sun, stars,
    // then three ranges of hills in front, nearer ones darker.
    auto scene = [&](double sx, double sy, int x, int y) {
        uint32_t c = skyAt(sy);
        const double d = std::hypot(sx - sunX, sy - sunY);
        c = Mix(c, 0xffd890, std::exp(-d / 90.0) * 0.9);
        if (d < 55) c = Mix(c, 0xfff4d0, std::min(1.0, (55 - d) / 3));
        uint32_t hash = uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u;
        hash = (hash ^ (hash >> 13)) * 2654435761u;
        if (sy < 380 && (hash >> 8) % 2500 == 0) c = Mix(c, 0xe8eeff, 1.0 - sy / 380);
        const double ridges[3][3] = {{560, 120, 1.0}, {620, 80, 2.5}, {680, 50, 4.1}};
        const uint32_t shades[3] = {0x3c2a52, 0x261a38, 0x120c1c};
        for (int k = 0; k < 3; ++k)
            if (sy >= Ridge(sx, ridges[k][0], ridges[k][1], ridges[k][2]))
                c = Mix(shades[k], skyAt(sy), 0.25 - 0.08 * k);
        return c;
    };
    Surface s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (y < horizon) {
                s.SetPixel(x, y, scene(x, y, x, y));
                continue;
            }
            // The lake mirrors the scene, rippled and darker with depth.
            const double depth = y - horizon;
            const double ripple =
                std::min(1.0, depth / 40) * 6 * std::sin(y * 0.35 + std::sin(x * 0.02) * 2);
            const double sy = std::min<double>(horizon - 1, horizon - 1 - depth + ripple * 0.5);
            const uint32_t c = scene(x + ripple, sy, x, 2 * horizon - y);
            s.SetPixel(x, y, Mix(c, 0x05070f, 0.35 + depth / 1200.0));
        }
    return s;
}

// demo-logo.png: a rounded card with a ring emblem and the name, its shadow
// half transparent, everything else clear.
Surface LogoPicture(std::vector<uint8_t>& alpha) {
    const int w = 1920, h = 1080;
    const Rect card{460, 340, 1000, 400};
    const double radius = 60;
    Surface s(w, h);
    alpha.assign(size_t(w) * size_t(h), 0);
    const std::vector<uint8_t> name = TextCoverage(
        {w, h}, "ledplayer", 120, 700, {card.x + 330, card.y + 100, 640, 170}, TextAlign::Left);
    const std::vector<uint8_t> line =
        TextCoverage({w, h}, "LED screen playback", 40, 400, {card.x + 338, card.y + 270, 620, 60},
                     TextAlign::Left);
    // Distance outside a rounded rectangle (negative inside).
    auto rounded = [&](double x, double y, Rect r) {
        const double cx = std::clamp(x, r.x + radius, r.Right() - radius);
        const double cy = std::clamp(y, r.y + radius, r.Bottom() - radius);
        return std::hypot(x - cx, y - cy) - radius;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * size_t(w) + size_t(x);
            const double inCard = std::clamp(0.5 - rounded(x + 0.5, y + 0.5, card), 0.0, 1.0);
            const double shadow =
                0.5 * std::clamp(1.0 - rounded(x - 18, y - 24, card) / 40.0, 0.0, 1.0);
            uint32_t c = Mix(0x1a3a8a, 0x35a0e0, double(y - card.y) / card.height);
            // The emblem: a ring with a dot, left of the name.
            const double ex = x - (card.x + 180.0), ey = y - (card.y + 200.0);
            const double er = std::hypot(ex, ey);
            c = Mix(c, 0xffc83c, std::clamp(15.5 - std::abs(er - 95), 0.0, 1.0));
            c = Mix(c, 0xffffff, std::clamp(42 - er, 0.0, 1.0));
            c = Mix(c, 0xffffff, name[i] / 255.0);
            c = Mix(c, 0xd8ecff, line[i] / 255.0);
            const double a = inCard + (1 - inCard) * shadow;
            s.SetPixel(x, y, inCard > 0 ? c : 0x000000);
            alpha[i] = uint8_t(std::lround(a * 255));
        }
    return s;
}

// demo-band.bmp: a ticker line for the OSD band.
Surface BandPicture() {
    const int w = 1920, h = 64;
    Surface s(w, h);
    Canvas canvas(s);
    for (int y = 0; y < h; ++y)
        canvas.Fill({0, y, w, 1}, Colour::FromPixel(Mix(0x303030, 0x101010, y / 63.0)));
    canvas.Fill({0, 0, w, 2}, Colour::FromRgb(0xff, 0xc8, 0x3c));
    canvas.Fill({0, h - 2, w, 2}, Colour::FromRgb(0xff, 0xc8, 0x3c));
    const Font bold = MakeFace(34, 700), plain = MakeFace(30, 400);
    if (!bold.IsValid() || !plain.IsValid()) return s;
    int x = 24;
    const char* items[] = {"ledplayer demo", "OSD band", "pictures, clock and video areas",
                           "programs from the PC tool, USB disk or server"};
    for (size_t i = 0; i < std::size(items); ++i) {
        canvas.FillEllipse({x, 24, 16, 16}, Colour::FromRgb(0xff, 0xc8, 0x3c));
        x += 30;
        const bool title = i == 0;
        const Size drawn = canvas.DrawText(
            title ? bold : plain, items[i], {x, 12, w - x, 44},
            title ? Colour::FromRgb(255, 255, 255) : Colour::FromRgb(0xd0, 0xd8, 0xe0));
        x += drawn.width + 40;
    }
    return s;
}

// demo-page-N.bmp: pages of a picture-text area, as the PC tool renders
// text into page bitmaps; scrolled up one behind the other.
Surface PagePicture(int index) {
    const int w = 960, h = 540;
    Surface s(w, h);
    Canvas canvas(s);
    canvas.FillAll(Colour::FromPixel(0x0c1830));
    const Font title = MakeFace(48, 700), body = MakeFace(34, 400);
    if (!title.IsValid() || !body.IsValid()) return s;
    static const char* const pages[][4] = {
        {"Picture-text area", "Pages rendered by the PC tool,", "shown one after another with",
         "the item's entry effect."},
        {"Continuous scroll", "Effect 5 pushes each page up",
         "directly behind the one before:", "one long scroll of text."},
        {"Next cycle", "The first page follows the last", "without a clear, so the scroll",
         "never jumps."},
    };
    const auto& lines = pages[index % 3];
    canvas.DrawText(title, lines[0], {40, 40, w - 80, 70}, Colour::FromRgb(0xff, 0xc8, 0x3c));
    for (int i = 1; i < 4; ++i)
        canvas.DrawText(body, lines[i], {40, 140 + (i - 1) * 60, w - 80, 56},
                        Colour::FromRgb(0xf0, 0xf0, 0xf0));
    return s;
}

// demo-table.bmp: a timetable as the tool renders a table area.
Surface TablePicture() {
    const int w = 960, h = 540, rowHeight = 76;
    Surface s(w, h);
    Canvas canvas(s);
    canvas.FillAll(Colour::FromPixel(0x101010));
    const Font head = MakeFace(34, 700), cell = MakeFace(32, 400);
    static const char* const rows[][3] = {
        {"Train", "Platform", "Departs"}, {"IC 204", "3", "09:12"},
        {"RE 17", "1", "09:20"},          {"S 4", "5", "09:26"},
        {"ICE 88", "2", "09:41"},         {"RB 31", "4", "09:55"}};
    const int columns[] = {30, 380, 660};
    for (int r = 0; r < 6; ++r) {
        const int y = 40 + r * rowHeight;
        if (r == 0) canvas.Fill({20, y, w - 40, rowHeight}, Colour::FromPixel(0x1a3a8a));
        canvas.Fill({20, y + rowHeight - 2, w - 40, 2}, Colour::FromPixel(0x505050));
        if (!head.IsValid() || !cell.IsValid()) continue;
        for (int c = 0; c < 3; ++c)
            canvas.DrawText(
                r == 0 ? head : cell, rows[r][c], {columns[c], y + 16, 280, 50},
                r == 0 ? Colour::FromRgb(255, 255, 255) : Colour::FromRgb(0xff, 0xc8, 0x3c));
    }
    return s;
}

// demo-anim-NN.bmp: frames of a ball going round a ring.
Surface AnimationFrame(int index, int count) {
    const int w = 960, h = 540;
    Surface s(w, h);
    Canvas canvas(s);
    canvas.FillAll(Colour::FromPixel(0x000000));
    const double angle = 2 * kPi * index / count;
    const int cx = w / 2, cy = h / 2, radius = 180;
    for (int i = 0; i < 36; ++i) {
        const double a = 2 * kPi * i / 36;
        canvas.FillEllipse(
            {cx + int(radius * std::sin(a)) - 4, cy - int(radius * std::cos(a)) - 4, 8, 8},
            Colour::FromPixel(0x404040));
    }
    const int bx = cx + int(radius * std::sin(angle)), by = cy - int(radius * std::cos(angle));
    canvas.FillEllipse({bx - 40, by - 40, 80, 80},
                       Colour::FromPixel(Mix(0x35a0e0, 0xffc83c, double(index) / count)));
    return s;
}

// A single-quoted shell word.
std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char ch : text) quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return quoted + "'";
}

// The demo's video clip, generated by GStreamer's own tool. A clip already
// there is kept: making one takes a few seconds.
void MakeClip(const std::filesystem::path& path) {
    if (std::filesystem::exists(path)) return;
    if (std::system("command -v gst-launch-1.0 >/dev/null 2>&1") != 0) return;
    const std::string command =
        "gst-launch-1.0 -q videotestsrc pattern=smpte horizontal-speed=4 num-buffers=150 ! "
        "video/x-raw,width=640,height=360,framerate=30/1 ! vp8enc deadline=1 ! webmmux ! "
        "filesink location=" +
        ShellQuoted(path.string()) + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        std::error_code ec;
        std::filesystem::remove(path, ec);
        std::fprintf(stderr, "demo-media: no video clip (gst-launch-1.0 failed)\n");
    }
}

bool SavePages(const std::filesystem::path& dir) {
    for (int i = 0; i < 3; ++i)
        if (!Save(dir / ("demo-page-" + std::to_string(i + 1) + ".bmp"),
                  EncodeBmp24(PagePicture(i))))
            return false;
    return true;
}

bool SaveAnimation(const std::filesystem::path& dir) {
    constexpr int kFrames = 12;
    for (int i = 0; i < kFrames; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "demo-anim-%02d.bmp", i);
        if (!Save(dir / name, EncodeBmp24(AnimationFrame(i, kFrames)))) return false;
    }
    return true;
}

// The analog clock: a dial and one picture per hand position, all of the
// area's size, black where the layers below show through.
constexpr int kClockSize = 360;

Surface ClockDial() {
    Surface s(kClockSize, kClockSize);
    Canvas c(s);
    const int mid = kClockSize / 2;
    c.FillEllipse({8, 8, kClockSize - 16, kClockSize - 16}, Colour::FromRgb(40, 60, 110));
    c.FillEllipse({16, 16, kClockSize - 32, kClockSize - 32}, Colour::FromRgb(12, 18, 40));
    for (int tick = 0; tick < 60; ++tick) {
        const double a = tick * 6 * kPi / 180;
        const double inner = tick % 5 == 0 ? mid - 44 : mid - 32, outer = mid - 22;
        const double w = tick % 5 == 0 ? 4 : 1.5;
        const double sx = std::sin(a), cx = std::cos(a);
        const Point quad[] = {
            {int(mid + inner * sx - w * cx), int(mid - inner * cx - w * sx)},
            {int(mid + outer * sx - w * cx), int(mid - outer * cx - w * sx)},
            {int(mid + outer * sx + w * cx), int(mid - outer * cx + w * sx)},
            {int(mid + inner * sx + w * cx), int(mid - inner * cx + w * sx)},
        };
        c.FillPolygon(quad, Colour::FromRgb(220, 230, 255));
    }
    return s;
}

Surface ClockHand(int position, double length, double width, Colour colour) {
    Surface s(kClockSize, kClockSize);
    Canvas c(s);
    const double mid = kClockSize / 2.0, a = position * 6 * kPi / 180;
    const double sx = std::sin(a), cx = std::cos(a);
    const Point hand[] = {
        {int(mid - 16 * sx - width * cx), int(mid + 16 * cx - width * sx)},
        {int(mid + length * sx), int(mid - length * cx)},
        {int(mid - 16 * sx + width * cx), int(mid + 16 * cx + width * sx)},
    };
    c.FillPolygon(hand, colour);
    c.FillEllipse({int(mid) - 7, int(mid) - 7, 14, 14}, colour);
    return s;
}

bool SaveClockPictures(const std::filesystem::path& dir) {
    bool ok = Save(dir / "clock-dial.png", EncodePng(ClockDial()));
    for (int i = 0; i < 60 && ok; ++i) {
        const std::string n = std::to_string(i) + ".png";
        ok = Save(dir / ("clock-h" + n),
                  EncodePng(ClockHand(i, 90, 9, Colour::FromRgb(240, 240, 240)))) &&
             Save(dir / ("clock-m" + n),
                  EncodePng(ClockHand(i, 135, 6, Colour::FromRgb(120, 200, 255)))) &&
             Save(dir / ("clock-s" + n),
                  EncodePng(ClockHand(i, 150, 2, Colour::FromRgb(255, 70, 50))));
    }
    return ok;
}

}  // namespace
}  // namespace led

int main(int argc, char** argv) {
    using namespace led;
    if (argc != 2) {
        std::fprintf(stderr, "usage: demo-media DIRECTORY\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);

    std::vector<uint8_t> alpha;
    const Surface logo = LogoPicture(alpha);
    const bool ok = Save(dir / "demo-red.bmp", RedPicture()) &&
                    Save(dir / "demo-photo.jpg", EncodeJpeg(PhotoPicture(), 90)) &&
                    Save(dir / "demo-logo.png", EncodePng(logo, alpha)) &&
                    Save(dir / "demo-band.bmp", EncodeBmp24(BandPicture())) &&
                    Save(dir / "demo-table.bmp", EncodeBmp24(TablePicture())) && SavePages(dir) &&
                    SaveAnimation(dir) && SaveClockPictures(dir);
    if (!ok) {
        std::fprintf(stderr, "demo-media: cannot write the pictures into %s\n", argv[1]);
        return 1;
    }
    MakeClip(dir / "demo-clip.webm");
    return 0;
}
