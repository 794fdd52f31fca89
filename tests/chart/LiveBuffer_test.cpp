#include <gtest/gtest.h>

#include <cmath>

#include "chart/LiveBuffer.h"

namespace mr420 {
namespace {

constexpr std::int64_t kStart = 1'700'000'000'000;   // ms
constexpr std::int64_t kCycle = 200;                 // five cycles a second

LiveReadings panes(double temp1, bool blinking = false) {
    LiveReadings r{};
    r[kChannelTemp1] = {true, true, blinking, temp1, 3, false};
    r[kChannelRh] = {true, true, false, 45.0, 7, false};
    r[kChannelTemp2] = {false, true, false, 99.0, 3, false};   // hidden pane
    return r;
}

class LiveBufferTest : public ::testing::Test {
protected:
    // Cycles from `from` for `count` cycles, every kCycle ms.
    void feed(std::int64_t from, int count, bool connected = true) {
        for (int i = 0; i < count; ++i) buffer.addCycle(from + i * kCycle, connected, panes(20.0 + i % 10));
    }
    LiveBuffer buffer;
};

TEST_F(LiveBufferTest, KeepsEveryCycleOfTheLastTenMinutes) {
    feed(kStart, 5 * 60 * 5);   // five minutes
    EXPECT_EQ(buffer.recentSize(), 1500u);
    EXPECT_EQ(buffer.thinnedSize(), 0u);
}

TEST_F(LiveBufferTest, ThinsOlderCyclesToOnePerSecond) {
    feed(kStart, 30 * 60 * 5);   // thirty minutes
    // Ten minutes at the full rate (plus the cycle on the boundary), twenty
    // at one sample per second.
    EXPECT_EQ(buffer.recentSize(), 10u * 60 * 5 + 1);
    EXPECT_NEAR(static_cast<double>(buffer.thinnedSize()), 20.0 * 60, 1.0);
    std::int64_t previous = -1;
    bool ordered = true;
    buffer.forEach([&](const LiveSample& s) {
        ordered &= s.time > previous;
        previous = s.time;
    });
    EXPECT_TRUE(ordered);
}

TEST_F(LiveBufferTest, HoldsADayAtThePanelsRateWithinItsBounds) {
    LiveBuffer::Limits limits;
    LiveBuffer day(limits);
    const int cycles = 25 * 3600 * 5;
    for (int i = 0; i < cycles; ++i) day.addCycle(kStart + std::int64_t(i) * kCycle, true, panes(20));
    EXPECT_LE(day.thinnedSize(), limits.thinnedCapacity);
    EXPECT_LE(day.recentSize(), limits.fullRateCapacity);
    std::int64_t first = 0;
    day.forEach([&](const LiveSample& s) {
        if (first == 0) first = s.time;
    });
    const std::int64_t last = kStart + std::int64_t(cycles - 1) * kCycle;
    EXPECT_GE(last - first, 24LL * 3600 * 1000);
}

TEST_F(LiveBufferTest, AGapWithinASecondSurvivesThinning) {
    LiveBuffer::Limits limits;
    limits.fullRateSpan = 1000;   // thin after one second
    LiveBuffer small(limits);
    small.addCycle(kStart, true, panes(20));
    small.addCycle(kStart + 200, true, panes(21, /*blinking=*/true));
    small.addCycle(kStart + 400, true, panes(22));
    for (int i = 0; i < 20; ++i) small.addCycle(kStart + 1000 + i * 200, true, panes(23));
    ASSERT_GE(small.thinnedSize(), 1u);
    bool firstSecondIsGap = false;
    small.forEach([&](const LiveSample& s) {
        if (s.time == kStart) firstSecondIsGap = std::isnan(s.values[kChannelTemp1]);
    });
    EXPECT_TRUE(firstSecondIsGap);
}

TEST_F(LiveBufferTest, NoCommunicationHiddenAndInvalidPanesAreGaps) {
    buffer.addCycle(kStart, true, panes(20));
    buffer.addCycle(kStart + 200, false, panes(21));
    buffer.addCycle(kStart + 400, true, panes(22));
    const ChartData data = buffer.chart();
    ASSERT_EQ(data.series[kChannelTemp1].size(), 3u);
    EXPECT_TRUE(data.series[kChannelTemp1][1].gap());
    EXPECT_FALSE(data.series[kChannelTemp1][2].gap());
    EXPECT_FALSE(data.hasChannel(kChannelTemp2));   // its pane is hidden
    EXPECT_FALSE(data.hasChannel(kChannelPressure));
}

TEST_F(LiveBufferTest, ASilenceBreaksTheLine) {
    feed(kStart, 10);
    feed(kStart + 60 * 1000, 10);   // no cycle for a minute (memory read-out)
    const ChartData data = buffer.chart();
    int gaps = 0;
    for (const ChartPoint& p : data.series[kChannelTemp1]) gaps += p.gap() ? 1 : 0;
    EXPECT_EQ(gaps, 1);
    EXPECT_EQ(data.series[kChannelTemp1].size(), 21u);
}

TEST_F(LiveBufferTest, EverySampleRaisesTheRevision) {
    const auto before = buffer.revision();
    feed(kStart, 3);
    EXPECT_EQ(buffer.revision(), before + 3);
}

}  // namespace
}  // namespace mr420
