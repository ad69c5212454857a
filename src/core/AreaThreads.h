#pragma once
// Area threads are detached: a stop may give up on one after 30 s and the next
// program starts regardless. This counts the live ones so that the player can
// wait for them before it goes away.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace led {

class AreaThreads {
public:
    void Started() {
        std::lock_guard lock(mutex_);
        ++live_;
    }
    void Ended() {
        std::lock_guard lock(mutex_);
        --live_;
        ended_.notify_all();
    }
    int Live() {
        std::lock_guard lock(mutex_);
        return live_;
    }
    // True when every area thread ended within the (real) time given.
    bool WaitAllEnded(std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        return ended_.wait_for(lock, limit, [this] { return live_ == 0; });
    }

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    int live_ = 0;
};

}  // namespace led
