#pragma once
// The --events log: one JSON object per line, {"event": ..., fields..., "time":
// "YYYY-MM-DD HH:MM:SS.mmm"} with the time taken from the player's clock.
// Proof of play and the trace that system tests read.

#include <cstdio>
#include <mutex>
#include <string>

#include <nlohmann/json.hpp>

namespace led {

class Clock;

class EventLog {
public:
    using Fields = nlohmann::ordered_json;

    explicit EventLog(const Clock& clock) : clock_(clock) {}
    ~EventLog();
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    bool Open(const std::string& path);  // truncates
    bool Enabled() const { return file_ != nullptr; }
    void Emit(const std::string& event, const Fields& fields = Fields::object());

private:
    const Clock& clock_;
    std::mutex mutex_;
    std::FILE* file_ = nullptr;
};

}  // namespace led
