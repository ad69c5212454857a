#pragma once
// A long-lived worker thread of the player: started with its board priority,
// observable (still running or ended), restartable by the supervision timer,
// and joined when the player shuts down.

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace led {

class WorkerThread {
public:
    using Body = std::function<void()>;

    WorkerThread(std::string name, int priority, Body body)
        : name_(std::move(name)), priority_(priority), body_(std::move(body)) {}
    ~WorkerThread() { Join(); }
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    const std::string& Name() const { return name_; }
    void Start();
    // The board's "exit code is still STILL_ACTIVE".
    bool IsRunning() const { return running_.load(); }
    int Starts() const { return starts_.load(); }
    void Join();

private:
    std::string name_;
    int priority_;
    Body body_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<int> starts_{0};
};

}  // namespace led
