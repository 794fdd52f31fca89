// The configuration sequence under the virtual clock, with a scripted panel,
// dialog and wait window: read time-out, fill, write acknowledged, write
// time-out, the modem-off message and a reply that comes too late.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "base/StringTable.h"
#include "base/TimerIds.h"
#include "config/ConfigController.h"
#include "support/SessionHarness.h"

namespace mr420 {
namespace {

struct FakeModel : ConfigModel {
    int resets = 0, fills = 0, stores = 0;
    void reset(const PanelState&) override { ++resets; }
    void fill(const PanelState&) override { ++fills; }
    void store(WriteArguments& args) const override {
        ++const_cast<FakeModel*>(this)->stores;
        args.autoOffTime = 7;
    }
};

struct FakeDialog : ConfigDialogView {
    std::function<void()> whileOpen;   // what happens while the dialog is up
    bool pressOk = true;
    bool cancelled = false;
    bool waitedForSettings = false;
    int arrivals = 0;
    bool runModal(bool waitForSettings) override {
        waitedForSettings = waitForSettings;
        cancelled = false;
        if (whileOpen) whileOpen();
        return pressOk && !cancelled;
    }
    void settingsArrived() override { ++arrivals; }
    void cancel() override { cancelled = true; }
};

struct FakeFrontEnd : ConfigFrontEnd {
    std::function<void()> whileWaiting;
    std::vector<UserMessage> messages;
    int waits = 0, closes = 0;
    bool waiting = false;
    void showMessage(const UserMessage& m) override { messages.push_back(m); }
    void runWaitWindow() override {
        ++waits;
        waiting = true;
        if (whileWaiting) whileWaiting();
        waiting = false;
    }
    void closeWaitWindow() override {
        if (waiting) ++closes;
    }
};

struct Harness : test::SessionHarness {
    TimerRouter router{clock};
    FakeFrontEnd frontEnd;
    ConfigController controller{session, router, frontEnd};
    FakeModel model;
    FakeDialog dialog;

