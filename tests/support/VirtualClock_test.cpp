#include "support/VirtualClock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mr420::test {
namespace {

TEST(VirtualClock, FiresDueTimersInTimeOrderAndKeepsThemRunning) {
    std::vector<std::string> fired;
    VirtualClock clock;
    clock.setHandler([&](int id) { fired.push_back(std::to_string(id) + "@" + std::to_string(clock.now())); });
    clock.startTimer(2, 30);
    clock.startTimer(1, 20);
    clock.startTimer(3, 60);
    clock.advance(60);
    EXPECT_EQ(fired, (std::vector<std::string>{"1@20", "2@30", "1@40", "3@60", "2@60", "1@60"}));
    EXPECT_EQ(clock.now(), 60);
}

TEST(VirtualClock, HandlersMayRestartAndStopTimers) {
    VirtualClock clock;
    int fires = 0;
    clock.setHandler([&](int id) {
        ++fires;
        if (id == 1) clock.startTimer(1, 100);   // restart with a new period
        if (id == 2) clock.stopTimer(2);
    });
    clock.startTimer(1, 10);
    clock.startTimer(2, 10);
    clock.advance(105);
    EXPECT_EQ(fires, 2);
    EXPECT_EQ(clock.remaining(1), 5);
    EXPECT_FALSE(clock.isActive(2));
    EXPECT_EQ(clock.remaining(2), -1);
    clock.startTimer(1, 50);   // restarting a running timer moves its expiry
    clock.advance(49);
    EXPECT_EQ(fires, 2);
    clock.advance(1);
    EXPECT_EQ(fires, 3);
    EXPECT_EQ(clock.startCount(1), 4);
}

}  // namespace
}  // namespace mr420::test
