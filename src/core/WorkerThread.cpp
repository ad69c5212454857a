#include "core/WorkerThread.h"

#include <spdlog/spdlog.h>

#include "platform/system/Threads.h"

namespace led {

void WorkerThread::Start() {
    std::lock_guard lock(mutex_);
    if (joined_) return;
    if (thread_.joinable()) thread_.join();  // an ended thread: reap it first
    running_ = true;
    starts_.fetch_add(1);
    thread_ = std::thread([this] {
        SetCurrentThreadName(name_.c_str());
        SetCurrentThreadPriority(priority_);
        try {
            body_();
        } catch (const std::exception& e) {
            // Nothing crosses a thread boundary; the supervision restarts it.
            spdlog::error("thread {} ended by an error: {}", name_, e.what());
        }
        running_ = false;
    });
}

void WorkerThread::Join() {
    std::lock_guard lock(mutex_);
    joined_ = true;
    if (thread_.joinable()) thread_.join();
}

}  // namespace led
