#pragma once
// The threads of the open control sessions: started by the accept loop,
// reaped as they end, and all joined before the loop returns, so no session
// outlives the player it uses.

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <thread>

namespace led {

class SessionThreads {
public:
    ~SessionThreads() { JoinAll(); }
    void Start(std::function<void()> body);
    // Joins the sessions that have ended; returns how many still run.
    int Reap();
    void JoinAll();

private:
    struct Entry {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::list<Entry> entries_;
};

}  // namespace led
