// Session engine: time-outs, bad lines and the pause, line assembly, requests
// and the poll cycle, all under the virtual clock.
#include "protocol/PanelSession.h"

#include <gtest/gtest.h>

#include "base/TimerIds.h"
#include "support/SessionHarness.h"
#include "support/TestSupport.h"

namespace mr420 {
namespace {

using test::SessionHarness;
using Session = test::SessionFixture;
using IdentifiedSession = test::IdentifiedSessionFixture;
using Codes = std::vector<std::string>;

std::string withBadLrc(std::string reply) {
    // Change the LRC's last digit.
    char& c = reply[reply.size() - 3];
    c = c == '0' ? '1' : '0';
    return reply;
}

TEST_F(Session, StartShowsNoConnectionAndSendsTheIdentityCommand) {
    h.session.start();
    EXPECT_EQ(h.events, (std::vector<std::string>{"refresh:0"}));
    EXPECT_EQ(h.port.frames, (Codes{"020A00F4\r\n"}));
    EXPECT_EQ(h.clock.remaining(timer_id::kReplyTimeout), 6000);
}

TEST_F(Session, StartSendsAPendingRequestFirst) {
    h.session.requestCommand(PanelCommand(34));
    h.session.start();
    EXPECT_EQ(h.port.codes(), (Codes{"023400"}));
    EXPECT_EQ(h.session.pendingRequest(), 0);
}

TEST_F(Session, SilentPanelIsResentEverySixSecondsAndLosesConnectionEvery24) {
    h.session.start();
    std::vector<long long> refreshTimes;
    h.events.clear();
    for (int step = 1; step <= 12; ++step) {
        h.clock.advance(6000);
        if (!h.events.empty()) {
            EXPECT_EQ(h.events, (std::vector<std::string>{"refresh:0"}));
            refreshTimes.push_back(h.clock.now());
            h.events.clear();
        }
    }
    EXPECT_EQ(refreshTimes, (std::vector<long long>{24000, 48000, 72000}));
    ASSERT_EQ(h.port.frames.size(), 13u);
    for (std::size_t i = 0; i < h.port.frames.size(); ++i) {
        EXPECT_EQ(h.port.frames[i], "020A00F4\r\n");
        EXPECT_EQ(h.port.times[i], static_cast<long long>(i) * 6000);
    }
}

TEST_F(Session, WithoutAPortTimeOutsStillCountAndANewPortTakesTheNextResend) {
    h.session.setPort(nullptr);
    h.session.start();
    h.clock.advance(24000);
    EXPECT_EQ(h.events, (std::vector<std::string>{"refresh:0", "refresh:0"}));
    EXPECT_TRUE(h.port.frames.empty());
    h.session.requestCommand(PanelCommand(36));
    h.session.setPort(&h.port);
    h.clock.advance(6000);
    EXPECT_EQ(h.port.codes(), (Codes{"020A00"}));   // failure count 1: the same command again
    h.clock.advance(18000);
    EXPECT_EQ(h.port.codes(), (Codes{"020A00", "020A00", "020A00", "023800"}));
}

// The port gone: no communication at once, the half line dropped, the
// cycle afresh; the port back: that frame goes out now.
TEST_F(IdentifiedSession, APortLostMidCycleShowsNoConnectionAndItsReturnSendsAtOnce) {
    h.answer();   // the cycle goes on past the identity
    h.feed(":02");
    h.clock.advance(1000);
    h.session.portLost();
    EXPECT_EQ(h.events, (std::vector<std::string>{"refresh:0"}));
    EXPECT_EQ(std::pair(h.session.linePosition(), h.session.commandNumber()), std::pair(0, 0));
    h.session.portBack();
    EXPECT_EQ(std::pair(h.port.frames.back(), h.port.times.back()), std::pair(std::string("020A00F4\r\n"), 1000LL));
    EXPECT_EQ(h.clock.remaining(timer_id::kReplyTimeout), 6000);
}

TEST_F(IdentifiedSession, TimeOutsMidChainAbandonItForThePendingRequestOrTheCycle) {
    h.session.requestCommand(PanelCommand(44));
    h.answer();   // 010100 answered, 026800 index 0 sent
    h.answer();   // index 1
    EXPECT_EQ(h.bodies().back(), "02680001");
    h.clock.advance(18000);
    h.session.requestCommand(PanelCommand(50));
    h.clock.advance(6000);
    EXPECT_EQ(h.bodies(), (Codes{"02680000", "02680001", "02680001", "02680001", "02680001", "026600"}));
    EXPECT_EQ(h.events.back(), "refresh:0");
}

TEST_F(IdentifiedSession, BadRepliesAreAnsweredWithTheSameFrameOnceTheLineIsQuiet) {
    // awaiting 010100
    h.feed(withBadLrc(h.replyTo(4)));     // checksum
    h.clock.advance(timer_id::kLineQuietMs - 1);
    EXPECT_TRUE(h.port.frames.empty());
    EXPECT_EQ(h.port.expectedLengths.back(), 0u);   // the port hands over what comes as it comes
    h.clock.advance(1);
    h.feed(h.replyTo(7));                 // wrong prefix
    h.clock.advance(timer_id::kLineQuietMs);
    h.feed(test::replyWithLrc("010100:00"));   // a probe reply without fields is accepted
    EXPECT_EQ(h.port.codes(), (Codes{"010100", "010100", "030000"}));
    EXPECT_EQ(h.session.failureCount(), 0);
}

TEST_F(IdentifiedSession, RefusedWriteIsRetried) {
    h.session.requestCommand(PanelCommand(35));
    h.answer();
    h.feed(test::refusedReply(35));
    EXPECT_EQ(h.session.failureCount(), 1);
    h.answer();
    EXPECT_EQ(h.port.codes(), (Codes{"023500", "023500", "020A00"}));
}

TEST_F(IdentifiedSession, EleventhBadLinePausesFiftyMillisecondsThenRestartsTheCycle) {
    h.answer();   // 010100 -> 030000
    h.port.clear();
    h.events.clear();
    const std::string bad = withBadLrc(h.replyTo(7));
    for (int i = 0; i < 10; ++i) {
        h.feed(bad);
        h.clock.advance(timer_id::kLineQuietMs);
    }
    EXPECT_EQ(h.session.failureCount(), 10);
    EXPECT_EQ(h.port.frames.size(), 10u);
    h.clock.advance(3);
    h.feed(bad);   // the eleventh
    EXPECT_TRUE(h.session.pausing());
    EXPECT_EQ(h.port.frames.size(), 10u);
    EXPECT_FALSE(h.clock.isActive(timer_id::kReplyTimeout));

    // What arrives during the pause is dropped, a complete reply included.
    h.clock.advance(20);
    h.feed("020A00:04");
    h.feed(h.replyTo(7));
    EXPECT_EQ(h.port.frames.size(), 10u);
    h.clock.advance(29);
    EXPECT_EQ(h.port.frames.size(), 10u);
    EXPECT_TRUE(h.events.empty());
    h.clock.advance(1);
    ASSERT_EQ(h.port.frames.size(), 11u);
    EXPECT_EQ(h.port.last(), "020A00F4\r\n");
    EXPECT_EQ(h.port.times.back(), 10 * timer_id::kLineQuietMs + 53);
    EXPECT_EQ(h.events, (std::vector<std::string>{"refresh:1"}));
    EXPECT_FALSE(h.session.pausing());
    EXPECT_EQ(h.session.failureCount(), 0);
    EXPECT_FALSE(h.clock.isActive(timer_id::kFailurePause));
    EXPECT_EQ(h.clock.remaining(timer_id::kReplyTimeout), 6000);
    EXPECT_EQ(h.session.linePosition(), 0);

    // The line is clean: the next reply is accepted.
    h.answer();
    EXPECT_EQ(h.port.codes().back(), "010100");
}

TEST_F(IdentifiedSession, PauseEndsWithThePendingRequestAndShowsTheMeasurementError) {
    h.feed(h.replyTo(4));
    h.state.measurementError = 1;
    for (int i = 0; i < 11; ++i) h.feed("garbage\r\n");
    h.session.requestCommand(PanelCommand(42));
    h.port.clear();
    h.events.clear();
    h.clock.advance(50);
    EXPECT_EQ(h.port.codes(), (Codes{"024800"}));
    EXPECT_TRUE(h.events.empty());   // not the cycle's start: no refresh
    h.state.measurementError = 0;
}

TEST_F(IdentifiedSession, BadLinesAndTimeOutsShareOneCounter) {
    h.feed("bad\r\n");
    h.feed("bad\r\n");
    EXPECT_EQ(h.session.failureCount(), 2);
    h.clock.advance(timer_id::kLineQuietMs + 6000);   // one resend for both lines
    EXPECT_EQ(h.session.failureCount(), 3);
    EXPECT_TRUE(h.events.empty());
    h.clock.advance(6000);
    EXPECT_EQ(h.events, (std::vector<std::string>{"refresh:0"}));
    EXPECT_EQ(h.session.failureCount(), 0);
    EXPECT_EQ(h.port.codes(), (Codes{"010100", "010100", "020A00"}));

    // Nine time-outs' worth of failures plus two bad lines reach the pause.
    SessionHarness g;
    g.startAndIdentify();
    for (int i = 0; i < 3; ++i) g.clock.advance(6000);
    for (int i = 0; i < 7; ++i) g.feed("bad\r\n");
    EXPECT_EQ(g.session.failureCount(), 10);
    g.feed("bad\r\n");
    EXPECT_TRUE(g.session.pausing());
}

TEST_F(Session, UnfinishedLineIsJoinedToTheReplyAfterTheResend) {
    h.session.start();
    h.feed("020A00:0420:00");
    EXPECT_EQ(h.session.linePosition(), 14);
    h.clock.advance(6000);
    EXPECT_EQ(h.session.linePosition(), 14);
    EXPECT_EQ(h.session.failureCount(), 1);
    EXPECT_EQ(h.port.frames.size(), 1u);   // the line has not been quiet
    h.clock.advance(timer_id::kLineQuietMs);
    h.answer();   // joined to the remains: fails
    EXPECT_EQ(h.session.failureCount(), 2);
    EXPECT_EQ(h.session.linePosition(), 0);
    h.clock.advance(timer_id::kLineQuietMs);
    h.answer();
    EXPECT_EQ(h.session.failureCount(), 0);
    EXPECT_EQ(h.port.codes(), (Codes{"020A00", "020A00", "020A00", "010100"}));
}

TEST_F(IdentifiedSession, IgnoredLinesBetweenCommandAndReplySendNothing) {
    h.clock.advance(1000);
    h.feed("09123456\r\n");
    h.feed("\r\n");
    h.feed("09\r\n");
    EXPECT_TRUE(h.port.frames.empty());
    EXPECT_EQ(h.session.failureCount(), 0);
    EXPECT_EQ(h.clock.remaining(timer_id::kReplyTimeout), 5000);   // still the first send's timer
    h.answer();
    EXPECT_EQ(h.port.codes(), (Codes{"030000"}));
}

TEST_F(IdentifiedSession, ReceiveLineHoldsAtMost999Characters) {
    // 997 characters + CR LF = 999: parsed, a bad line.
    h.feed(std::string(997, 'A') + "\r\n");
    EXPECT_EQ(h.session.failureCount(), 1);
    h.clock.advance(timer_id::kLineQuietMs);
    EXPECT_EQ(h.port.frames.size(), 1u);
    // 998 + CR LF: the LF is the thousandth character and is dropped with the line.
    h.feed(std::string(998, 'A') + "\r\n");
    EXPECT_EQ(h.session.failureCount(), 1);
    EXPECT_EQ(h.session.linePosition(), 0);
    EXPECT_EQ(h.port.frames.size(), 1u);
    // What follows starts a new line.
    h.answer();
    EXPECT_EQ(h.session.failureCount(), 0);
    EXPECT_EQ(h.port.codes().back(), "030000");
}

TEST_F(IdentifiedSession, RequestMidCycleIsSentNextAndTheLastOneWins) {
    // old firmware, awaiting 010100
    h.answer();             // -> 030000
    h.session.requestCommand(PanelCommand(34));
    h.session.requestCommand(PanelCommand(36));
    EXPECT_EQ(h.session.pendingRequest(), 36);
    h.answer();
    EXPECT_EQ(h.port.codes().back(), "023800");
    EXPECT_EQ(h.session.pendingRequest(), 0);
    h.events.clear();
    h.answer();
    EXPECT_EQ(h.events, (std::vector<std::string>{"settings:36", "refresh:1"}));
    EXPECT_EQ(h.port.codes().back(), "020A00");
}

TEST_F(IdentifiedSession, RequestMidChainAbandonsTheChain) {
    h.session.requestCommand(PanelCommand(28));
    for (int i = 0; i < 4; ++i) h.answer();   // 010100, thresholds 0, 1, 2
    h.session.requestCommand(PanelCommand(50));
    h.answer();   // threshold 3
    h.events.clear();
    h.answer();   // 026600
    EXPECT_EQ(h.bodies(), (Codes{"025D0000", "025D0001", "025D0002", "025D0003", "026600", "020A00"}));
    EXPECT_EQ(h.events, (std::vector<std::string>{"settings:50", "refresh:1"}));
}

struct CycleCase {
    const char* name;
    int firmware;
    bool mr411Supported, mr466Supported, mr411Present, mr466Present;
    Codes cycle;
};

class PollCycle : public ::testing::TestWithParam<CycleCase> {};

TEST_P(PollCycle, FollowsFirmwareAndProbes) {
    const CycleCase& c = GetParam();
    SessionHarness h;
    h.firmware = c.firmware;
    h.mr411Supported = c.mr411Supported;
    h.mr466Supported = c.mr466Supported;
    h.mr411Present = c.mr411Present;
    h.mr466Present = c.mr466Present;
    h.session.start();
    // Two full cycles: the first one learns the probes.
    h.answerUntilIdentity();
    h.port.clear();
    h.events.clear();
    h.answerUntilIdentity();
    Codes expected = c.cycle;
    expected.erase(expected.begin());
    expected.push_back("020A00");
    EXPECT_EQ(h.port.codes(), expected);
    EXPECT_EQ(h.events, (std::vector<std::string>{"refresh:1"}));
}

INSTANTIATE_TEST_SUITE_P(
    Session, PollCycle,
    ::testing::Values(
        CycleCase{"OldFirmware", 107, false, false, true, true,
                  {"020A00", "010100", "030000", "020000", "050100", "020200", "020100"}},
        CycleCase{"OldFirmwareWithoutMr411", 100, true, true, false, false,
                  {"020A00", "010100", "030000", "050100", "020200", "020100"}},
        CycleCase{"NewFirmwareMr411Only", 108, true, false, true, false,
                  {"020A00", "010100", "030000", "020000", "020100"}},
        CycleCase{"NewFirmwareMr466Only", 108, false, true, false, true,
                  {"020A00", "030000", "050100", "020200", "020100"}},
        CycleCase{"NewFirmwareMr466Absent", 210, false, true, false, false,
                  {"020A00", "030000", "050100", "020100"}},
        CycleCase{"NewFirmwareBoth", 130, true, true, true, true,
                  {"020A00", "010100", "030000", "020000", "050100", "020200", "020100"}},
        CycleCase{"NewFirmwareMr411AbsentBoth", 130, true, true, false, true,
                  {"020A00", "010100", "030000", "050100", "020200", "020100"}},
        CycleCase{"NewFirmwareNeither", 130, false, false, false, false, {"020A00", "030000", "020100"}}),
    [](const ::testing::TestParamInfo<CycleCase>& info) { return std::string(info.param.name); });

TEST_F(Session, BeforeTheFirstIdentityTheCycleIsThatOfOldFirmware) {
    h.session.start();
    // The identity reply fails: the firmware stays 0.
    h.feed(test::replyWithLrc("020A00:0421:00"));
    h.clock.advance(timer_id::kLineQuietMs);
    EXPECT_EQ(h.state.firmwareVersion, 0);
    EXPECT_EQ(h.port.codes(), (Codes{"020A00", "020A00"}));
}

TEST_F(Session, CycleEndReportsTheMeasurementError) {
    h.firmware = 130;
    h.session.start();
    h.answerUntilIdentity();
    EXPECT_EQ(h.events.back(), "refresh:1");
    h.feed(test::identityReply(130, true, true, /*measurementError=*/true));
    h.answerUntilIdentity();
    EXPECT_EQ(h.events.back(), "refresh:0");
}

}  // namespace
}  // namespace mr420
