#pragma once
// Where the composed raster goes. A backend is a few operations, chosen at
// start-up; the compositor knows nothing else about the output device.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/display/Surface.h"

namespace led {

// Keys the main window understands, already mapped from the device's codes.
using KeyHandler = std::function<void(int keyCode)>;

class DisplayBackend {
public:
    virtual ~DisplayBackend() = default;
    virtual const char* Name() const = 0;
    // Called on the compositor thread before anything else.
    virtual bool Open(Size raster) = 0;
    // Shows the damaged rectangles of the raster.
    virtual void Present(const Surface& raster, const std::vector<Rect>& damage) = 0;
    // Shows only this part of the raster from now on (a preview of a small
    // screen), enlarged to what the output device holds; the whole raster
    // when empty. Called on the compositor thread, followed by a Present of
    // the whole raster.
    virtual void ShowOnly(const Rect& source) {}
    // False when nothing shows the raster between reads of it (no output
    // device): the compositor then composes only when the raster is read,
    // instead of copying every video frame into a raster nobody looks at.
    virtual bool ShowsEveryFrame() const { return true; }
    // How often the compositor must call PumpInput, in real milliseconds; 0 = never.
    virtual int InputPollMs() const { return 0; }
    virtual void PumpInput(const KeyHandler& onKey) {}
};

std::unique_ptr<DisplayBackend> MakeHeadlessBackend();
// None when SDL cannot be initialised.
std::unique_ptr<DisplayBackend> MakeSdlBackend();
// "auto" picks sdl when a display server is reachable, else headless.
std::unique_ptr<DisplayBackend> MakeBackend(const std::string& name, std::string& error);

}  // namespace led
