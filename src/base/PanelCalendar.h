#pragma once
// The one date type, and the panel's calendar.
//
// LocalTime is a wall-clock date and time to the second: the computer's local
// time, the panel's clock (set from it, so also local time), the time of a
// record. The panel counts seconds since 2000-01-01 00:00:00 and takes every
// fourth year from 2000 on as a leap year, also 2100; four years are always
// 1461 days. The computer's calendar (base/CivilCalendar.h) is not used for
// the panel's count.

#include <cstdint>
#include <ctime>

namespace mr420 {

struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const LocalTime&) const = default;
};

LocalTime localTimeOf(std::time_t t);
LocalTime localTimeNow();

// The C library's fields of `t`: the day of week and of year when `t` is a
// date of the computer's calendar (else 0), daylight saving not known (-1).
std::tm tmOf(const LocalTime& t);

constexpr bool isPanelLeapYear(int year) { return year % 4 == 0; }

// month 1..12, as the panel counts
constexpr int panelDaysInMonth(int year, int month) {
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isPanelLeapYear(year) ? 29 : kDays[month - 1];
}

// The date and time of `seconds` (not negative) since 2000-01-01 00:00:00.
// 0xFFFFFFFF is 2136-02-06 06:28:15.
LocalTime panelTimeOf(std::int64_t seconds);

// The panel's count of seconds for `t` (month 1..12), unbounded: negative
// before 2000, above 0xFFFFFFFF after the panel's 32-bit count.
std::int64_t panelSecondsOf(const LocalTime& t);

// The same count held to the panel's 32 bits: 0 before 2000, 0xFFFFFFFF
// after. 2001-03-01 00:00:00 gives 36 720 000.
std::uint32_t panelSecondsSince2000(const LocalTime& t);

}  // namespace mr420
