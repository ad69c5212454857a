#include "platform/events/EventLog.h"

#include "platform/clock/Clock.h"

namespace led {

EventLog::~EventLog() {
    if (file_) std::fclose(file_);
}

bool EventLog::Open(const std::string& path) {
    std::lock_guard lock(mutex_);
    if (file_) std::fclose(file_);
    file_ = std::fopen(path.c_str(), "w");
    return file_ != nullptr;
}

void EventLog::Emit(const std::string& event, const Fields& fields) {
    if (!file_) return;
    Fields line = Fields::object();
    line["event"] = event;
    for (const auto& [key, value] : fields.items()) line[key] = value;
    line["time"] = clock_.Now().FormatWithMillis();
    // Invalid UTF-8 from files or the wire must not lose the event.
    std::string text = line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    std::lock_guard lock(mutex_);
    if (!file_) return;
    std::fputs(text.c_str(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);  // readers tail the file while the player runs
}

}  // namespace led
