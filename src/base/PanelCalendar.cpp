#include "base/PanelCalendar.h"

#include <algorithm>
#include <chrono>

namespace mr420 {

namespace {
constexpr std::int64_t kDay = 86400;
constexpr int kCycleDays = 1461;   // four years, the first a leap year
}  // namespace

LocalTime localTimeOf(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

LocalTime localTimeNow() { return localTimeOf(std::time(nullptr)); }

std::tm tmOf(const LocalTime& t) {
    using namespace std::chrono;
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    const year_month_day date{year{t.year}, month{static_cast<unsigned>(t.month)}, day{static_cast<unsigned>(t.day)}};
    if (date.ok()) {
        const sys_days days{date};
        tm.tm_wday = static_cast<int>(weekday{days}.c_encoding());
        tm.tm_yday = static_cast<int>((days - sys_days{date.year() / January / 1}).count());
    }
    return tm;
}

LocalTime panelTimeOf(std::int64_t seconds) {
    const std::int64_t days = seconds / kDay;
    const auto secondOfDay = static_cast<int>(seconds % kDay);
    LocalTime t;
    t.hour = secondOfDay / 3600;
    t.minute = secondOfDay / 60 % 60;
    t.second = secondOfDay % 60;
    int dayOfCycle = static_cast<int>(days % kCycleDays);
    t.year = 2000 + static_cast<int>(days / kCycleDays) * 4;
    if (dayOfCycle >= 366) {
        dayOfCycle -= 366;
        t.year += 1 + dayOfCycle / 365;
        dayOfCycle %= 365;
    }
    t.month = 1;
    for (int length; dayOfCycle >= (length = panelDaysInMonth(t.year, t.month)); ++t.month) dayOfCycle -= length;
    t.day = dayOfCycle + 1;
    return t;
}

std::int64_t panelSecondsOf(const LocalTime& t) {
    std::int64_t days = std::int64_t{t.year - 2000} * 365 + (t.year - 1997) / 4;
    for (int m = 1; m < t.month && m <= 12; ++m) days += panelDaysInMonth(t.year, m);
    days += t.day - 1;
    return days * kDay + std::int64_t{t.hour} * 3600 + t.minute * 60 + t.second;
}

std::uint32_t panelSecondsSince2000(const LocalTime& t) {
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(panelSecondsOf(t), 0, UINT32_MAX));
}

}  // namespace mr420
