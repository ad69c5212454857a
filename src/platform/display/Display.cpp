#include "platform/display/Display.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace led {

// ---- Window ----

Window::Window(Display& display, std::string name, const Rect& frame, bool topmost)
    : display_(display),
      name_(std::move(name)),
      topmost_(topmost),
      frame_(frame),
      surface_(frame.width, frame.height) {}

Window::~Window() { display_.Remove(this); }

Rect Window::Frame() const {
    std::lock_guard lock(mutex_);
    return frame_;
}

void Window::Show(bool visible) {
    if (visible_.exchange(visible) != visible) display_.Damage(Frame());
}

void Window::Move(const Rect& frame) {
    Rect old;
    {
        std::lock_guard lock(mutex_);
        old = frame_;
        if (frame.width != surface_.Width() || frame.height != surface_.Height()) {
            Surface resized(frame.width, frame.height);
            Canvas(resized).Copy(surface_, {0, 0});
            surface_ = std::move(resized);
        }
        frame_ = frame;
    }
    display_.Damage(old);
    display_.Damage(frame);
}

Surface Window::Capture() const {
    std::lock_guard lock(mutex_);
    return surface_.Clone();
}

Window::Painter::Painter(Window& window)
    : window_(window), lock_(window.mutex_), canvas_(window.surface_) {}

Window::Painter::~Painter() {
    Rect damage = canvas_.Damage().Translated(window_.frame_.x, window_.frame_.y);
    lock_.unlock();  // never hold a window while taking the display's lock
    if (!damage.IsEmpty() && window_.IsVisible()) window_.display_.Damage(damage);
}

// ---- Display ----

Display::Display(std::unique_ptr<DisplayBackend> backend, Size raster)
    : backend_(std::move(backend)), raster_(raster.width, raster.height) {}

Display::~Display() { Stop(); }

bool Display::Start(KeyHandler onKey) {
    std::promise<bool> opened;
    auto result = opened.get_future();
    thread_ = std::thread([this, onKey, &opened] { CompositorLoop(onKey, &opened); });
    bool ok = result.get();
    if (!ok) thread_.join();
    return ok;
}

void Display::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        wake_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
}

std::unique_ptr<Window> Display::CreateWindow(const std::string& name, const Rect& frame,
                                              bool topmost) {
    std::unique_ptr<Window> window(new Window(*this, name, frame, topmost));
    {
        std::lock_guard lock(mutex_);
        if (topmost) {
            windows_.push_back(window.get());
        } else {
            // Below every topmost window, above the other plain ones.
            auto it = std::find_if(windows_.begin(), windows_.end(),
                                   [](Window* w) { return w->topmost_; });
            windows_.insert(it, window.get());
        }
    }
    Damage(frame);
    return window;
}

void Display::Remove(Window* window) {
    Rect frame = window->Frame();
    {
        std::lock_guard lock(mutex_);
        windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
    }
    Damage(frame);
}

namespace {

// Adds a rectangle to a damage list, keeping the list short: merged into an
// overlapping rectangle when possible, everything united past 16.
void AddDamage(std::vector<Rect>& list, const Rect& r) {
    for (Rect& d : list) {
        if (!d.Intersected(r).IsEmpty() || d.United(r) == d) {
            d = d.United(r);
            return;
        }
    }
    if (list.size() >= 16) {
        Rect all = r;
        for (const Rect& d : list) all = all.United(d);
        list.assign(1, all);
    } else {
        list.push_back(r);
    }
}

}  // namespace

void Display::Damage(const Rect& rect) {
    Rect r = rect.Intersected(raster_.Bounds());
    if (r.IsEmpty()) return;
    std::lock_guard lock(mutex_);
    AddDamage(damage_, r);
    WakeCompositor();
}

void Display::WakeCompositor() {
    // A backend that shows nothing between reads is composed by the reader;
    // waking the compositor for every video frame would be wasted.
    if (backend_->ShowsEveryFrame()) wake_.notify_one();
}

