#include "platform/text/LocaleNames.h"

#include <langinfo.h>
#include <locale.h>

namespace led {

const LocaleNames& LocaleNames::C() {
    static const LocaleNames names{
        {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
        {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
        {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
        {"January", "February", "March", "April", "May", "June", "July", "August", "September",
         "October", "November", "December"},
        "AM",
        "PM"};
    return names;
}

std::optional<LocaleNames> LocaleNames::Load(const std::string& locale) {
    if (locale.empty() || locale == "C" || locale == "POSIX") return C();
    locale_t loc = newlocale(LC_TIME_MASK, locale.c_str(), locale_t(0));
    if (loc == locale_t(0)) return std::nullopt;
    LocaleNames names;
    for (int d = 0; d < 7; ++d) {
        names.weekdayShort[d] = nl_langinfo_l(nl_item(ABDAY_1 + d), loc);
        names.weekdayLong[d] = nl_langinfo_l(nl_item(DAY_1 + d), loc);
    }
    for (int m = 0; m < 12; ++m) {
        names.monthShort[m] = nl_langinfo_l(nl_item(ABMON_1 + m), loc);
        names.monthLong[m] = nl_langinfo_l(nl_item(MON_1 + m), loc);
    }
    names.am = nl_langinfo_l(AM_STR, loc);
    names.pm = nl_langinfo_l(PM_STR, loc);
    freelocale(loc);
    return names;
}

}  // namespace led
