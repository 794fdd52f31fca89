// Session engine: the frame sequence of every requested chain, the reply
// notifications and their order, and the memory read-out.
#include "protocol/PanelSession.h"

#include <gtest/gtest.h>

#include "protocol/Frame.h"
#include "support/SessionHarness.h"
#include "support/TestSupport.h"

namespace mr420 {
namespace {

using test::SessionHarness;
using Chains = test::SessionFixture;
using IdentifiedChains = test::IdentifiedSessionFixture;
using Codes = std::vector<std::string>;
using Events = std::vector<std::string>;

std::string hx(unsigned value, int digits) {
    std::string s;
    appendHex(s, value, digits);
    return s;
}

// Character codes of characters 3k..3k+2, spaces past the end.
std::string chunk(const std::string& text, int k) {
    std::string s;
    for (int i = 3 * k; i < 3 * k + 3; ++i) s += hx(i < static_cast<int>(text.size()) ? static_cast<unsigned char>(text[static_cast<std::size_t>(i)]) : ' ', 2);
    return s;
}

// Requests `command` while the panel is polled and answers until the cycle
// restarts; returns the frames sent (without LRC and CR LF), whose checksums
// are checked on the way.
Codes runChain(SessionHarness& h, int command) {
    h.port.clear();
    h.events.clear();
    h.session.requestCommand(static_cast<PanelCommand>(command));
    h.answerUntilIdentity(300);
    for (const std::string& f : h.port.frames) EXPECT_TRUE(checksumValid(f.data(), f.size())) << f;
    return h.bodies();
}

TEST_F(Chains, PanelInformation) {
    h.firmware = 130;
    h.startAndIdentify();
    EXPECT_EQ(runChain(h, 6), (Codes{"020B00", "060100", "040000", "020A00"}));
    EXPECT_EQ(h.events, (Events{"settings:9", "refresh:1"}));
    EXPECT_EQ(runChain(h, 25), (Codes{"060100", "040000", "020A00"}));
}

TEST_F(IdentifiedChains, ClockEraseAndPin) {
    h.args.clockSeconds = 0x0A0B0C0D;
    EXPECT_EQ(runChain(h, 8), (Codes{"0310000A0B0C0D", "020A00"}));
    EXPECT_EQ(runChain(h, 15), (Codes{"041500", "020A00"}));
    h.args.pin = 4321;
    EXPECT_EQ(runChain(h, 41), (Codes{"02560034333231", "020A00"}));
}

TEST_F(IdentifiedChains, MemoryLoggingSettings) {
    EXPECT_EQ(runChain(h, 9), (Codes{"040000", "020A00"}));
    EXPECT_EQ(h.events, (Events{"settings:9", "refresh:1"}));
    h.args.loggingInterval = 15;
    h.args.loggingFlags = 0x0107;
    EXPECT_EQ(runChain(h, 10), (Codes{"040100000F", "0402000107", "040300", "020A00"}));
}

TEST_F(Chains, ModemReadShortPathBeforeFirmware208) {
    h.firmware = 207;
    h.startAndIdentify();
    h.session.counters().stringIndex = 4;     // stale values: the session starts the loops itself
    h.session.counters().longTextIndex = 1;
    EXPECT_EQ(runChain(h, 16), (Codes{"025000", "02540000", "02540001", "02540002", "02540003", "02540004", "02540005",
                                      "025900", "025B00", "02620000", "02620001", "02640000", "027400", "020A00"}));
    EXPECT_EQ(h.events, (Events{"settings:55", "refresh:1"}));
}

TEST_F(Chains, ModemReadWithBackupServerFromFirmware208) {
    h.firmware = 208;
    h.startAndIdentify();
    EXPECT_EQ(runChain(h, 16), (Codes{"025000", "02540000", "02540001", "02540002", "02540003", "02540004", "02540005",
                                      "025900", "027600", "027800", "027A00", "025B00", "02620000", "02620001", "02640000",
                                      "027400", "020A00"}));
}

void fillModemArguments(WriteArguments& a) {
    a.modemOptions = 0x1234;
    for (int s = 0; s < 6; ++s) a.smsNumbers[static_cast<std::size_t>(s)] = "+4860010020" + std::to_string(s) + "  ";
    a.smsNumbers[2] = "112";   // short: padded by the builder
    a.serverAddress = {192, 168, 1, 10};
    a.serverPort = 8080;
    a.backupServerAddress = {10, 0, 0, 2};
    a.backupServerPort = 0x1F90;
    a.connectionAttemptsPerDay = 24;
    a.apn = "internet.example.pl             ";
    a.papLogin = "user";
    a.stationName = "Station 7     ";
    a.internetAllowed = 1;
}

Codes expectedModemWrite(const WriteArguments& a, bool backupServer) {
    Codes e{"0251001234"};
    for (int s = 0; s < 6; ++s)
        for (int k = 0; k < 5; ++k)
            e.push_back("025500" + std::to_string(s) + std::to_string(k) + chunk(a.smsNumbers[static_cast<std::size_t>(s)], k));
    if (backupServer) {
        e.push_back("0277000A000002");
        e.push_back("0279001F90");
        e.push_back("027B000018");
    }
    e.push_back("025A00C0A8010A");
    e.push_back("025C001F90");
    for (int sel = 0; sel < 2; ++sel)
        for (int k = 0; k <= 10; ++k)
            e.push_back("026300" + hx(static_cast<unsigned>(sel), 1) + hx(static_cast<unsigned>(k), 1) + chunk(sel == 0 ? a.apn : a.papLogin, k));
    for (int k = 0; k < 5; ++k) e.push_back("0265000" + std::to_string(k) + chunk(a.stationName, k));
    e.push_back("02750001");
    e.push_back("020A00");
    return e;
}

TEST_F(Chains, ModemWriteShortPath) {
    h.firmware = 207;
    h.startAndIdentify();
    fillModemArguments(h.args);
    h.session.counters().stringIndex = 3;
    h.session.counters().chunkIndex = 7;
    h.session.counters().textSelector = 2;
    const Codes sent = runChain(h, 23);
    EXPECT_EQ(sent.size(), 1u + 30 + 2 + 22 + 5 + 1 + 1);
    EXPECT_EQ(sent, expectedModemWrite(h.args, false));
}

TEST_F(Chains, ModemWriteWithBackupServer) {
    h.firmware = 215;
    h.startAndIdentify();
    fillModemArguments(h.args);
    EXPECT_EQ(runChain(h, 23), expectedModemWrite(h.args, true));
}

TEST_F(IdentifiedChains, PapPassword) {
    h.args.papPassword = "pa55word";
    Codes e;
    for (int k = 0; k <= 10; ++k) e.push_back("0263002" + hx(static_cast<unsigned>(k), 1) + chunk("pa55word", k));
    e.push_back("020A00");
    EXPECT_EQ(runChain(h, 29), e);
}

TEST_F(IdentifiedChains, AlarmThresholdsRead) {
    EXPECT_EQ(runChain(h, 28), (Codes{"025D0000", "025D0001", "025D0002", "025D0003", "025D0004", "025D0005", "025D0006",
                                      "025D0007", "025D0040", "025D0041", "025D0042", "025D0043", "026000", "025200",
                                      "020A00"}));
    EXPECT_EQ(h.events, (Events{"settings:17", "refresh:1"}));
}

TEST_F(IdentifiedChains, AlarmThresholdsWrite) {
    h.args.alarmRepeatTime = 6;
    h.args.alarmThresholds = {-150, 250, -1, 0, 800, 900, 1, 2};
    h.args.alarmHysteresis = {10, 20, 30, 40};
    h.args.alarmThresholdFlags = 0x00FF;
    h.session.counters().thresholdIndex = 70;   // the session starts at 0
    EXPECT_EQ(runChain(h, 40), (Codes{"0253000006",
                                      "025E0000FFFF6A", "025E00010000FA", "025E0002FFFFFF", "025E0003000000",
                                      "025E0004000320", "025E0005000384", "025E0006000001", "025E0007000002",
                                      "025E004000000A", "025E0041000014", "025E004200001E", "025E0043000028",
                                      "02610000FF", "020A00"}));
}

TEST_F(IdentifiedChains, ExceedanceSignalling) {
    EXPECT_EQ(runChain(h, 44), (Codes{"02680000", "02680001", "02680002", "02680003", "02680004", "02680005", "02680006",
                                      "02680007", "026A00", "026C00", "020A00"}));
    EXPECT_EQ(h.events, (Events{"settings:48", "refresh:1"}));

    h.args.exceedanceDelay = 5;
    h.args.exceedanceLimits = {-2, 3, 4, 5, 6, 7, 8, 0x123456};
    h.args.exceedanceFlags = 0x0003;
    h.session.counters().exceedanceIndex = 5;
    EXPECT_EQ(runChain(h, 49), (Codes{"026D000005", "02690000FFFFFE", "02690001000003", "02690002000004",
                                      "02690003000005", "02690004000006", "02690005000007", "02690006000008",
                                      "02690007123456", "026B000003", "020A00"}));
}

TEST_F(IdentifiedChains, SingleReadsAndWrites) {
    h.args.autoOffTime = 0x24;
    h.args.displayFlags = 0x0A0B;
    h.args.defaultPressure = 0x0140;
    h.args.historyDisplay = 2;
    h.args.batteryAlarm = 0x11;
    h.args.powerLossAlarm = 1;
    h.args.powerLossDelay = 30;
    const std::vector<std::pair<int, Codes>> cases = {
        {34, {"023400"}},       {35, {"02350024"}},     {36, {"023800"}},     {37, {"0239000A0B"}},
        {38, {"024000"}},       {39, {"0241000140"}},   {42, {"024800"}},     {43, {"0249000002"}},
        {50, {"026600"}},       {51, {"02670011"}},     {52, {"027100"}},     {53, {"02720001", "027300001E"}},
    };
    for (const auto& [command, frames] : cases) {
        Codes expected = frames;
        expected.push_back("020A00");
        EXPECT_EQ(runChain(h, command), expected) << command;
    }
}

TEST_F(IdentifiedChains, EveryAcceptedReplyIsReportedBeforeTheRefresh) {
    for (int command : {50, 34, 36, 42, 52, 38, 9}) {
        runChain(h, command);
        EXPECT_EQ(h.events, (Events{"settings:" + std::to_string(command), "refresh:1"})) << command;
    }
    // Poll replies and writes are reported too, in the order they came.
    h.accepted.clear();
    runChain(h, 35);
    EXPECT_EQ(h.accepted, (std::vector<int>{0, 35}));
    h.accepted.clear();
    h.answerUntilIdentity();
    EXPECT_EQ(h.accepted, (std::vector<int>{0, 4, 7, 3, 1, 2, 5}));
    // A refused reply is not.
    h.accepted.clear();
    h.session.requestCommand(PanelCommand::ReadAutoOff);
    h.answer();
    h.feed(test::refusedReply(34));
    EXPECT_EQ(h.accepted, (std::vector<int>{0}));
}

TEST_F(IdentifiedChains, ReadOutEventsFollowTheReplyListeners) {
    h.session.startMemoryReadout(false);
    h.session.memoryReadoutCancelled = true;   // stops right after 040000
    h.answerUntilIdentity();
    EXPECT_EQ(h.bodies(), (Codes{"024000", "040000", "020A00"}));
    EXPECT_EQ(h.events, (Events{"settings:38", "pressure", "settings:9", "total:8", "abort", "refresh:1"}));
    EXPECT_FALSE(h.session.memoryReadoutActive);
}

TEST_F(IdentifiedChains, RequestedChainsStartFromTheirOwnCounters) {
    // Stale counters left by an earlier chain do not leak into the next one.
    h.session.counters().thresholdIndex = 66;
    EXPECT_EQ(runChain(h, 28).front(), "025D0000");
    h.session.counters().exceedanceIndex = 7;
    EXPECT_EQ(runChain(h, 44).front(), "02680000");
    h.session.counters().textSelector = 1;
    h.session.counters().chunkIndex = 9;
    h.args.papPassword = "tajne";
    const Codes pap = runChain(h, 29);
    EXPECT_EQ(pap.front(), "02630020" + chunk("tajne", 0));
    EXPECT_EQ(pap.size(), 12u);
}

TEST(PanelSessionChains, ScriptedRepliesAreAcceptedAndRefusalsAreNot) {
    PanelState state;
    ReplyParser parser(state);
    for (int n = 1; n < kCommandCount; ++n) {
        const std::string ok = test::okReply(n);
        EXPECT_TRUE(parser.parse(ok.data(), ok.size(), n)) << n << " " << ok;
        if (kCommandTable[static_cast<std::size_t>(n)].refusedAt == kNoRefusalDigit) continue;
        const std::string refused = test::refusedReply(n);
        EXPECT_FALSE(parser.parse(refused.data(), refused.size(), n)) << n << " " << refused;
    }
}

struct AckRecorder : WriteAckListener {
    std::vector<int> acks;
    void onWriteAcknowledged(int commandNumber) override { acks.push_back(commandNumber); }
};

TEST_F(Chains, WriteAcknowledgementsReachTheAckListener) {
    AckRecorder recorder;
    h.session.setWriteAckListener(&recorder);
    h.startAndIdentify();
    runChain(h, 53);
    runChain(h, 35);
    EXPECT_EQ(recorder.acks, (std::vector<int>{54, 35}));
    EXPECT_EQ(h.state.powerLossWritten, 1);
    h.session.setWriteAckListener(nullptr);
    runChain(h, 37);
    EXPECT_EQ(recorder.acks.size(), 2u);
    EXPECT_EQ(h.state.displayFlagsWritten, 1);
}

// --- Memory read-out ---------------------------------------------------------

struct ReadOut : test::IdentifiedSessionFixture {
    void SetUp() override {
        IdentifiedSessionFixture::SetUp();
        h.reported.clear();   // only the read-out's own events
        h.memoryBlocks = 8;
        h.blockEmpty = [](int block) { return block >= 2; };
    }
    Codes start(bool fullDump = false) {
        h.port.clear();
        h.events.clear();
        h.session.counters().blockCounter = 5;   // stale: the read-out starts at block 0
        h.session.startMemoryReadout(fullDump);
        h.answerUntilIdentity(300);
        return h.bodies();
    }
};

TEST_F(ReadOut, EightBlocksWithBlocksTwoToSevenErased) {
    const Codes sent = start();
    EXPECT_EQ(sent, (Codes{"024000", "040000", "0410000000", "04110000", "0410000100", "04110001", "0410000200",
                           "0410000300", "0410000400", "0410000500", "0410000600", "0410000700", "0410000800", "020A00"}));
    EXPECT_EQ(h.events, (Events{"pressure", "total:8", "data:0:0", "data:1:16", "erased:2", "erased:3", "erased:4",
                                "erased:5", "erased:6", "erased:7", "erased:8", "finish", "refresh:1"}));
    EXPECT_FALSE(h.session.memoryReadoutActive);
    // Back in the poll cycle.
    h.answer();
    EXPECT_EQ(h.port.codes().back(), "010100");
}

TEST_F(ReadOut, FullDumpFetchesEveryBlock) {
    const Codes sent = start(true);
    Codes expected{"024000", "040000"};
    for (int b = 0; b < 8; ++b) {
        expected.push_back("041000" + hx(static_cast<unsigned>(b), 2) + "00");
        expected.push_back("041100" + hx(static_cast<unsigned>(b), 2));
    }
    expected.push_back("0410000800");
    expected.push_back("020A00");
    EXPECT_EQ(sent, expected);
    Events events{"pressure", "total:8"};
    for (int b = 0; b < 8; ++b) events.push_back("data:" + std::to_string(b) + ":" + std::to_string(b * 16));
    events.push_back("finish");
    events.push_back("refresh:1");
    EXPECT_EQ(h.events, events);
}

TEST_F(ReadOut, WithoutAnActiveReadOutThePressureReadEndsTheChain) {
    EXPECT_EQ(runChain(h, 38), (Codes{"024000", "020A00"}));
    EXPECT_EQ(h.events, (Events{"refresh:1"}));
}

TEST_F(ReadOut, CancelledMidWayAbortsAtTheNextStep) {
    h.port.clear();
    h.events.clear();
    h.session.startMemoryReadout(false);
    for (int i = 0; i < 5; ++i) h.answer();   // 010100, 024000, 040000, 041000 block 0, 041100 block 0
    EXPECT_EQ(h.bodies(), (Codes{"024000", "040000", "0410000000", "04110000", "0410000100"}));
    h.session.memoryReadoutCancelled = true;
    h.answer();
    EXPECT_EQ(h.bodies().back(), "020A00");
    EXPECT_EQ(h.events, (Events{"pressure", "total:8", "data:0:0", "abort", "refresh:1"}));
    EXPECT_FALSE(h.session.memoryReadoutActive);
}

TEST_F(ReadOut, WindowClosedByTheDataTimeOutEndsTheChain) {
    h.port.clear();
    h.events.clear();
    h.session.startMemoryReadout(false);
    for (int i = 0; i < 4; ++i) h.answer();   // up to 041000 block 0 answered: 041100 sent
    h.windowExists = false;
    h.answerUntilIdentity();
    EXPECT_EQ(h.bodies(), (Codes{"024000", "040000", "0410000000", "04110000", "020A00"}));
    EXPECT_FALSE(h.session.memoryReadoutActive);
    EXPECT_EQ(h.events, (Events{"pressure", "total:8", "refresh:1"}));
}

TEST_F(ReadOut, ReplyTimeOutsAbandonTheReadOut) {
    h.port.clear();
    h.events.clear();
    h.session.startMemoryReadout(false);
    for (int i = 0; i < 4; ++i) h.answer();
    h.clock.advance(24000);   // four time-outs on 041100
    EXPECT_EQ(h.port.codes().back(), "020A00");
    EXPECT_FALSE(h.session.memoryReadoutActive);
    // A later default-pressure read is just that.
    h.answerUntilIdentity();
    EXPECT_EQ(runChain(h, 38), (Codes{"024000", "020A00"}));
}

TEST_F(ReadOut, EmptyBlocksWithTheWindowGoneDeactivate) {
    h.blockEmpty = [](int) { return true; };
    h.port.clear();
    h.events.clear();
    h.session.startMemoryReadout(false);
    for (int i = 0; i < 3; ++i) h.answer();
    h.windowExists = false;
    h.answerUntilIdentity();
    EXPECT_EQ(h.bodies(), (Codes{"024000", "040000", "0410000000", "020A00"}));
    EXPECT_FALSE(h.session.memoryReadoutActive);
}

TEST_F(ReadOut, ReadOutAfterThePanelInformationChain) {
    h.session.memoryReadoutActive = true;
    h.session.counters().blockCounter = 0;
    h.memoryBlocks = 1;
    EXPECT_EQ(runChain(h, 25), (Codes{"060100", "040000", "0410000000", "04110000", "0410000100", "020A00"}));
}

TEST_F(ReadOut, AtMost256BlocksAreRead) {
    h.memoryBlocks = 300;
    h.blockEmpty = [](int) { return true; };
    const Codes sent = start();
    ASSERT_EQ(sent.size(), 2u + 256 + 1 + 1);
    EXPECT_EQ(sent[2 + 255], "041000FF00");
    EXPECT_EQ(sent[2 + 256], "0410000000");   // the closing select: block number 256 travels as 00
    EXPECT_EQ(h.events[h.events.size() - 2], "finish");
    EXPECT_FALSE(h.session.memoryReadoutActive);
}

}  // namespace
}  // namespace mr420
