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

std::unique_ptr<DisplayBackend> MakeHeadlessBackend() {
    return std::make_unique<HeadlessBackend>();
}

namespace {

std::unique_ptr<DisplayBackend> MakeSdlOrReport(std::string& error) {
    auto sdl = MakeSdlBackend();
    if (!sdl) error = "the sdl backend cannot start";
    return sdl;
}

std::unique_ptr<DisplayBackend> MakeAutoBackend(std::string&) {
    bool display = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    if (display)
        if (auto sdl = MakeSdlBackend()) return sdl;
    return MakeHeadlessBackend();
}

struct BackendRow {
    const char* name;
    std::unique_ptr<DisplayBackend> (*make)(std::string& error);
};

constexpr BackendRow kBackends[] = {
    {"auto", MakeAutoBackend},
    {"headless", [](std::string&) { return MakeHeadlessBackend(); }},
    {"sdl", MakeSdlOrReport},
};

}  // namespace

std::unique_ptr<DisplayBackend> MakeBackend(const std::string& name, std::string& error) {
    for (const auto& row : kBackends)
        if (name == row.name) return row.make(error);
    std::string names;
    for (const auto& row : kBackends) names += std::string(names.empty() ? "" : ", ") + row.name;
    error = "unknown display backend \"" + name + "\" (" + names + ")";
    return nullptr;
}

}  // namespace led
