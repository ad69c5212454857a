#pragma once
// The main window's message queue: Post (returns at once), Send (blocks until
// the loop has handled the message and returns its result), periodic timers on
// the player's clock, and Quit. The loop thread sleeps while nothing is due.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace led {

class Clock;

struct Message {
    uint32_t code = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
};

// The window message numbers the player uses.
namespace msg {
inline constexpr uint32_t kCreate = 0x0001;
inline constexpr uint32_t kDestroy = 0x0002;
inline constexpr uint32_t kKeyDown = 0x0100;
inline constexpr uint32_t kTimer = 0x0113;
inline constexpr uint32_t kDeviceChange = 0x0219;
inline constexpr uint32_t kUser = 0x0400;
}  // namespace msg

class MessageQueue {
public:
    using Handler = std::function<int64_t(const Message&)>;

    explicit MessageQueue(const Clock& clock) : clock_(clock) {}

    void Post(const Message& message);
    // From the loop thread itself the handler runs inline; from other threads
    // the caller waits. Returns 0 when the loop has ended.
    int64_t Send(const Message& message);
    void SetTimer(uint32_t id, int64_t periodMs);
    void KillTimer(uint32_t id);
    void Quit(int exitCode);

    // Runs on the calling thread until Quit; returns the exit code.
    int Run(const Handler& handler);

private:
    struct Pending {
        Message message;
        bool synchronous = false;
        int64_t result = 0;
        bool done = false;
    };
    struct Timer {
        int64_t period = 0;
        int64_t due = 0;
    };

    const Clock& clock_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable handled_;
    std::deque<Pending*> queue_;
    std::deque<Pending> posted_;  // storage for posted messages
    std::map<uint32_t, Timer> timers_;
    bool running_ = false;
    bool quit_ = false;
    int exitCode_ = 0;
    std::thread::id loopThread_;
    Handler handler_;
};

}  // namespace led
