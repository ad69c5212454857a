#include "core/TransferStatus.h"

#include "core/ResourceBitmaps.h"
#include "platform/display/Canvas.h"
#include "platform/display/Display.h"
#include "platform/text/Fonts.h"

namespace led {
namespace {

constexpr int kIconHeight = 16;
constexpr int kSpinner[] = {kIconSpinner0, kIconSpinner1, kIconSpinner2, kIconSpinner3};

}  // namespace

TransferStatus::TransferStatus() = default;
TransferStatus::~TransferStatus() = default;

void TransferStatus::ShowIcons(Display* display, bool enabled, const std::vector<int>& icons) {
    if (!enabled || !display || icons.empty()) return;
    int width = 0;
    for (int icon : icons)
        if (const Surface* bitmap = ResourceBitmap(icon)) width += bitmap->Width();
    std::lock_guard lock(mutex_);
    window_.reset();
    showing_.clear();
    if (width == 0) return;
    window_ = display->CreateWindow("status", {0, 0, width, kIconHeight}, true);
    if (!window_) return;
    {
        auto painter = window_->Paint();
        painter->FillAll(kBlack);
        int x = 0;
        for (size_t i = 0; i < icons.size(); ++i) {
            if (const Surface* bitmap = ResourceBitmap(icons[i])) {
                painter->Copy(*bitmap, {x, 0});
                x += bitmap->Width();
            }
            showing_ += (i ? " " : "") + std::to_string(icons[i]);
        }
    }
    window_->Show(true);
}

void TransferStatus::Spin(Display* display, bool enabled) {
    int step;
    {
        std::lock_guard lock(mutex_);
        step = spinStep_;
        spinStep_ = (spinStep_ + 1) % 4;
    }
    ShowIcons(display, enabled, {kSpinner[step], kIconReceiving});
}

void TransferStatus::ShowText(Display* display, bool enabled, const std::string& text) {
    if (!enabled || !display) return;
    FontRequest request;
    request.height = -24;
    request.weight = 700;
    const Font font = Fonts::MakeFont(request);
    const Size size = Canvas::MeasureText(font, text);
    std::lock_guard lock(mutex_);
    window_.reset();
    window_ = display->CreateWindow("status", {0, 0, size.width + 8, size.height + 4}, true);
    if (!window_) return;
    {
        auto painter = window_->Paint();
        painter->FillAll(kBlack);
        painter->DrawText(font, text, {4, 2, size.width, size.height},
                          Colour::FromRgb(255, 255, 255));
    }
    window_->Show(true);
    showing_ = text;
}

void TransferStatus::Clear() {
    std::lock_guard lock(mutex_);
    window_.reset();
    showing_.clear();
    spinStep_ = 0;
}

std::string TransferStatus::Showing() const {
    std::lock_guard lock(mutex_);
    return showing_;
}

}  // namespace led
