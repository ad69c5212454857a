#pragma once
// A long-lived worker thread of the player: started with its board priority,
// observable (still running or ended), restartable by the supervision timer
// and by program starts (the remote window), and joined when the player shuts
// down. Start and Join may race (a launcher restarting the remote window while
// the player shuts down): both take the lock, and after Join the thread is
// never started again.

#include <atomic>
#include <functional>
#include <mutex>
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
    // Reaps an ended run first; does nothing once joined.
    void Start();
    // The board's "exit code is still STILL_ACTIVE".
    bool IsRunning() const { return running_.load(); }
    int Starts() const { return starts_.load(); }
    // Final: waits for the running body to end and refuses later starts.
    void Join();

private:
    std::string name_;
    int priority_;
    Body body_;
    std::mutex mutex_;  // guards thread_ and joined_
    std::thread thread_;
    bool joined_ = false;
    std::atomic<bool> running_{false};
    std::atomic<int> starts_{0};
};

}  // namespace led
