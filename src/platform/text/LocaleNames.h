#pragma once
// Weekday and month names and the AM/PM indicator of a locale, as the
// platform's time formatting prints them. The C locale's are built in.

#include <array>
#include <optional>
#include <string>

namespace led {

struct LocaleNames {
    std::array<std::string, 7> weekdayShort, weekdayLong;  // Sunday first
    std::array<std::string, 12> monthShort, monthLong;
    std::string am, pm;

    static const LocaleNames& C();
    // An installed locale's names (UTF-8 locales give UTF-8); none when the
    // locale is not installed. An empty name or "C" / "POSIX" gives C().
    static std::optional<LocaleNames> Load(const std::string& locale);
};

}  // namespace led
