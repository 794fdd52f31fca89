// The whole link: the real SerialPort, the session engine and the simulated
// panel on a pseudo-terminal, driven by the plain event loop on this thread.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "base/EventLoop.h"
#include "link/SerialPort.h"
#include "protocol/PanelSession.h"
#include "base/TimerIds.h"
#include "sim/PtyPanel.h"
#include "sim/Scenarios.h"
#include "support/ConnectionRig.h"
#include "support/TestSupport.h"

namespace mr420 {
namespace {

using namespace std::chrono_literals;

using Rig = test::ConnectionRig;

sim::Scenario scenario(const char* name) {
    auto s = sim::makeScenario(name, 0);
    EXPECT_TRUE(s.has_value()) << name;
    return s.value_or(sim::Scenario{});
}

TEST(SessionOverPty, FullPollCycleFillsPanelStateWithTheSimulatedReadings) {
    sim::Scenario s = scenario("mr411-baro");
    s.model.readings.temperature1 = 23.4;
    s.model.readings.relativeHumidity = 51.2;
    s.model.readings.pressure = 998.7;
    s.model.animateReadings = false;
    sim::PtyPanel panel(s.model, s.faults);
    auto path = panel.start();
    ASSERT_TRUE(path) << panel.lastError();

    Rig rig;
    ASSERT_FALSE(rig.openAndStart(*path));
    ASSERT_TRUE(rig.loop.runFor(10s, [&] { return rig.connectedCycles() >= 2; }));

    EXPECT_EQ(rig.state().panelSerialNumber, s.model.panelSerialNumber);
    EXPECT_EQ(rig.state().firmwareVersion, s.model.firmwareVersion);
    EXPECT_FALSE(rig.state().mr411Absent);
    EXPECT_TRUE(rig.state().mr466Absent);
    EXPECT_NEAR(rig.state().temperature1, 23.4, 0.001);
    EXPECT_NEAR(rig.state().relativeHumidity, 51.2, 0.001);
    EXPECT_NEAR(rig.state().pressure, 998.7, 0.001);
    EXPECT_FALSE(rig.state().pressureAbsent);
    EXPECT_NE(rig.state().panelClock.year, 0);
    EXPECT_FALSE(rig.refreshes.front()) << "start shows no communication first";
}

TEST(SessionOverPty, ConnectsDespiteABadChecksumEveryFifthReply) {
    sim::Scenario s = scenario("mr411-baro");
    s.faults.badLrcEvery = 5;
    sim::PtyPanel panel(s.model, s.faults);
    auto path = panel.start();
    ASSERT_TRUE(path) << panel.lastError();

    Rig rig;
    ASSERT_FALSE(rig.openAndStart(*path));
    ASSERT_TRUE(rig.loop.runFor(15s, [&] { return rig.connectedCycles() >= 3; }));
    EXPECT_EQ(rig.state().panelSerialNumber, s.model.panelSerialNumber);
}

TEST(SessionOverPty, PollingResumesByItselfAfterTheDeviceIsRecreated) {
    const std::string link = test::makeTempDir("session-reconnect") + "/ttyPanel";
    sim::Scenario s = scenario("mr411-baro");
    sim::PtyPanel panel(s.model, s.faults, link);
    ASSERT_TRUE(panel.start()) << panel.lastError();

    Rig rig;
    ASSERT_FALSE(rig.openAndStart(link));
    ASSERT_TRUE(rig.loop.runFor(10s, [&] { return rig.connectedCycles() >= 1; }));

    const int before = rig.connectedCycles();
    // The old pty is closed for good (the kernel may hand out the same number
    // again), so replies from now on can only come through a reopen.
    ASSERT_TRUE(panel.closeAndRecreate());
    // The frame lost with the old device times out after 6 s; then the new one answers.
    ASSERT_TRUE(rig.loop.runFor(20s, [&] { return rig.connectedCycles() >= before + 2; }));
    EXPECT_TRUE(rig.connection.deviceConnected());
}

TEST(SessionOverPty, ASilentPanelIsResentEverySixSeconds) {
    sim::Scenario s = scenario("mr411-baro");
    s.faults.silentFor.insert(0);   // the identity command is never answered
    sim::PtyPanel panel(s.model, s.faults);
    auto path = panel.start();
    ASSERT_TRUE(path);

    Rig rig;
    ASSERT_FALSE(rig.openAndStart(*path));
    rig.loop.runFor(13s);
    // Sent at start, at 6 s and at 12 s; nothing answered, so no cycle completed.
    EXPECT_EQ(panel.framesReceived(), 3u);
    EXPECT_EQ(rig.connectedCycles(), 0);
    EXPECT_EQ(rig.connection.session().commandNumber(), 0);
}

}  // namespace
}  // namespace mr420
