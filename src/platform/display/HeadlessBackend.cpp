#include <cstdlib>

#include "platform/display/Backend.h"

namespace led {
namespace {

// No output device: the raster stays in memory, for snapshots and capture.
class HeadlessBackend final : public DisplayBackend {
public:
    const char* Name() const override { return "headless"; }
    bool Open(Size) override { return true; }
    void Present(const Surface&, const std::vector<Rect>&) override {}
    bool ShowsEveryFrame() const override { return false; }
};

}  // namespace

std::unique_ptr<DisplayBackend> MakeHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

std::unique_ptr<DisplayBackend> MakeBackend(const std::string& name, std::string& error) {
    if (name == "headless") return MakeHeadlessBackend();
    if (name == "sdl") {
        auto sdl = MakeSdlBackend();
        if (!sdl) error = "the sdl backend cannot start";
        return sdl;
    }
    if (name == "auto") {
        bool display = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
        if (display)
            if (auto sdl = MakeSdlBackend()) return sdl;
        return MakeHeadlessBackend();
    }
    error = "unknown display backend \"" + name + "\" (auto, headless or sdl)";
    return nullptr;
}

}  // namespace led
