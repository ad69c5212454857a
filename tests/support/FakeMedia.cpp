#include "support/FakeMedia.h"

#include <algorithm>

namespace led::test {

bool FakeMediaGraph::Open(const std::string& name, Window*, const std::function<bool()>&) {
    std::lock_guard lock(mutex_);
    ReleaseLocked();
    calls_.push_back("Open " + name);
    if (std::find(failingNames.begin(), failingNames.end(), name) != failingNames.end())
        return false;
    held_ = true;
    run_ = ++lastRun_;
    name_ = name;
    return true;
}

bool FakeMediaGraph::Run() {
    std::lock_guard lock(mutex_);
    calls_.push_back("Run");
    running_ = held_;
    return held_;
}

bool FakeMediaGraph::ReleaseLocked() {
    if (!held_) return false;
    held_ = running_ = false;
    events_.clear();
    return true;
}

bool FakeMediaGraph::Stop() {
    std::lock_guard lock(mutex_);
    calls_.push_back("Stop");
    return ReleaseLocked();
}

bool FakeMediaGraph::Release() {
    std::lock_guard lock(mutex_);
    calls_.push_back("Release");
    return ReleaseLocked();
}

bool FakeMediaGraph::StopRun(uint64_t run) {
    std::lock_guard lock(mutex_);
    calls_.push_back("StopRun " + std::to_string(run));
    return held_ && run == run_ && ReleaseLocked();
}

uint64_t FakeMediaGraph::RunId() const {
    std::lock_guard lock(mutex_);
    return held_ ? run_ : 0;
}

int64_t FakeMediaGraph::GetDurationSeconds() {
    std::lock_guard lock(mutex_);
    if (!held_) return 0;
    auto it = durations.find(name_);
    return it == durations.end() ? 0 : it->second;
}

bool FakeMediaGraph::SetGraphVolume(int32_t volume) {
    std::lock_guard lock(mutex_);
    calls_.push_back("Volume " + std::to_string(volume));
    if (!held_ || !LinearVolume(volume)) return false;
    volume_ = volume;
    return true;
}

bool FakeMediaGraph::FitVideo(double scale) {
    std::lock_guard lock(mutex_);
    calls_.push_back("FitVideo " + std::to_string(int(scale)));
    return held_ && scale <= 1.0;
}

bool FakeMediaGraph::SetWindowRect(Window*, const EdgeRect& r) {
    std::lock_guard lock(mutex_);
    calls_.push_back("WindowRect " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                     std::to_string(r.right) + "," + std::to_string(r.bottom));
    if (!held_) return false;
    dest_ = Rect::FromInclusive(r.left, r.top, r.right, r.bottom);
    return true;
}

std::optional<GraphEvent> FakeMediaGraph::TakeEvent() {
    std::optional<GraphEvent> event;
    {
        std::lock_guard lock(mutex_);
        if (events_.empty()) return std::nullopt;
        event = events_.front();
        events_.pop_front();
    }
    if (afterTakeEvent) afterTakeEvent();
    return event;
}

bool FakeMediaGraph::IsHeld() const {
    std::lock_guard lock(mutex_);
    return held_;
}

Rect FakeMediaGraph::DestRect() const {
    std::lock_guard lock(mutex_);
    return dest_;
}

void FakeMediaGraph::PostEvent(int code) {
    std::lock_guard lock(mutex_);
    if (held_) events_.push_back({code, {}, run_});
}

std::vector<std::string> FakeMediaGraph::Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

bool FakeMediaGraph::Running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

std::string FakeMediaGraph::OpenName() const {
    std::lock_guard lock(mutex_);
    return held_ ? name_ : std::string();
}

int32_t FakeMediaGraph::Volume() const {
    std::lock_guard lock(mutex_);
    return volume_;
}

bool FakeCameraPreview::Start(const Rect& rect, Window*, int width, int height) {
    std::lock_guard lock(mutex_);
    calls_.push_back("Start " + std::to_string(width) + "x" + std::to_string(height) + " at " +
                     std::to_string(rect.x) + "," + std::to_string(rect.y) + " " +
                     std::to_string(rect.width) + "x" + std::to_string(rect.height));
    running_ = !failStart;
    return running_;
}

void FakeCameraPreview::Stop() {
    std::lock_guard lock(mutex_);
    calls_.push_back("Stop");
    running_ = false;
}

bool FakeCameraPreview::IsRunning() const {
    std::lock_guard lock(mutex_);
    return running_;
}

std::vector<std::string> FakeCameraPreview::Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

}  // namespace led::test
