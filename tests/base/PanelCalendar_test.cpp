#include "base/PanelCalendar.h"

#include <cstdint>
#include <ctime>

#include <gtest/gtest.h>

namespace mr420 {
namespace {

TEST(PanelCalendar, SecondsAndDatesBothWays) {
    const std::pair<std::uint32_t, LocalTime> cases[] = {
        {0, {2000, 1, 1, 0, 0, 0}},
        {5097600, {2000, 2, 29, 0, 0, 0}},
        {60 * 86400, {2000, 3, 1, 0, 0, 0}},
        {31622399, {2000, 12, 31, 23, 59, 59}},
        {31622400, {2001, 1, 1, 0, 0, 0}},
        {36720000, {2001, 3, 1, 0, 0, 0}},   // 02304D80 on the wire
        {68256000, {2002, 3, 1, 0, 0, 0}},
        {126230399, {2003, 12, 31, 23, 59, 59}},
        {131373296, {2004, 2, 29, 12, 34, 56}},
        {(4 * 365 + 1 + 31 + 29) * 86400u + 12 * 3600 + 30 * 60 + 15, {2004, 3, 1, 12, 30, 15}},
        {157852799, {2004, 12, 31, 23, 59, 59}},
        {(26 * 365 + 7 + 334 + 30) * 86400u + 86399, {2026, 12, 31, 23, 59, 59}},
        {3155759999u, {2099, 12, 31, 23, 59, 59}},
        {(100 * 365 + 25 + 59) * 86400u, {2100, 2, 29, 0, 0, 0}},   // the panel's leap day
        {0xFFFFFFFFu, {2136, 2, 6, 6, 28, 15}},
    };
    for (const auto& [seconds, time] : cases) {
        EXPECT_EQ(panelTimeOf(seconds), time) << seconds;
        EXPECT_EQ(panelSecondsSince2000(time), seconds) << time.year << "-" << time.month << "-" << time.day;
    }
    EXPECT_EQ(panelSecondsSince2000({1999, 12, 31, 23, 59, 59}), 0u);
    EXPECT_EQ(panelSecondsSince2000({2136, 2, 6, 6, 28, 16}), UINT32_MAX);
    EXPECT_EQ(panelSecondsOf({2136, 2, 6, 6, 28, 16}), std::int64_t{UINT32_MAX} + 1);
}

TEST(PanelCalendar, AgreesWithTheComputersCalendarUntil2100) {
    constexpr std::time_t kEpoch2000 = 946684800;
    for (std::uint32_t day = 0; day < 36525; ++day) {
        const std::uint32_t seconds = day * 86400u + (day * 7919u) % 86400u;
        const std::time_t t = kEpoch2000 + static_cast<std::time_t>(seconds);
        std::tm utc{};
        gmtime_r(&t, &utc);
        const LocalTime expected{utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec};
        ASSERT_EQ(panelTimeOf(seconds), expected) << seconds;
        ASSERT_EQ(panelSecondsSince2000(expected), seconds) << seconds;
    }
}

TEST(PanelCalendar, FieldsForTheCLibrary) {
    const std::tm leap = tmOf({2024, 2, 29, 23, 59, 58});
    EXPECT_EQ(leap.tm_year, 124);
    EXPECT_EQ(leap.tm_mon, 1);
    EXPECT_EQ(leap.tm_mday, 29);
    EXPECT_EQ(leap.tm_sec, 58);
    EXPECT_EQ(leap.tm_wday, 4);   // a Thursday
    EXPECT_EQ(leap.tm_yday, 59);
    EXPECT_EQ(leap.tm_isdst, -1);
    const std::tm none = tmOf({2100, 2, 29, 0, 0, 0});   // no date of the computer's calendar
    EXPECT_EQ(none.tm_wday + none.tm_yday, 0);
}

}  // namespace
}  // namespace mr420
