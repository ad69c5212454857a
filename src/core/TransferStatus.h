#pragma once
// The transfer status shown on the screen while the PC tool uploads: the
// receiving spinner with the second status icon, the failed and finished
// icons, and the "overtime" text. They sit in the screen's top-left corner in
// a small topmost window of their own, so the program's areas do not hide
// them, and only when net.status-icons is 1.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace led {

class Display;
class Window;

// Resource bitmap numbers of the status icons.
enum StatusIcon : int {
    kIconSpinner0 = 0x83,
    kIconSpinner1 = 0x84,
    kIconSpinner2 = 0x86,
    kIconSpinner3 = 0x87,
    kIconFailed = 0x88,
    kIconFinished = 0x89,
    kIconReceiving = 0x8A,  // the "copying" label
};

class TransferStatus {
public:
    TransferStatus();
    ~TransferStatus();
    TransferStatus(const TransferStatus&) = delete;
    TransferStatus& operator=(const TransferStatus&) = delete;

    // Shows the icons side by side from the corner, replacing what was shown.
    // Nothing happens while `enabled` is false or without a display.
    void ShowIcons(Display* display, bool enabled, const std::vector<int>& icons);
    // The receiving spinner's next step, beside the second status icon.
    void Spin(Display* display, bool enabled);
    void ShowText(Display* display, bool enabled, const std::string& text);
    void Clear();
    // What is shown, for logs and tests: icon numbers, or the text.
    std::string Showing() const;

private:
    mutable std::mutex mutex_;
    std::unique_ptr<Window> window_;
    std::string showing_;
    int spinStep_ = 0;
};

}  // namespace led
