#include "platform/gpio/Gpio.h"

#include <spdlog/spdlog.h>

#include <atomic>

namespace led {
namespace {

// Keeps the level only. A configured line is reported once at start, so that
// a board set up for a camera switch shows plainly that nothing drives it.
class LoggedLine final : public GpioLine {
public:
    explicit LoggedLine(std::string name) : name_(std::move(name)) {
        if (!name_.empty())
            spdlog::warn(
                "gpio: line \"{}\" is configured, but this build drives no GPIO "
                "lines; its changes are only logged",
                name_);
    }
    const std::string& Name() const override { return name_; }
    bool Set(bool high) override {
        int level = high ? 1 : 0;
        if (level_.exchange(level) != level && !name_.empty())
            spdlog::info("gpio: line \"{}\" {}", name_, high ? "high" : "low");
        return true;
    }
    int Level() const override { return level_.load(); }

private:
    std::string name_;
    std::atomic<int> level_{-1};
};

}  // namespace

std::unique_ptr<GpioLine> OpenGpioLine(const std::string& name) {
    return std::make_unique<LoggedLine>(name);
}

}  // namespace led
