#pragma once
// A long-lived worker thread of the player: started with its board priority,
// observable (still running or ended), restartable by the supervision timer
// and by program starts (the remote window), and joined when the player shuts
// down. Start and Join may race (a launcher restarting the remote window while
// the player shuts down): both take the lock, and after Join the thread is
// never started again. Nobody waits for a running body under the lock: a new
// run reaps the run before it, so a restart returns at once.

#include <atomic>
#include <functional>
#include <memory>
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
    // Starts a new run of the body; does nothing once joined. A run still
    // going is not waited for here: the new run waits for it to end before
    // its body starts, so the old body must notice that it was replaced.
    void Start() { StartWith(body_); }
    // The same with another body for this run (the remote window is given
    // the generation it belongs to).
    void StartWith(Body body);
    // The board's "exit code is still STILL_ACTIVE", for the latest run.
    bool IsRunning() const;
    int Starts() const { return starts_.load(); }
    // Final: waits for the running body to end and refuses later starts.
    void Join();

private:
    std::string name_;
    int priority_;
    Body body_;
    mutable std::mutex mutex_;  // guards thread_, joined_ and running_
    std::thread thread_;        // the latest run; it joins the one before
    bool joined_ = false;
    std::shared_ptr<std::atomic<bool>> running_;  // the latest run's
    std::atomic<int> starts_{0};
};

}  // namespace led
