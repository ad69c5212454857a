#include <SDL2/SDL.h>

#include <algorithm>

#include "platform/display/Backend.h"
#include "platform/display/Preview.h"

namespace led {
namespace {

// An SDL2 window (X11/Wayland) or the whole screen (KMS/DRM without a
// desktop). Only damaged rectangles are uploaded to the streaming texture.
class SdlBackend final : public DisplayBackend {
public:
    ~SdlBackend() override {
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (window_) SDL_DestroyWindow(window_);
        if (initialised_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    const char* Name() const override { return "sdl"; }

    bool Open(Size raster) override {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
        initialised_ = true;
        raster_ = raster;
        // Enlarged previews keep LED pixels sharp squares.
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
        Uint32 flags = 0;
        if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
            flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        window_ = SDL_CreateWindow("J7 Application", SDL_WINDOWPOS_UNDEFINED,
                                   SDL_WINDOWPOS_UNDEFINED, raster.width, raster.height, flags);
        if (!window_) return false;
        renderer_ = SDL_CreateRenderer(window_, -1, 0);
        if (!renderer_) return false;
        SDL_RenderSetLogicalSize(renderer_, raster.width, raster.height);
        source_ = {0, 0, raster.width, raster.height};
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                     raster.width, raster.height);
        SDL_ShowCursor(SDL_DISABLE);
        return texture_ != nullptr;
    }

    void ShowOnly(const Rect& source) override {
        PreviewView view = source.IsEmpty() ? PreviewView{{0, 0, raster_.width, raster_.height}, 1}
                                            : FitPreview(raster_, source, DesktopSize());
        source_ = {view.source.x, view.source.y, view.source.width, view.source.height};
        // A desktop window takes the enlarged size; a full-screen output keeps
        // its size and the renderer centres the whole-factor picture.
        if (!(SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP))
            SDL_SetWindowSize(window_, view.Shown().width, view.Shown().height);
        SDL_RenderSetLogicalSize(renderer_, source_.w, source_.h);
        SDL_RenderSetIntegerScale(renderer_, source.IsEmpty() ? SDL_FALSE : SDL_TRUE);
    }

    void Present(const Surface& raster, const std::vector<Rect>& damage) override {
        for (const Rect& r : damage) {
            SDL_Rect sr{r.x, r.y, r.width, r.height};
            SDL_UpdateTexture(texture_, &sr, raster.Row(r.y) + r.x, raster.StrideBytes());
        }
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, &source_, nullptr);
        SDL_RenderPresent(renderer_);
    }

    int InputPollMs() const override { return 50; }

    void PumpInput(const KeyHandler& onKey) override {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (e.type == SDL_KEYDOWN) {
                // The main window's key codes: Page Down = 2 (next program),
                // Page Up = 4 (previous), '+' = 37, '-' = 62 (volume).
                switch (e.key.keysym.sym) {
                case SDLK_PAGEDOWN: onKey(2); break;
                case SDLK_PAGEUP: onKey(4); break;
                case SDLK_PLUS:
                case SDLK_KP_PLUS:
                case SDLK_EQUALS: onKey(37); break;
                case SDLK_MINUS:
                case SDLK_KP_MINUS: onKey(62); break;
                default: break;
                }
            } else if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_EXPOSED) {
                SDL_RenderPresent(renderer_);
            }
        }
    }

private:
    // The usable part of the desktop (without panels), or the whole screen.
    Size DesktopSize() const {
        SDL_Rect usable{};
        int display = std::max(0, SDL_GetWindowDisplayIndex(window_));
        if (SDL_GetDisplayUsableBounds(display, &usable) == 0 && usable.w > 0 && usable.h > 0)
            return {usable.w, usable.h};
        SDL_DisplayMode mode{};
        if (SDL_GetDesktopDisplayMode(display, &mode) == 0) return {mode.w, mode.h};
        return raster_;
    }

    bool initialised_ = false;
    Size raster_;
    SDL_Rect source_{};
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
};

}  // namespace

std::unique_ptr<DisplayBackend> MakeSdlBackend() { return std::make_unique<SdlBackend>(); }

}  // namespace led
