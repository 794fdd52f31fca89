// Window-style timers on QTimer.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <vector>

#include "base/widgets/QtTimerService.h"
#include "support/TestApplication.h"

using namespace mr420;

namespace {
using mr420::test::pumpFor;
using mr420::test::app;
}  // namespace

TEST(QtTimerService, ReportsExpiryByIdKeepsRunningAndStops) {
    app();
    std::vector<int> fired;
    QtTimerService timers([&](int id) { fired.push_back(id); });
    timers.startTimer(1030, 20);
    timers.startTimer(1067, 1000);
    pumpFor(110);
    EXPECT_GE(std::count(fired.begin(), fired.end(), 1030), 3);  // periodic like a window timer
    EXPECT_EQ(std::count(fired.begin(), fired.end(), 1067), 0);
    EXPECT_TRUE(timers.isActive(1067));
    timers.stopTimer(1030);
    const auto count = fired.size();
    pumpFor(60);
    EXPECT_EQ(fired.size(), count);
    EXPECT_FALSE(timers.isActive(1030));
    timers.stopTimer(4242);  // never started: nothing happens
    EXPECT_EQ(timers.interval(4242), -1);
}

TEST(QtTimerService, RestartingPushesTheExpiryBackAndAHandlerMayStopItsOwnTimer) {
    app();
    std::vector<int> fired;
    QtTimerService timers;
    timers.setHandler([&](int id) {
        fired.push_back(id);
        timers.stopTimer(id);  // one-shot use, from inside its own expiry
    });
    timers.startTimer(1070, 60);
    pumpFor(40);
    timers.startTimer(1070, 60);  // restart: the first expiry is not due yet
    pumpFor(40);
    EXPECT_TRUE(fired.empty());
    pumpFor(80);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0], 1070);
    pumpFor(100);
    EXPECT_EQ(fired.size(), 1u);
    EXPECT_EQ(timers.interval(1070), 60);
}
