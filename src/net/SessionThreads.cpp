#include "net/SessionThreads.h"

namespace led {

void SessionThreads::Start(std::function<void()> body) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    entries_.push_back({std::thread([body = std::move(body), done] {
                            body();
                            *done = true;
                        }),
                        done});
}

int SessionThreads::Reap() {
    int running = 0;
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (*it->done) {
            it->thread.join();
            it = entries_.erase(it);
        } else {
            ++running;
            ++it;
        }
    }
    return running;
}

void SessionThreads::JoinAll() {
    for (auto& e : entries_) e.thread.join();
    entries_.clear();
}

}  // namespace led
