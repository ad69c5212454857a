#pragma once
// A player with its main window and message loop on a headless display, for
// tests that play one area through the real program start and stop.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/MainWindow.h"
#include "program/ProgramControl.h"
#include "support/ImageFiles.h"
#include "support/TestPlayer.h"

namespace led::test {

class AreaHarness : public ::testing::Test {
protected:
    explicit AreaHarness(double clockScale = 20.0) {
        std::filesystem::create_directories(video);
        std::filesystem::create_directories(dir.Path() / "nand" / "table");
        player = MakeTestPlayer(dir.Path(), clockScale);
        OpenMainWindow(*player, {200, 100});
        loop = std::thread([this] {
            player->queue.Run([this](const Message& m) { return MainWndProc(*player, m); });
        });
    }
    ~AreaHarness() override {
        if (layer == Layer::Osd)
            StopOSDProgram(*player, 1);
        else
            StopProgram(*player, 1, false);
        player->queue.Quit(0);
        loop.join();
    }

    void WriteBmp(const std::string& name, const Surface& picture, int bits = 24,
                  std::vector<uint32_t> palette = {}) {
        BmpLayout layout;
        layout.bitsPerPixel = bits;
        layout.palette = std::move(palette);
        WriteBytes(video / name, MakeBmp(picture, layout));
    }

    static Surface Solid(int w, int h, uint32_t px) {
        Surface s(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) s.SetPixel(x, y, px);
        return s;
    }

    static std::string BoardPath(const std::string& name) {
        return "\\Storage Card\\video\\" + name;
    }

    // An area of `type` at `area` on the `background` colour, no items yet.
    AreaRecord MakeArea(int32_t type) const {
        AreaRecord a;
        a.type = type;
        a.left = area.x, a.top = area.y;
        a.right = area.x + area.width - 1, a.bottom = area.y + area.height - 1;
        a.backgroundColour = background;
        return a;
    }

    // Starts a program holding the one area on `layer`.
    void Start(AreaRecord a, Layer on = Layer::Normal) {
        auto p = std::make_shared<ProgramRecord>();
        p->idText = "area";
        p->areas.push_back(std::move(a));
        layer = on;
        StartProgram(*player, p, on);
    }

    uint32_t RasterPixel(int x, int y) {
        return player->output.display->CaptureRaster().Pixel(x, y) & 0xffffff;
    }

    Rect area{10, 20, 64, 32};      // on the 200 x 100 raster
    int32_t background = 0x000000;  // 0x00BBGGRR
    TempDir dir;
    std::filesystem::path video = dir.Path() / "Storage Card" / "video";
    std::unique_ptr<Player> player;
    Layer layer = Layer::Normal;
    std::thread loop;
};

}  // namespace led::test
