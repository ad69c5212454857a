#include "platform/messages/MessageQueue.h"

#include <limits>

#include "platform/clock/Clock.h"

namespace led {

void MessageQueue::Post(const Message& message) {
    std::lock_guard lock(mutex_);
    if (quit_) return;
    posted_.push_back({message, false});
    queue_.push_back(&posted_.back());
    wake_.notify_one();
}

int64_t MessageQueue::Send(const Message& message) {
    std::unique_lock lock(mutex_);
    if (running_ && std::this_thread::get_id() == loopThread_) {
        Handler handler = handler_;
        lock.unlock();
        return handler(message);
    }
    if (quit_) return 0;
    Pending pending{message, true};
    queue_.push_back(&pending);
    wake_.notify_one();
    handled_.wait(lock, [&] { return pending.done; });
    return pending.result;
}

void MessageQueue::SetTimer(uint32_t id, int64_t periodMs) {
    std::lock_guard lock(mutex_);
    if (periodMs < 1) periodMs = 1;
    timers_[id] = {periodMs, clock_.Ticks() + periodMs};
    wake_.notify_one();
}

void MessageQueue::KillTimer(uint32_t id) {
    std::lock_guard lock(mutex_);
    timers_.erase(id);
}

void MessageQueue::Quit(int exitCode) {
    std::lock_guard lock(mutex_);
    if (quit_) return;
    quit_ = true;
    exitCode_ = exitCode;
    wake_.notify_all();
}

int MessageQueue::Run(const Handler& handler) {
    std::unique_lock lock(mutex_);
    running_ = true;
    loopThread_ = std::this_thread::get_id();
    handler_ = handler;
    while (!quit_) {
        if (!queue_.empty()) {
            Pending* p = queue_.front();
            queue_.pop_front();
            Message m = p->message;
            lock.unlock();
            int64_t result = handler(m);
            lock.lock();
            if (p->synchronous) {
                p->result = result;
                p->done = true;
                handled_.notify_all();
            } else {
                // Posted entries are handled in order, so this is the oldest one.
                posted_.pop_front();
            }
            continue;
        }
        int64_t now = clock_.Ticks();
        int64_t nextDue = std::numeric_limits<int64_t>::max();
        for (auto& [id, timer] : timers_) {
            if (timer.due <= now) {
                timer.due = now + timer.period;
                posted_.push_back({Message{msg::kTimer, id, 0}, false});
                queue_.push_back(&posted_.back());
            }
            nextDue = std::min(nextDue, timer.due);
        }
        if (!queue_.empty()) continue;
        if (nextDue == std::numeric_limits<int64_t>::max())
            wake_.wait(lock);
        else
            wake_.wait_until(lock, clock_.RealDeadline(nextDue));
    }
    running_ = false;
    // Release every sender still waiting: the loop is gone.
    for (Pending* p : queue_) {
        if (p->synchronous) {
            p->done = true;
        }
    }
    queue_.clear();
    posted_.clear();
    handled_.notify_all();
    return exitCode_;
}

}  // namespace led
