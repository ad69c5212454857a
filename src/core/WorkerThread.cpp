#include "core/WorkerThread.h"

#include <spdlog/spdlog.h>

#include <system_error>

#include "platform/system/Threads.h"

namespace led {

void WorkerThread::StartWith(Body body) {
    std::lock_guard lock(mutex_);
    if (joined_) return;
    // The run before, ended or still ending, is handed to the new run, which
    // reaps it before its body starts: a launcher never waits here for an
    // old body to notice that it was replaced.
    auto previous = std::make_shared<std::thread>(std::move(thread_));
    auto running = std::make_shared<std::atomic<bool>>(true);
    try {
        thread_ = std::thread([this, body = std::move(body), previous, running] {
            if (previous->joinable()) previous->join();
            SetCurrentThreadName(name_.c_str());
            SetCurrentThreadPriority(priority_);
            try {
                body();
            } catch (const std::exception& e) {
                // Nothing crosses a thread boundary; the supervision restarts it.
                spdlog::error("thread {} ended by an error: {}", name_, e.what());
            }
            *running = false;
        });
    } catch (const std::system_error& e) {
        thread_ = std::move(*previous);  // still ours to join
        spdlog::error("thread {} cannot start: {}", name_, e.what());
        return;
    }
    running_ = running;
    starts_.fetch_add(1);
}

bool WorkerThread::IsRunning() const {
    std::lock_guard lock(mutex_);
    return running_ && running_->load();
}

void WorkerThread::Join() {
    std::thread last;
    {
        std::lock_guard lock(mutex_);
        joined_ = true;
        last = std::move(thread_);
    }
    // Outside the lock, so that nobody waits on it for a body to end. The
    // latest run reaps the runs before it.
    if (last.joinable()) last.join();
}

}  // namespace led
