// The memory read-out: blocks over the session into the image, the data
// time-out, the cancel at the chain's next step, the dump text, and a whole
// read-out of the simulated panel's memory over a pseudo-terminal.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "base/TimerIds.h"
#include "recording/MemoryDecoder.h"
#include "recording/MemoryReadout.h"
#include "sim/PtyPanel.h"
#include "sim/Scenarios.h"
#include "support/ConnectionRig.h"
#include "support/SessionHarness.h"
#include "support/TestSupport.h"

namespace mr420 {
namespace {

using namespace std::chrono_literals;

struct FakeView : MemoryReadoutView {
    bool open = true;
    int range = -1;
    std::vector<int> progress;
    int decodedShown = 0;
    int closed = 0;
    std::vector<UserMessage> messages;
    // Runs while a message is open, as the replies do inside its modal loop.
    std::function<void()> whileMessageOpen;
    bool windowExists() const override { return open; }
    void setProgressRange(int blocks) override { range = blocks; }
    void setProgress(int position) override { progress.push_back(position); }
    void showDecoded() override { ++decodedShown; }
    void showMessage(const UserMessage& m) override {
        messages.push_back(m);
        if (auto act = std::exchange(whileMessageOpen, {})) act();
    }
    void closeAsCancelled() override {
        ++closed;
        open = false;
    }
};

// The read-out on the scripted session under the virtual clock.
struct Harness : test::SessionHarness {
    TimerRouter router{clock};
    MemoryReadout readout{session, router};
    FakeView view;
    Harness() {
        clock.setHandler([this](int id) { router.dispatch(id); });
        router.route(timer_id::kReplyTimeout, [this](int id) { session.onTimer(id); });
        router.route(timer_id::kFailurePause, [this](int id) { session.onTimer(id); });
        startAndIdentify();
        state.pressure = 987.6;
        memoryBlocks = 4;
        blockEmpty = [](int block) { return block == 2; };
    }
};

TEST(MemoryReadout, BlocksFillTheImageAndTheLastSelectDecodes) {
    Harness h;
    h.readout.start(h.view, {});
    h.answerUntilIdentity();
    EXPECT_EQ(h.view.range, 4);
    EXPECT_EQ(h.view.progress, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(h.readout.imageLength(), 4u * 256);
    EXPECT_DOUBLE_EQ(h.readout.fallbackPressure(), 987.6);
    EXPECT_EQ(h.readout.image()[2 * 256], 0xFF);   // the erased block
    EXPECT_EQ(h.readout.image()[256 + 5], 16 + 5); // block 1 as the panel sent it
    EXPECT_FALSE(h.session.memoryReadoutActive);
    // Decoded: a list, or the empty-memory message.
    EXPECT_EQ(h.view.decodedShown + h.view.closed, 1);
    EXPECT_EQ(h.readout.outcome(), h.view.decodedShown ? MemoryReadoutOutcome::Completed : MemoryReadoutOutcome::Empty);
    EXPECT_FALSE(h.clock.isActive(timer_id::kMemoryData));
}

TEST(MemoryReadout, TwelveSecondsWithoutABlockEndWithMessage131) {
    Harness h;
    h.readout.start(h.view, {});
    h.answer();   // the poll reply in flight; 024000 goes out and is never answered
    h.clock.advance(11999);
    EXPECT_TRUE(h.view.messages.empty());
    h.clock.advance(1);
    ASSERT_EQ(h.view.messages.size(), 1u);
    EXPECT_EQ(h.view.messages[0], (UserMessage{131, MessageIcon::None}));
    EXPECT_EQ(h.view.closed, 1);
    EXPECT_TRUE(h.readout.aborted());
    EXPECT_EQ(h.readout.outcome(), MemoryReadoutOutcome::TimedOut);
    // The panel keeps being polled; late replies find no window.
    h.readout.detach();
    h.answerUntilIdentity();
    EXPECT_FALSE(h.session.memoryReadoutActive);
}

TEST(MemoryReadout, BlocksArrivingWhileMessage131IsOpenAreNotTakenNorDecoded) {
    Harness h;
    h.readout.start(h.view, {});
    for (int i = 0; i < 5; ++i) h.answer();   // block 0 read; block 1 selected and never answered
    const std::vector<int> progressBefore = h.view.progress;
    const std::size_t lengthBefore = h.readout.imageLength();
    // The panel answers again while the message is up: the rest of the chain.
    h.view.whileMessageOpen = [&] { h.answerUntilIdentity(); };
    h.clock.advance(12000);
    EXPECT_EQ(h.view.messages, (std::vector<UserMessage>{{131, MessageIcon::None}}));
    EXPECT_EQ(h.view.progress, progressBefore);
    EXPECT_EQ(h.readout.imageLength(), lengthBefore);
    EXPECT_EQ(h.view.decodedShown, 0);
    EXPECT_EQ(h.view.closed, 1);
    EXPECT_FALSE(h.session.memoryReadoutActive);
    EXPECT_EQ(h.port.codes().back(), "020A00");   // polling again
}

TEST(MemoryReadout, CancelEndsTheReadOutAtTheNextStep) {
    Harness h;
    h.readout.start(h.view, {});
    for (int i = 0; i < 4; ++i) h.answer();   // up to block 0 selected
    EXPECT_TRUE(h.readout.reading());
    h.readout.cancel();
    EXPECT_EQ(h.view.closed, 0);   // not at once
    h.answer();
    EXPECT_EQ(h.view.closed, 1);
    EXPECT_TRUE(h.readout.aborted());
    EXPECT_EQ(h.readout.outcome(), MemoryReadoutOutcome::Cancelled);
    EXPECT_EQ(h.port.codes().back(), "020A00");
}

TEST(MemoryReadout, ADumpThatCannotBeWrittenIsSaidAndIsTheOutcome) {
    Harness h;
    MemoryReadoutOptions options;
    options.fullDump = true;
    options.dumpPath = test::makeTempDir("memory-dump") + "/no-such-folder/__memdump.txt";
    h.readout.start(h.view, options);
    h.answerUntilIdentity();
    ASSERT_FALSE(h.view.messages.empty());
    EXPECT_EQ(h.view.messages.front(), (UserMessage{221, MessageIcon::Exclamation}));
    EXPECT_EQ(h.readout.outcome(), MemoryReadoutOutcome::DumpFailed);
}

TEST(MemoryReadout, DumpText) {
    std::vector<std::uint8_t> image(300);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i);
    const std::string text = MemoryReadout::dumpText(image.data(), image.size());
    EXPECT_EQ(text.substr(0, 12), "00 01 02 03 ");
    EXPECT_EQ(text.substr(255 * 3, 5), "FF \r\n");
    EXPECT_EQ(text.substr(256 * 3 + 2, 6), "00 01 ");
    EXPECT_EQ(text.size(), 300u * 3 + 2);
}

TEST(MemoryReadout, TheSimulatedPanelsMemoryDownloadsAsItIs) {
    auto scenario = sim::makeScenario("memory", 0);
    ASSERT_TRUE(scenario);
    sim::PtyPanel panel(scenario->model, scenario->faults);
    auto path = panel.start();
    ASSERT_TRUE(path);
    test::ConnectionRig rig;
    ASSERT_FALSE(rig.openAndStart(*path));
    ASSERT_TRUE(rig.loop.runFor(10s, [&] { return rig.connectedCycles() >= 1; }));

    MemoryReadout readout(rig.connection.session(), rig.timers);
    FakeView view;
    const std::string dump = test::makeTempDir("memory-dump") + "/__memdump.txt";
    MemoryReadoutOptions options;
    options.fullDump = true;
    options.dumpPath = dump;
    readout.start(view, options);
    ASSERT_TRUE(rig.loop.runFor(60s, [&] { return view.decodedShown + view.closed > 0; }));
    ASSERT_EQ(view.decodedShown, 1);

    // The same records as decoding the panel's own image.
    const auto model = panel.modelSnapshot();
    const std::size_t blocks = static_cast<std::size_t>(model.memorySizeBlocks);
    std::vector<std::uint8_t> image(blocks * 256, 0xFF);
    std::copy_n(model.memoryImage.begin(), std::min(model.memoryImage.size(), image.size()), image.begin());
    const DecodedMemory expected = decodeMemoryImage(image.data(), image.size());
    ASSERT_EQ(readout.records().size(), expected.records.size());
    EXPECT_GT(readout.records().size(), 10u);
    for (std::size_t i = 0; i < expected.records.size(); ++i) {
        EXPECT_EQ(readout.records()[i].time, expected.records[i].time) << i;
        EXPECT_EQ(readout.records()[i].temperature1, expected.records[i].temperature1) << i;
    }
    EXPECT_EQ(readout.usedBytes(), expected.usedBytes);
    // The dump holds every block, erased ones included.
    std::string text;
    {
        std::FILE* f = std::fopen(dump.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
        std::fclose(f);
    }
    EXPECT_EQ(text, MemoryReadout::dumpText(image.data(), image.size()));
    EXPECT_EQ(readout.cell(0, 0), "1");
    EXPECT_EQ(readout.columnTitles().front(), "Nr");
}

}  // namespace
}  // namespace mr420