    Harness() {
        clock.setHandler([this](int id) { router.dispatch(id); });
        router.route(timer_id::kReplyTimeout, [this](int id) { session.onTimer(id); });
        router.route(timer_id::kFailurePause, [this](int id) { session.onTimer(id); });
        firmware = 130;
        startAndIdentify();
        state.modemHandlingEnabled = 1;
    }
    // The panel answers everything until the poll cycle starts again.
    void panelAnswers() { answerUntilIdentity(300); }
    // The panel answers the poll, but never the given command.
    void panelIgnores(PanelCommand command, std::int64_t forMs) {
        for (std::int64_t t = 0; t < forMs; t += 100) {
            if (session.commandNumber() != toNumber(command)) answer();
            clock.advance(100);
        }
    }
    bool sent(const std::string& code) const {
        const auto codes = port.codes();
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    }
};

struct Row {
    ConfigKind kind;
    const char* firstRead;    // "" when the dialog does not read
    const char* firstWrite;
    int readTimeoutMs;
    int writeTimeoutMs;
    int readFailure;
    int writeFailure;
};

// The rows as the panel and the user see them.
const Row kRows[] = {
    {ConfigKind::Clock, "", "031000", 0, 6000, 0, 300},
    {ConfigKind::AutoOff, "023400", "023500", 4000, 6000, 301, 302},
    {ConfigKind::DefaultPressure, "024000", "024100", 4000, 6000, 133, 303},
    {ConfigKind::LoggingSettings, "040000", "040100", 3000, 15000, 133, 120},
    {ConfigKind::DisplayFlags, "023800", "023900", 4000, 6000, 311, 312},
    {ConfigKind::HistoryDisplay, "024800", "024900", 4000, 6000, 104, 109},
};

class ConfigControllerRows : public ::testing::TestWithParam<Row> {};

TEST_P(ConfigControllerRows, SettingsArriveAndTheWriteIsAcknowledged) {
    const Row& row = GetParam();
    Harness h;
    h.dialog.whileOpen = [&] { h.panelAnswers(); };
    h.frontEnd.whileWaiting = [&] { h.panelAnswers(); };
    EXPECT_TRUE(h.controller.run(row.kind, h.dialog, h.model));
    EXPECT_EQ(h.model.resets, 1);
    EXPECT_EQ(h.dialog.waitedForSettings, row.readTimeoutMs > 0);
    EXPECT_EQ(h.model.fills, row.readTimeoutMs > 0 ? 1 : 0);
    EXPECT_EQ(h.dialog.arrivals, h.model.fills);
    if (row.firstRead[0]) {
        EXPECT_TRUE(h.sent(row.firstRead));
    }
    EXPECT_TRUE(h.sent(row.firstWrite));
    EXPECT_EQ(h.model.stores, 1);
    EXPECT_EQ(h.args.autoOffTime, 7u);
    EXPECT_EQ(h.frontEnd.waits, 1);
    EXPECT_EQ(h.frontEnd.closes, 1);
    EXPECT_TRUE(h.frontEnd.messages.empty());
    EXPECT_FALSE(h.controller.waitingForAcknowledgement());
}

TEST_P(ConfigControllerRows, ASilentPanelEndsTheReadWithItsMessage) {
    const Row& row = GetParam();
    if (row.readTimeoutMs == 0) GTEST_SKIP() << "no read";
    Harness h;
    h.dialog.whileOpen = [&] {
        h.panelIgnores(PanelCommand(commandNumberForCode(row.firstRead).value()), row.readTimeoutMs - 100);
        EXPECT_FALSE(h.dialog.cancelled);
        EXPECT_TRUE(h.frontEnd.messages.empty());
        h.clock.advance(100);
    };
    EXPECT_FALSE(h.controller.run(row.kind, h.dialog, h.model));
    EXPECT_TRUE(h.dialog.cancelled);
    ASSERT_EQ(h.frontEnd.messages.size(), 1u);
    EXPECT_EQ(h.frontEnd.messages[0], (UserMessage{row.readFailure, MessageIcon::None}));
    EXPECT_EQ(h.model.fills, 0);
    EXPECT_EQ(h.model.stores, 0);
    EXPECT_FALSE(h.sent(row.firstWrite));
}

TEST_P(ConfigControllerRows, AnUnacknowledgedWriteEndsWithItsMessage) {
    const Row& row = GetParam();
    Harness h;
    h.dialog.whileOpen = [&] { h.panelAnswers(); };
    h.frontEnd.whileWaiting = [&] {
        h.panelIgnores(PanelCommand(commandNumberForCode(row.firstWrite).value()), row.writeTimeoutMs - 100);
        EXPECT_EQ(h.frontEnd.closes, 0);
        h.clock.advance(100);
        EXPECT_EQ(h.frontEnd.closes, 1);
    };
    EXPECT_FALSE(h.controller.run(row.kind, h.dialog, h.model));
    ASSERT_EQ(h.frontEnd.messages.size(), 1u);
    EXPECT_EQ(h.frontEnd.messages[0], (UserMessage{row.writeFailure, MessageIcon::None}));
}

INSTANTIATE_TEST_SUITE_P(Rows, ConfigControllerRows, ::testing::ValuesIn(kRows));

TEST(ConfigController, CancelWritesNothingAndALateReplyChangesNothing) {
    Harness h;
    h.dialog.pressOk = false;
    EXPECT_FALSE(h.controller.run(ConfigKind::AutoOff, h.dialog, h.model));
    EXPECT_FALSE(h.controller.dialogOpen());
    // The read was requested; its reply comes after the dialog closed.
    h.panelAnswers();
    EXPECT_TRUE(h.sent("023400"));
    EXPECT_EQ(h.model.fills, 0);
    EXPECT_EQ(h.dialog.arrivals, 0);
    EXPECT_FALSE(h.sent("023500"));
    // Nor does its read time-out report anything.
    h.clock.advance(5000);
    EXPECT_TRUE(h.frontEnd.messages.empty());
}

TEST(ConfigController, SharedReadsFillOnlyTheOpenDialog) {
    // 024000 also serves the memory read-out, and 040000 the panel information.
    Harness h;
    h.session.requestCommand(PanelCommand::ReadDefaultPressure);
    h.panelAnswers();
    EXPECT_EQ(h.model.fills, 0);
    h.dialog.whileOpen = [&] { h.panelAnswers(); };
    h.dialog.pressOk = false;
    h.controller.run(ConfigKind::LoggingSettings, h.dialog, h.model);
    EXPECT_EQ(h.model.fills, 1);
    h.session.requestCommand(PanelCommand::ReadMemorySettings);
    h.panelAnswers();
    EXPECT_EQ(h.model.fills, 1);
}

TEST(ConfigController, PanelInformationReadsByFirmwareAndWritesNothing) {
    for (int firmware : {123, 124}) {
        Harness h;
        h.state.firmwareVersion = firmware;
        h.dialog.whileOpen = [&] { h.panelAnswers(); };
        EXPECT_FALSE(h.controller.run(ConfigKind::PanelInformation, h.dialog, h.model));
        EXPECT_EQ(h.sent("020B00"), firmware >= 124) << firmware;
        EXPECT_TRUE(h.sent("060100"));
        EXPECT_EQ(h.model.fills, 1) << firmware;   // from the reply to 040000
        EXPECT_EQ(h.frontEnd.waits, 0);
    }
}

TEST(ConfigController, ModemOffChangesTheWriteFailureOfThePinAndThePap) {
    struct Case {
        ConfigKind kind;
        bool modemOn;
        UserMessage expected;
    };
    const Case cases[] = {
        {ConfigKind::ModemPin, true, {305, MessageIcon::None}},
        {ConfigKind::ModemPin, false, {313, MessageIcon::None}},
        {ConfigKind::ModemPap, true, {306, MessageIcon::None}},
        {ConfigKind::ModemPap, false, {313, MessageIcon::Information}},
    };
    for (const Case& c : cases) {
        Harness h;
        h.frontEnd.whileWaiting = [&] {
            h.state.modemHandlingEnabled = c.modemOn ? 1 : 0;
            h.clock.advance(10000);
        };
        EXPECT_FALSE(h.controller.run(c.kind, h.dialog, h.model));
        ASSERT_EQ(h.frontEnd.messages.size(), 1u);
        EXPECT_EQ(h.frontEnd.messages[0], c.expected) << static_cast<int>(c.kind) << c.modemOn;
    }
}

TEST(ConfigController, AbandonedWhileWaitingShowsNothingMore) {
    Harness h;
    h.dialog.whileOpen = [&] { h.panelAnswers(); };
    h.frontEnd.whileWaiting = [&] { h.controller.abandon(); };
    EXPECT_FALSE(h.controller.run(ConfigKind::AutoOff, h.dialog, h.model));
    EXPECT_FALSE(h.controller.waitingForAcknowledgement());
    h.clock.advance(10000);
    EXPECT_TRUE(h.frontEnd.messages.empty());
}

TEST(ConfigTable, EveryRowInKindOrderWithDistinctTimers) {
    std::vector<int> timers;
    for (int i = 0; i < kConfigKindCount; ++i) {
        const ConfigSpec& spec = kConfigTable[static_cast<std::size_t>(i)];
        EXPECT_EQ(static_cast<int>(spec.kind), i);
        EXPECT_EQ(configSpecForMenu(spec.menuId), &spec);
        if (spec.writes()) timers.push_back(spec.writeTimerId);
    }
    // The write timers of the main window: 1031 ... 1076; no id is used twice.
    std::sort(timers.begin(), timers.end());
    EXPECT_EQ(timers, (std::vector<int>{1031, 1035, 1047, 1048, 1055, 1059, 1061, 1064, 1068, 1071, 1072, 1075, 1076}));
    namespace t = timer_id;
    timers.insert(timers.end(), {t::kReplyTimeout, t::kFailurePause, t::kPortReopenRetry, t::kPortPresence, t::kLineQuiet,
                                 t::kSettingsReadPeriod, t::kPortChoiceRetry, t::kPromotion, t::kRegistration,
                                 t::kMemoryData, t::kMemoryErase, t::kPaneBlink, t::kConfigRead});
    std::sort(timers.begin(), timers.end());
    EXPECT_EQ(std::adjacent_find(timers.begin(), timers.end()), timers.end());
}

TEST(ConfigController, AChainWithoutEveryReplyFillsNothingAndWritesNothing) {
    // Every reply names index 0: the later slots, numbers and texts never came,
    // and a reply for another slot does not move the read on.
    const std::pair<ConfigKind, const char*> cases[] = {
        {ConfigKind::ModemThresholds, "025300"}, {ConfigKind::Exceedance, "026D00"}, {ConfigKind::ModemOptions, "025100"}};
    for (const auto& [kind, firstWrite] : cases) {
        Harness h;
        h.dialog.whileOpen = [&] {
            for (int t = 0; t < 30000 && !h.dialog.cancelled; t += 100) {
                h.feed(test::okReply(h.session.commandNumber()));
                h.clock.advance(100);
            }
        };
        EXPECT_FALSE(h.controller.run(kind, h.dialog, h.model));
        EXPECT_EQ(h.model.fills, 0) << firstWrite;
        EXPECT_EQ(h.frontEnd.messages, (std::vector<UserMessage>{readFailureFor(configSpec(kind), h.state)}));
        EXPECT_FALSE(h.sent(firstWrite));
    }
}

}  // namespace
}  // namespace mr420