Window* Display::FullScreenWindowLocked() {
    auto top =
        std::find_if(windows_.rbegin(), windows_.rend(), [](Window* w) { return w->IsVisible(); });
    if (top == windows_.rend()) return nullptr;
    Window* w = *top;
    std::lock_guard wlock(w->mutex_);
    return w->frame_ == raster_.Bounds() && w->surface_.GetSize() == raster_.GetSize() ? w
                                                                                       : nullptr;
}

void Display::ComposeLocked(bool intoRaster) {
    if (!intoRaster) {
        if (damage_.empty()) return;
        // One window over the whole output (a full-screen video): the backend
        // shows its surface as it is, and the raster catches up when read.
        if (Window* full = FullScreenWindowLocked()) {
            std::lock_guard wlock(full->mutex_);
            backend_->Present(full->surface_, damage_);
            for (const Rect& d : damage_) AddDamage(rasterBehind_, d);
            damage_.clear();
            composeCount_.fetch_add(1);
            return;
        }
    }
    for (const Rect& d : rasterBehind_) AddDamage(damage_, d);
    rasterBehind_.clear();
    if (damage_.empty()) return;
    for (const Rect& d : damage_) {
        // Uncovered raster is black; skip the fill when a window covers it all.
        bool covered = std::any_of(windows_.begin(), windows_.end(), [&](Window* w) {
            return w->IsVisible() && w->frame_.Intersected(d) == d;
        });
        if (!covered)
            for (int y = d.y; y < d.Bottom(); ++y) std::fill_n(raster_.Row(y) + d.x, d.width, 0u);
        for (Window* w : windows_) {
            if (!w->IsVisible()) continue;
            std::lock_guard wlock(w->mutex_);
            Rect part = w->frame_.Intersected(d);
            if (part.IsEmpty()) continue;
            int sx = part.x - w->frame_.x, sy = part.y - w->frame_.y;
            for (int row = 0; row < part.height; ++row)
                std::memcpy(raster_.Row(part.y + row) + part.x, w->surface_.Row(sy + row) + sx,
                            size_t(part.width) * 4);
            copiedPixels_.fetch_add(uint64_t(part.width) * part.height);
        }
    }
    backend_->Present(raster_, damage_);
    damage_.clear();
    composeCount_.fetch_add(1);
}

void Display::ComposeNow() {
    std::lock_guard lock(mutex_);
    ComposeLocked(false);
}

Surface Display::CaptureRaster() {
    std::lock_guard lock(mutex_);
    ComposeLocked(true);
    return raster_.Clone();
}

void Display::ShowOnly(const Rect& source) {
    std::lock_guard lock(mutex_);
    Rect clipped = source.Intersected(raster_.Bounds());
    if (clipped == shown_) return;
    shown_ = clipped;
    shownChanged_ = true;
    AddDamage(damage_, raster_.Bounds());
    WakeCompositor();
}

Rect Display::Shown() {
    std::lock_guard lock(mutex_);
    return shown_;
}

void Display::CompositorLoop(KeyHandler onKey, std::promise<bool>* opened) {
    bool ok = backend_->Open(raster_.GetSize());
    opened->set_value(ok);
    if (!ok) return;
    const int pollMs = backend_->InputPollMs();
    const bool composeOnDamage = backend_->ShowsEveryFrame();
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (pollMs > 0)
            wake_.wait_for(lock, std::chrono::milliseconds(pollMs));
        else
            wake_.wait(lock, [&] { return stopping_ || (composeOnDamage && !damage_.empty()); });
        if (stopping_) break;
        if (shownChanged_) {
            backend_->ShowOnly(shown_);
            shownChanged_ = false;
        }
        if (composeOnDamage) ComposeLocked(false);
        if (pollMs > 0 && onKey) {
            lock.unlock();
            backend_->PumpInput(onKey);
            lock.lock();
        }
    }
}

}  // namespace led
