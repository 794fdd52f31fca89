#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "chart/ChartTicks.h"

namespace mr420 {
namespace {

constexpr std::int64_t kS = 1000, kMin = 60 * kS, kH = 60 * kMin, kD = 24 * kH;

// A zone with daylight saving, so that local days are 23 and 25 hours long.
struct WarsawTime {
    WarsawTime() {
        setenv("TZ", "Europe/Warsaw", 1);
        tzset();
    }
};

int fixedPitch(std::string_view s) { return static_cast<int>(s.size()) * 7; }

std::tm local(std::int64_t ms) {
    const std::time_t t = ms / 1000;
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

// Whether a tick lies on a round time of its nominal step.
bool round(std::int64_t t, std::int64_t step) {
    const std::tm tm = local(t);
    if (step < kMin) return tm.tm_sec % (step / kS) == 0;
    if (step < kH) return tm.tm_sec == 0 && tm.tm_min % (step / kMin) == 0;
    if (step < kD) return tm.tm_sec == 0 && tm.tm_min == 0 && tm.tm_hour % (step / kH) == 0;
    const bool midnight = tm.tm_sec == 0 && tm.tm_min == 0 && tm.tm_hour == 0;
    if (step < 28 * kD) return midnight;
    return midnight && tm.tm_mday == 1 && (step < 365 * kD || tm.tm_mon == 0);
}

TEST(TimeTicks, RoundTimesAndLabelsThatNeverMeetFromSecondsToYears) {
    WarsawTime zone;
    const std::int64_t from = 1'774'000'000'000 / 1000 * 1000 + 1234;   // March 2026, before a clock change
    const std::int64_t spans[] = {2 * kS, 17 * kS, 90 * kS, 11 * kMin, 70 * kMin, 7 * kH, 29 * kH, 4 * kD,
                                  12 * kD, 40 * kD, 100 * kD, 365 * kD, 3 * 365 * kD, 10 * 365 * kD, 80 * 365 * kD};
    const std::int64_t steps[] = {kS, 2 * kS, 5 * kS, 10 * kS, 15 * kS, 30 * kS, kMin, 2 * kMin, 5 * kMin,
                                  10 * kMin, 15 * kMin, 30 * kMin, kH, 2 * kH, 3 * kH, 6 * kH, 12 * kH, kD,
                                  2 * kD, 7 * kD, 30 * kD, 60 * kD, 90 * kD, 180 * kD, 365 * kD, 730 * kD,
                                  5 * 365 * kD, 10 * 365 * kD, 20 * 365 * kD};
    for (const std::int64_t span : spans)
        for (const int width : {300, 450, 800, 1000, 1500, 2200, 3000}) {
            const std::int64_t to = from + span;
            const TimeTicks t = chooseTimeTicks(from, to, width, fixedPitch);
            SCOPED_TRACE("span " + std::to_string(span / kS) + " s, width " + std::to_string(width));
            ASSERT_GE(t.ticks.size(), 2u);
            EXPECT_NE(std::find(std::begin(steps), std::end(steps), t.step), std::end(steps)) << t.step;
            EXPECT_LE(static_cast<double>(t.ticks.size()), width / 20.0);
            for (std::size_t i = 0; i < t.ticks.size(); ++i) {
                const TimeTick& k = t.ticks[i];
                EXPECT_TRUE(k.time >= from && k.time <= to && round(k.time, t.step)) << k.label;
                if (i == 0) continue;
                const TimeTick& p = t.ticks[i - 1];
                const double room = tickPosition(k.time, from, to, width) - tickPosition(p.time, from, to, width);
                EXPECT_GE(room, (fixedPitch(p.label) + fixedPitch(k.label)) / 2.0 + kTickLabelGap)
                    << p.label << " | " << k.label;
            }
        }
}

TEST(TimeTicks, TheLargerUnitIsWrittenOnceWhereItChanges) {
    WarsawTime zone;
    struct Case {
        int width;
        std::int64_t span;
        std::vector<std::string> labels;   // in order, a sample of them
        std::string origin;
    };
    std::tm start{};
    start.tm_year = 2026 - 1900;
    start.tm_mon = 11;
    start.tm_mday = 30;
    start.tm_hour = 20;
    start.tm_isdst = -1;
    const std::int64_t from = static_cast<std::int64_t>(std::mktime(&start)) * 1000;
    const Case cases[] = {
        {500, 8 * kH, {"20:00", "21:00", "23:00", "31 gru", "01:00", "04:00"}, "30 gru 2026"},
        {1000, 34 * kH, {"22:00", "31 gru", "02:00", "2027", "06:00"}, "30 gru 2026"},
        {1000, 50 * kD, {"2027", "3", "5", "lut", "3"}, "gru 2026"},
    };
    for (const Case& c : cases) {
        const TimeTicks t = chooseTimeTicks(from, from + c.span, c.width, fixedPitch);
        std::size_t next = 0;
        std::string all;
        for (const TimeTick& k : t.ticks) {
            all += k.label + " ";
            if (next < c.labels.size() && k.label == c.labels[next]) ++next;
        }
        EXPECT_EQ(next, c.labels.size()) << all;
        EXPECT_EQ(t.origin, c.origin);
    }
}

TEST(ValueTicks, RoundStepsCoverTheValues) {
    struct Case {
        double low, high;
        int maxTicks;
        double min, max, step;
        int decimals;
    } const cases[] = {
        {0.3, 9.7, 5, 0, 10, 2, 0},          {1013.2, 1015.8, 6, 1013, 1016, 0.5, 1},
        {-12.3, 25.1, 8, -15, 30, 5, 0},     {20, 20, 4, 19, 21, 0.5, 1},
        {0.001, 0.0042, 4, 0.001, 0.005, 0.001, 3}, {400, 1800, 3, 0, 2000, 500, 0},
        {55, 45, 10, 45, 55, 1, 0},
    };
    for (const Case& c : cases) {
        const ValueTicks v = chooseValueTicks(c.low, c.high, c.maxTicks);
        SCOPED_TRACE(std::to_string(c.low) + ".." + std::to_string(c.high));
        EXPECT_DOUBLE_EQ(v.step, c.step);
        EXPECT_NEAR(v.min, c.min, 1e-9);
        EXPECT_NEAR(v.max, c.max, 1e-9);
        EXPECT_EQ(v.decimals, c.decimals);
    }
}

}  // namespace
}  // namespace mr420
