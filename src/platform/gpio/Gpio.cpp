#include "platform/gpio/Gpio.h"

#include <gpiod.h>
#include <spdlog/spdlog.h>

#include <atomic>
#include <cstdlib>
#include <mutex>

namespace led {
namespace {

constexpr const char* kConsumer = "ledplayer";

// No line on this board: the levels are kept and logged.
class LoggedLine final : public GpioLine {
public:
    const std::string& Name() const override { return name_; }
    bool Set(bool high) override {
        int level = high ? 1 : 0;
        if (level_.exchange(level) != level)
            spdlog::debug("gpio: camera switch {} (no line configured)", high ? "high" : "low");
        return true;
    }
    int Level() const override { return level_.load(); }

private:
    std::string name_;
    std::atomic<int> level_{-1};
};

class GpiodLine final : public GpioLine {
public:
    GpiodLine(std::string name, GpioLineAddress address)
        : name_(std::move(name)), address_(std::move(address)) {}
    ~GpiodLine() override {
        if (line_) gpiod_line_release(line_);
        if (chip_) gpiod_chip_close(chip_);
    }
    GpiodLine(const GpiodLine&) = delete;
    GpiodLine& operator=(const GpiodLine&) = delete;

    const std::string& Name() const override { return name_; }
    bool Set(bool high) override {
        std::lock_guard lock(mutex_);
        int value = high ? 1 : 0;
        if (!line_ && !Request(value)) return false;
        if (gpiod_line_set_value(line_, value) != 0) {
            spdlog::warn("gpio: line \"{}\" cannot be set {}", name_, high ? "high" : "low");
            return false;
        }
        level_ = value;
        return true;
    }
    int Level() const override { return level_.load(); }

private:
    // Requests the line as an output starting at `value`; reports a failure
    // once, so a board without the line does not fill the log.
    bool Request(int value) {
        if (failed_) return false;
        failed_ = true;
        if (address_.chip.empty()) {
            line_ = gpiod_line_find(address_.lineName.c_str());
            if (line_) chip_ = gpiod_line_get_chip(line_);
        } else if ((chip_ = gpiod_chip_open_lookup(address_.chip.c_str()))) {
            line_ = gpiod_chip_get_line(chip_, address_.offset);
        }
        if (!line_) {
            spdlog::error("gpio: no line \"{}\" on this board; the camera switch is not driven",
                          name_);
            return false;
        }
        if (gpiod_line_request_output(line_, kConsumer, value) != 0) {
            spdlog::error("gpio: line \"{}\" cannot be had as an output (in use?)", name_);
            line_ = nullptr;
            return false;
        }
        failed_ = false;
        return true;
    }

    const std::string name_;
    const GpioLineAddress address_;
    std::mutex mutex_;
    gpiod_chip* chip_ = nullptr;
    gpiod_line* line_ = nullptr;  // owned by chip_
    bool failed_ = false;
    std::atomic<int> level_{-1};
};

// Fails every Set: the configured name cannot name a line.
class BadLine final : public GpioLine {
public:
    explicit BadLine(std::string name) : name_(std::move(name)) {
        spdlog::error("gpio: \"{}\" names no line (chip:offset or a line name)", name_);
    }
    const std::string& Name() const override { return name_; }
    bool Set(bool) override { return false; }
    int Level() const override { return -1; }

private:
    std::string name_;
};

}  // namespace

std::optional<GpioLineAddress> ParseGpioLineName(const std::string& name) {
    if (name.empty()) return std::nullopt;
    size_t colon = name.rfind(':');
    if (colon == std::string::npos) return GpioLineAddress{{}, 0, name};
    std::string chip = name.substr(0, colon), offset = name.substr(colon + 1);
    if (chip.empty() || offset.empty() || offset.size() > 6 ||
        offset.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return GpioLineAddress{chip, unsigned(std::strtoul(offset.c_str(), nullptr, 10)), {}};
}

std::unique_ptr<GpioLine> OpenGpioLine(const std::string& name) {
    if (name.empty()) return std::make_unique<LoggedLine>();
    auto address = ParseGpioLineName(name);
    if (!address) return std::make_unique<BadLine>(name);
    return std::make_unique<GpiodLine>(name, *address);
}

}  // namespace led
