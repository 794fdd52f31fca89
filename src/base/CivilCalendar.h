#pragma once
// The Gregorian calendar of the computer's clock (2100 is no leap year). The
// panel's own count of days keeps its own rule and does not use this.

namespace mr420 {

constexpr bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// month 1..12
constexpr int daysInMonth(int year, int month) {
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace mr420
