// The threshold chain against the simulated panel through a line that puts
// one fault on one reply: the session sends only the resends the fault calls
// for, and ends the chain on the panel's values.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "sim/Scenarios.h"
#include "sim/SimulatedPanel.h"
#include "support/SessionHarness.h"

namespace mr420 {
namespace {

using Fault = std::function<void(std::string& reply, sim::SimulatedPanel& panel)>;

TEST(SessionLineFaults, TheThresholdChainEndsOnThePanelsValuesWithoutExtraSends) {
    // What, on which reply (from 1), held back until the next frame's reply, resends it calls for.
    const struct { const char* what; int at; bool late; Fault fault; int resends; } cases[] = {
        {"duplicate", 3, false, [](std::string& r, sim::SimulatedPanel&) { r += r; }, 0},
        {"late", 3, true, [](std::string&, sim::SimulatedPanel&) {}, 1},
        {"stale tail at open", 1, false, [](std::string& r, sim::SimulatedPanel&) { r = ":00:01:8027400:00:01:89\r\n" + r; }, 0},
        {"another slot first", 10, false, [](std::string& r, sim::SimulatedPanel& p) { r = *p.reply(28, "42") + r; }, 0},
        {"non-hex", 5, false, [](std::string& r, sim::SimulatedPanel&) { r[10] = 'G'; }, 1},
        {"a colon lost", 5, false, [](std::string& r, sim::SimulatedPanel&) { r.erase(9, 1); }, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::SessionHarness h;
        sim::SimulatedPanel panel(sim::makeScenario("modem-208", 0)->model);
        std::deque<std::string> line;
        std::string held;
        std::size_t answered = 0;
        int replies = 0;
        h.session.requestCommand(PanelCommand::ReadThreshold);
        h.session.start();
        // The panel answers each frame 1 ms after it, the line carries one line a millisecond.
        for (int ms = 0; ms < 10000 && (h.accepted.empty() || h.accepted.back() != 17); ++ms) {   // to 025200
            while (answered < h.port.frames.size()) {
                std::optional<std::string> reply = panel.handleFrame(h.port.frames[answered++]);
                if (!held.empty()) line.push_back(std::exchange(held, {}));
                if (++replies == c.at) c.fault(*reply, panel);
                (replies == c.at && c.late ? held : line.emplace_back()) = *reply;
            }
            if (!line.empty()) h.feed(line.front()), line.pop_front();
            h.clock.advance(1);
        }
        EXPECT_EQ(h.port.frames.size(), 15u + static_cast<unsigned>(c.resends));   // 020A00 follows the chain
        EXPECT_EQ(h.state.alarmThresholds, panel.model().alarmThresholds);
        EXPECT_EQ(h.state.alarmHysteresis, panel.model().alarmHysteresis);
    }
}

}  // namespace
}  // namespace mr420
