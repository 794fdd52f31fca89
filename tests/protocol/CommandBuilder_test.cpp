#include "protocol/CommandBuilder.h"

#include <gtest/gtest.h>

#include "protocol/Frame.h"
#include "protocol/PanelCommand.h"
#include "base/TimerIds.h"
#include "support/FakePort.h"
#include "support/VirtualClock.h"

namespace mr420 {
namespace {

std::string frame(int command, const WriteArguments& a = {}, const ChainCounters& c = {}) {
    return CommandBuilder::buildFrame(command, a, c);
}

TEST(CommandBuilder, FixedFramesAreSentAsTheyStand) {
    EXPECT_EQ(frame(0), "020A00F4\r\n");
    EXPECT_EQ(frame(15), "041500E7\r\n");
    EXPECT_EQ(frame(22), "026400009A\r\n");
    EXPECT_EQ(frame(38), "024000BE\r\n");
    EXPECT_EQ(frame(61), "027A0084\r\n");
}

TEST(CommandBuilder, EveryFrameHasAValidLrcAndOneOfTheFourLengths) {
    WriteArguments a;
    a.clockSeconds = 0xFEDCBA98;
    a.smsNumbers[5] = "+48600100200  ";
    a.alarmThresholds = {-1, -8388608, 5, 99, 4, 5, 6, 7};
    ChainCounters c;
    c.stringIndex = 5;
    c.chunkIndex = 4;
    c.blockCounter = 0xAB;
    for (int n = 0; n < kCommandCount; ++n) {
        const std::string f = frame(n, a, c);
        ASSERT_GE(f.size(), 4u) << n;
        EXPECT_EQ(f.substr(0, 6), kCommandTable[static_cast<std::size_t>(n)].code) << n;
        EXPECT_EQ(f.substr(f.size() - 2), "\r\n") << n;
        EXPECT_TRUE(checksumValid(f.data(), f.size())) << n << " " << f;
        const std::size_t size = f.size();   // CR LF included
        EXPECT_TRUE(size == 10 || size == 12 || size == 14 || size == 18) << n << " " << f;
        const std::size_t body = size - 2;
        // Upper-case hex only.
        for (std::size_t i = 0; i < body; ++i) EXPECT_TRUE((f[i] >= '0' && f[i] <= '9') || (f[i] >= 'A' && f[i] <= 'F')) << n << " " << f;
    }
}

TEST(CommandBuilder, NumbersOutsideTheTableGiveNoFrame) {
    EXPECT_EQ(frame(-1), "");
    EXPECT_EQ(frame(63), "");
}

TEST(CommandBuilder, WorkedExamples) {
    WriteArguments a;
    ChainCounters c;
    a.clockSeconds = 0x12345678;
    EXPECT_EQ(frame(8, a, c), "03100012345678D9\r\n");

    a.alarmThresholds[2] = -150;
    c.thresholdIndex = 2;
    EXPECT_EQ(frame(32, a, c), "025E0002FFFF6A36\r\n");
    a.alarmThresholds[5] = 300;
    c.thresholdIndex = 5;
    EXPECT_EQ(frame(32, a, c), "025E000500012C6E\r\n");

    c.stringIndex = 3;
    c.chunkIndex = 4;
    a.smsNumbers[3] = "ABCDEFGHIJKLMN";   // characters 12, 13 and the padding position 14
    EXPECT_EQ(frame(24, a, c), "025500344D4E20BA\r\n");
}

TEST(CommandBuilder, ThresholdAndHysteresisIndices) {
    WriteArguments a;
    ChainCounters c;
    a.alarmThresholds[0] = -8388608;   // most negative 24-bit value
    c.thresholdIndex = 0;
    EXPECT_EQ(frame(32, a, c).substr(0, 14), "025E0000800000");
    a.alarmThresholds[3] = 0x7FFFFF;
    c.thresholdIndex = 3;
    EXPECT_EQ(frame(32, a, c).substr(0, 14), "025E00037FFFFF");
    a.alarmHysteresis = {15, 1, 2, 0x123};
    c.thresholdIndex = 64;
    EXPECT_EQ(frame(32, a, c), "025E004000000F51\r\n");
    c.thresholdIndex = 67;
    EXPECT_EQ(frame(32, a, c), "025E004300012339\r\n");
    c.thresholdIndex = 65;
    EXPECT_EQ(frame(28, a, c), "025D004160\r\n");
}

TEST(CommandBuilder, ExceedanceLimitsAreSigned24BitForTheFirstFour) {
    WriteArguments a;
    ChainCounters c;
    a.exceedanceLimits[1] = -1;
    c.exceedanceIndex = 1;
    EXPECT_EQ(frame(45, a, c), "02690001FFFFFF97\r\n");
    a.exceedanceLimits[7] = 0x00ABCD;
    c.exceedanceIndex = 7;
    EXPECT_EQ(frame(45, a, c).substr(0, 14), "0269000700ABCD");
    EXPECT_EQ(frame(44, a, c).substr(0, 8), "02680007");
}

TEST(CommandBuilder, PinIsFourDigitCharacterCodes) {
    WriteArguments a;
    a.pin = 7;
    EXPECT_EQ(frame(41, a), "02560030303037E1\r\n");
    a.pin = 1234;
    EXPECT_EQ(frame(41, a), "02560031323334DE\r\n");
    a.pin = 0;
    EXPECT_EQ(frame(41, a).substr(0, 14), "02560030303030");
}

TEST(CommandBuilder, TextChunksPadShortTextsWithSpaces) {
    WriteArguments a;
    ChainCounters c;
    // An empty number: three spaces.
    c.stringIndex = 0;
    c.chunkIndex = 0;
    EXPECT_EQ(frame(24, a, c), "0255000020202049\r\n");

    // Long texts: selector and chunk as one hex digit each, chunk 10 is "A".
    a.apn = "internet";
    c.textSelector = 0;
    c.chunkIndex = 0;
    EXPECT_EQ(frame(29, a, c), "02630000696E7450\r\n");
    a.papPassword = "secret";
    c.textSelector = 2;
    c.chunkIndex = 10;
    EXPECT_EQ(frame(29, a, c), "0263002A20202011\r\n");
    a.papLogin = std::string(32, 'x');
    c.textSelector = 1;
    c.chunkIndex = 10;
    EXPECT_EQ(frame(29, a, c).substr(0, 14), "0263001A787820");   // characters 30, 31, then padding

    a.stationName = "Station";
    c.chunkIndex = 1;
    EXPECT_EQ(frame(30, a, c), "0265000174696F4C\r\n");
    c.chunkIndex = 4;
    EXPECT_EQ(frame(30, a, c).substr(0, 14), "02650004202020");
}

TEST(CommandBuilder, CounterDigitsAndBlockNumbers) {
    ChainCounters c;
    c.stringIndex = 5;
    EXPECT_EQ(frame(18, {}, c), "02540005A5\r\n");
    c.stringIndex = 0;
    EXPECT_EQ(frame(18, {}, c), "02540000AA\r\n");
    c.longTextIndex = 1;
    EXPECT_EQ(frame(21, {}, c), "026200019B\r\n");
    c.longTextIndex = 0;
    EXPECT_EQ(frame(21, {}, c), "026200009C\r\n");
    c.blockCounter = 0x1F;
    EXPECT_EQ(frame(13, {}, c), "0410001F00CD\r\n");
    EXPECT_EQ(frame(14, {}, c), "0411001FCC\r\n");
}

TEST(CommandBuilder, PlainDataFields) {
    WriteArguments a;
    a.serverAddress = {192, 168, 1, 10};
    EXPECT_EQ(frame(26, a), "025A00C0A8010A31\r\n");
    a.backupServerAddress = {10, 0, 0, 1};
    EXPECT_EQ(frame(58, a).substr(0, 14), "0277000A000001");
    a.autoOffTime = 0x0C;
    EXPECT_EQ(frame(35, a), "0235000CBD\r\n");
    a.connectionAttemptsPerDay = 0x0102;
    EXPECT_EQ(frame(62, a), "027B00010280\r\n");
    a.loggingInterval = 0xBEEF;
    EXPECT_EQ(frame(10, a).substr(0, 10), "040100BEEF");
    a.powerLossDelay = 0x3C;
    EXPECT_EQ(frame(54, a).substr(0, 10), "027300003C");
}

TEST(CommandBuilder, SendRestartsTheReplyTimerEvenWithoutAPort) {
    test::VirtualClock clock;
    WriteArguments a;
    ChainCounters c;
    ReceivedReplies received;
    CommandBuilder builder(clock, a, c, received);
    builder.sendCurrent(0);
    EXPECT_EQ(clock.remaining(timer_id::kReplyTimeout), 6000);
    clock.advance(4000);
    builder.sendCurrent(5);
    EXPECT_EQ(clock.remaining(timer_id::kReplyTimeout), 6000);

    test::FakePort port;
    builder.setPort(&port);
    builder.sendCurrent(5);
    ASSERT_EQ(port.frames.size(), 1u);
    EXPECT_EQ(port.last(), "020100FD\r\n");

    clock.advance(1000);
    builder.sendCurrent(99);
    EXPECT_EQ(port.frames.size(), 1u);
    EXPECT_EQ(clock.remaining(timer_id::kReplyTimeout), 6000);

    builder.setPort(nullptr);
    builder.sendCurrent(0);
    EXPECT_EQ(port.frames.size(), 1u);
}

TEST(CommandBuilder, SendUsesTheCurrentArgumentsAndCounters) {
    test::VirtualClock clock;
    test::FakePort port;
    WriteArguments a;
    ChainCounters c;
    ReceivedReplies received;
    CommandBuilder builder(clock, a, c, received);
    builder.setPort(&port);
    c.blockCounter = 2;
    builder.sendCurrent(14);
    c.blockCounter = 3;
    builder.sendCurrent(14);
    a.displayFlags = 0x0F0F;
    builder.sendCurrent(37);
    ASSERT_EQ(port.frames.size(), 3u);
    EXPECT_EQ(port.frames[0].substr(0, 8), "04110002");
    EXPECT_EQ(port.frames[1].substr(0, 8), "04110003");
    EXPECT_EQ(port.frames[2].substr(0, 10), "0239000F0F");
}

}  // namespace
}  // namespace mr420

namespace mr420 {
namespace {

TEST(CommandBuilder, AnnouncesTheLearntReplyLengthButNeverLessThanTheMinimum) {
    test::VirtualClock clock;
    WriteArguments args;
    ChainCounters counters;
    ReceivedReplies received;
    CommandBuilder builder(clock, args, counters, received);
    test::FakePort port;
    builder.setPort(&port);

    builder.sendCurrent(toNumber(PanelCommand::Identity));
    received.noteLength(toNumber(PanelCommand::Identity), 39);
    builder.sendCurrent(toNumber(PanelCommand::Identity));
    received.forgetLengths();
    received.noteLength(toNumber(PanelCommand::Identity), 12);   // shorter than any valid reply
    builder.sendCurrent(toNumber(PanelCommand::Identity));
    builder.sendCurrent(toNumber(PanelCommand::Mr466Info));     // no minimum, nothing learnt

    EXPECT_EQ(port.expectedLengths, (std::vector<std::size_t>{25, 39, 25, 0}));
    EXPECT_EQ(port.frames.size(), 4u);
    EXPECT_EQ(builder.expectedReplyLength(99), 0u);
}

}  // namespace
}  // namespace mr420
