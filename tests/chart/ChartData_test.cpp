#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "chart/ChartData.h"

namespace mr420 {
namespace {

constexpr std::int64_t kMinute = 60 * 1000;
const double N = kNoReading;

ChartRow row(std::int64_t t, double temp1, double rh = N) {
    ChartRow r;
    r.time = t;
    r.values[kChannelTemp1] = temp1;
    r.values[kChannelRh] = rh;
    return r;
}

// The series of one channel written as values, "-" for a gap.
std::string shape(const std::vector<ChartPoint>& points) {
    std::string out;
    for (const ChartPoint& p : points) {
        if (!out.empty()) out += ' ';
        out += p.gap() ? std::string("-") : std::to_string(static_cast<int>(p.value));
    }
    return out;
}

struct GapCase {
    const char* name;
    std::vector<ChartRow> rows;
    std::string temp1;
};

class GapRules : public ::testing::TestWithParam<GapCase> {};

TEST_P(GapRules, BreakTheLineWhereAValueOrAnIntervalIsMissing) {
    const ChartData data = buildChart(GetParam().rows);
    EXPECT_EQ(shape(data.series[kChannelTemp1]), GetParam().temp1);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GapRules,
    ::testing::Values(
        GapCase{"regular", {row(0, 1), row(kMinute, 2), row(2 * kMinute, 3)}, "1 2 3"},
        GapCase{"value_missing", {row(0, 1), row(kMinute, N), row(2 * kMinute, 3)}, "1 - 3"},
        GapCase{"two_missing_values_one_gap", {row(0, 1), row(kMinute, N), row(2 * kMinute, N), row(3 * kMinute, 4)},
                "1 - 4"},
        GapCase{"interval_missing",
                {row(0, 1), row(kMinute, 2), row(2 * kMinute, 3), row(5 * kMinute, 4), row(6 * kMinute, 5)},
                "1 2 3 - 4 5"},
        GapCase{"step_under_one_and_a_half_intervals",
                {row(0, 1), row(kMinute, 2), row(2 * kMinute, 3), row(3 * kMinute + 25 * 1000, 4)}, "1 2 3 4"},
        GapCase{"unsorted_rows_are_sorted", {row(2 * kMinute, 3), row(0, 1), row(kMinute, 2)}, "1 2 3"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BuildChart, AChannelWithoutAnyValueHasNoSeries) {
    const ChartData data = buildChart({row(0, 1), row(kMinute, 2)});
    EXPECT_TRUE(data.hasChannel(kChannelTemp1));
    EXPECT_FALSE(data.hasChannel(kChannelRh));
    EXPECT_TRUE(data.series[kChannelRh].empty());
    EXPECT_EQ(data.firstTime(), 0);
    EXPECT_EQ(data.lastTime(), kMinute);
    EXPECT_EQ(data.valueCount(), 2u);
}

TEST(BuildChart, AMissingIntervalBreaksEveryChannel) {
    const ChartData data = buildChart({row(0, 1, 40), row(kMinute, 2, 41), row(10 * kMinute, 3, 42)}, kMinute);
    EXPECT_EQ(shape(data.series[kChannelTemp1]), "1 2 - 3");
    EXPECT_EQ(shape(data.series[kChannelRh]), "40 41 - 42");
}

TEST(TypicalStep, IsTheMedianOfThePositiveSteps) {
    EXPECT_EQ(typicalStep({}), 0);
    EXPECT_EQ(typicalStep({row(0, 1), row(0, 1)}), 0);
    EXPECT_EQ(typicalStep({row(0, 1), row(10, 1), row(20, 1), row(1000, 1)}), 10);
}

TEST(Units, OneAxisPerUnit) {
    EXPECT_EQ(unitOf(kChannelTemp1), ChartUnit::Celsius);
    EXPECT_EQ(unitOf(kChannelTemp2), ChartUnit::Celsius);
    EXPECT_EQ(unitOf(kChannelDp), ChartUnit::Celsius);
    EXPECT_EQ(unitOf(kChannelRh), ChartUnit::Percent);
    EXPECT_EQ(unitOf(kChannelPressure), ChartUnit::Hectopascal);
    EXPECT_EQ(unitOf(kChannelWb), ChartUnit::Ppm);
    EXPECT_STREQ(unitText(ChartUnit::Celsius), "°C");
}

TEST(LocalTimes, GoThereAndBack) {
    const LocalTime t{2007, 3, 14, 10, 0, 5};
    EXPECT_EQ(localTimeOfMsecs(msecsOfLocalTime(t)), t);
    EXPECT_EQ(msecsOfLocalTime({2007, 3, 14, 10, 1, 5}) - msecsOfLocalTime(t), kMinute);
}

MemoryRecord memoryRecord(int minute, double t1, bool t1Error = false) {
    MemoryRecord r;
    r.time = {2007, 3, 14, 10, minute, 0};
    r.temperature1Present = true;
    r.temperature1Error = t1Error;
    r.temperature1 = t1;
    r.humidityPresent = true;
    r.humidity = 40 + minute;
    r.dewPointComputed = true;
    r.dewPoint = minute == 2 ? N : 5;   // not meaningful: a gap
    return r;
}

TEST(ChartFromMemory, ErrorsNotANumberAndMissingIntervalsAreGaps) {
    const ChartData data = chartFromMemory({memoryRecord(0, 20), memoryRecord(1, 21, true), memoryRecord(2, 22),
                                            memoryRecord(3, 23), memoryRecord(9, 24), memoryRecord(10, 25)});
    EXPECT_EQ(shape(data.series[kChannelTemp1]), "20 - 22 23 - 24 25");
    EXPECT_EQ(shape(data.series[kChannelRh]), "40 41 42 43 - 49 50");
    EXPECT_EQ(shape(data.series[kChannelDp]), "5 5 - 5 - 5 5");
    EXPECT_FALSE(data.hasChannel(kChannelPressure));
    EXPECT_FALSE(data.hasChannel(kChannelWb));
}

TEST(ThinForDrawing, KeepsWhatAPlotShowsAndEveryGap) {
    // 10 000 points over 100 columns: a sawtooth with one spike, one dip and two gaps.
    ChartData data;
    std::vector<ChartPoint>& pts = data.series[kChannelTemp1];
    for (int i = 0; i < 10000; ++i) pts.push_back({i * 1000LL, double(i % 37)});
    pts[4321].value = 500.0;
    pts[7777].value = -80.0;
    pts[2000].value = kNoReading;
    pts[9000].value = kNoReading;
    const ChartData thin = thinForDrawing(data, 0, 9999 * 1000LL, 100);
    const std::vector<ChartPoint>& out = thin.series[kChannelTemp1];

    EXPECT_LE(out.size(), 100u * 4 + 4);
    EXPECT_TRUE(std::is_sorted(out.begin(), out.end(), [](const ChartPoint& a, const ChartPoint& b) { return a.time < b.time; }));
    EXPECT_EQ(out.front().time, 0);
    EXPECT_EQ(out.back().time, 9999 * 1000LL);
    auto at = [&](std::int64_t t) {
        return std::find_if(out.begin(), out.end(), [t](const ChartPoint& p) { return p.time == t; });
    };
    ASSERT_NE(at(4321000), out.end());
    EXPECT_EQ(at(4321000)->value, 500.0);
    ASSERT_NE(at(7777000), out.end());
    EXPECT_EQ(at(7777000)->value, -80.0);
    for (std::int64_t gap : {2000000LL, 9000000LL}) {
        ASSERT_NE(at(gap), out.end()) << gap;
        EXPECT_TRUE(at(gap)->gap()) << gap;
    }
    EXPECT_TRUE(thin.series[kChannelRh].empty());
}

TEST(ThinForDrawing, AZoomKeepsOnePointBeyondEachEdgeAndFewPointsStayAsTheyAre) {
    ChartData data;
    for (int i = 0; i < 100; ++i) data.series[kChannelPressure].push_back({i * 60000LL, 1000.0 + i});
    // Minutes 40..50 on a plot of 200 columns: the eleven points inside and
    // the neighbours that carry the line to the edges.
    const ChartData zoomedData = thinForDrawing(data, 40 * 60000LL, 50 * 60000LL, 200);
    const auto& zoomed = zoomedData.series[kChannelPressure];
    ASSERT_EQ(zoomed.size(), 13u);
    EXPECT_EQ(zoomed.front().time, 39 * 60000LL);
    EXPECT_EQ(zoomed.back().time, 51 * 60000LL);
    // The whole range on a wide plot: nothing to thin.
    const ChartData wholeData = thinForDrawing(data, 0, 99 * 60000LL, 1000);
    const auto& whole = wholeData.series[kChannelPressure];
    ASSERT_EQ(whole.size(), 100u);
    EXPECT_EQ(whole[57].value, 1057.0);
}

}  // namespace
}  // namespace mr420
