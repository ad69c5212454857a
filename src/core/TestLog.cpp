#include "core/TestLog.h"

#include <cstdio>

#include "platform/clock/Clock.h"
#include "platform/fs/DeviceFs.h"

namespace led {

std::string FormatTestLogEntry(const std::string& text, const LocalTime& now) {
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, " at:%d-%d-%d %d:%d:%d \r\n", now.year, now.month, now.day,
                  now.hour, now.minute, now.second);
    return text + stamp;
}

bool TestLog::Append(const std::string& boardPath, const std::string& text,
                     const LocalTime& now) const {
    if (!enabled_) return false;
    std::string entry = FormatTestLogEntry(text, now);
    return fs_.AppendFile(boardPath, entry.data(), entry.size());
}

}  // namespace led
