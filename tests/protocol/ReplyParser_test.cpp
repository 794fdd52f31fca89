#include "protocol/ReplyParser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "protocol/Frame.h"
#include "protocol/PanelCommand.h"
#include "support/StateFields.h"
#include "support/TestSupport.h"

namespace mr420 {
namespace {

using ::testing::StrictMock;
using test::replyWithLrc;

class MockAck : public WriteAckListener {
public:
    MOCK_METHOD(void, onWriteAcknowledged, (int commandNumber), (override));
};

// A reply of `length` characters: the code, a colon, digits from position 7 up
// to the LRC (a colon before the LRC when the count would be odd), the LRC and
// CR LF. `fields` puts characters at given positions.
std::string lineOfLength(std::string_view code, std::size_t length, const std::map<std::size_t, std::string>& fields = {}) {
    std::string text(code);
    text += ':';
    const std::size_t textLength = length - 4;
    const bool colonBeforeLrc = (textLength - 7) % 2 != 0;
    text.append(textLength - 7 - (colonBeforeLrc ? 1 : 0), '0');
    for (const auto& [pos, value] : fields) {
        EXPECT_LE(pos + value.size(), text.size()) << "field outside the digits";
        text.replace(pos, value.size(), value);
    }
    if (colonBeforeLrc) text += ':';
    std::string line = replyWithLrc(text);
    EXPECT_EQ(line.size(), length);
    EXPECT_TRUE(checksumValid(line.data(), line.size()));
    return line;
}

// The shortest such reply that holds every field.
std::string digitsReply(std::string_view code, const std::map<std::size_t, std::string>& fields) {
    std::size_t end = 7;
    for (const auto& [pos, value] : fields) end = std::max(end, pos + value.size());
    if ((end - 7) % 2 != 0) ++end;
    return lineOfLength(code, end + 4, fields);
}

std::string hexText(const std::string& bytes) {
    std::string out;
    for (char c : bytes) appendHex(out, static_cast<unsigned char>(c), 2);
    return out;
}

std::string padded(std::string digits, std::size_t count) {
    digits.resize(std::max(count, digits.size()), '0');
    return digits;
}

using test::Field;

struct Reply {
    std::string line;
    PanelCommand command;
    bool accepted;
    std::vector<Field> fields;
    void (*before)(PanelState&) = nullptr;   // sets the state up for this reply
};

class ReplyParserTest : public ::testing::Test {
protected:
    // Each line as the first of a connection: these tests are about fields.
    bool parse(const std::string& line, PanelCommand command) {
        state.received.forgetLengths();
        return parser.parse(line.data(), line.size(), toNumber(command));
    }
    // Parses the replies in turn on the same state, checking each one's fields.
    void expectReplies(const std::vector<Reply>& replies) {
        for (std::size_t i = 0; i < replies.size(); ++i) {
            const Reply& r = replies[i];
            SCOPED_TRACE("reply " + std::to_string(i + 1) + " " + r.line.substr(0, 48));
            if (r.before) r.before(state);
            EXPECT_EQ(parse(r.line, r.command), r.accepted);
            test::expectFields(state, r.fields);
        }
    }

    PanelState state;
    StrictMock<MockAck> ack;
    ReplyParser parser{state, &ack};
};

// ---- frame level -------------------------------------------------------

TEST_F(ReplyParserTest, ChecksumMustSumToZero) {
    const std::string good = replyWithLrc("020100:0000:2710");
    ASSERT_TRUE(parse(good, PanelCommand::Pressure));

    // Same reply with the LRC one higher: the bytes sum to 1 modulo 256.
    std::string off = good;
    const int lrc = hexDigitValue(off[16]) * 16 + hexDigitValue(off[17]);
    std::string bumped;
    appendHex(bumped, static_cast<std::uint32_t>((lrc + 1) & 0xFF), 2);
    off.replace(16, 2, bumped);
    state.pressure = 0;
    EXPECT_FALSE(parse(off, PanelCommand::Pressure));
    EXPECT_EQ(state.pressure, 0);
}

TEST_F(ReplyParserTest, LowerCaseHexFailsTheChecksum) {
    std::string line = replyWithLrc("020A00:0420:000108:000000101234:8019");
    std::transform(line.begin(), line.end(), line.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_FALSE(checksumValid(line.data(), line.size()));
    EXPECT_FALSE(parse(line, PanelCommand::Identity));
    EXPECT_EQ(state.firmwareVersion, 0);
}

TEST_F(ReplyParserTest, WrongPrefixOrCommandNumberFails) {
    const std::string pressureReply = replyWithLrc("020100:0000:2710");
    EXPECT_FALSE(parse(pressureReply, PanelCommand::Mr411Readings));
    EXPECT_FALSE(parser.parse(pressureReply.data(), pressureReply.size(), 63));
    EXPECT_FALSE(parser.parse(pressureReply.data(), pressureReply.size(), -1));
    EXPECT_EQ(state.pressure, 0);
    // The colon after the code is part of the prefix.
    EXPECT_FALSE(parse(replyWithLrc("0201000000:2710"), PanelCommand::Pressure));
    EXPECT_TRUE(parse(pressureReply, PanelCommand::Pressure));
}

TEST_F(ReplyParserTest, UnsolicitedAndEmptyLinesAreIgnored) {
    EXPECT_FALSE(parse("09123456\r\n", PanelCommand::Identity));
    EXPECT_EQ(state.ignoredLine, 1);
    EXPECT_EQ(state.measurementError, 0);

    ASSERT_TRUE(parse(replyWithLrc("020100:0000:2710"), PanelCommand::Pressure));
    EXPECT_EQ(state.ignoredLine, 0);

    EXPECT_FALSE(parse("\r\n", PanelCommand::Pressure));
    EXPECT_EQ(state.ignoredLine, 1);

    // A bad line is a failure, not an ignored line.
    EXPECT_FALSE(parse("XYZ\r\n", PanelCommand::Pressure));
    EXPECT_EQ(state.ignoredLine, 0);
}

TEST_F(ReplyParserTest, KeepsAZeroTerminatedCopyOfTheLine) {
    const std::string line = replyWithLrc("020100:0000:2710");
    parse(line, PanelCommand::Pressure);
    EXPECT_EQ(state.lineLength, static_cast<int>(line.size()));
    EXPECT_STREQ(state.lineCopy.data(), line.c_str());

    // A shorter line leaves nothing of the longer one behind the terminator.
    parse("\r\n", PanelCommand::Pressure);
    EXPECT_EQ(state.lineLength, 2);
    EXPECT_STREQ(state.lineCopy.data(), "\r\n");

    const std::string huge(1500, 'A');
    parse(huge, PanelCommand::Pressure);
    EXPECT_EQ(state.lineLength, kLineCopySize - 1);
    EXPECT_EQ(state.lineCopy[kLineCopySize - 1], '\0');
    EXPECT_EQ(std::string(state.lineCopy.data()), huge.substr(0, kLineCopySize - 1));
}

TEST_F(ReplyParserTest, LinesLongerThanTheCopyAreDecodedWhole) {
    // The checksum spans all 1201 characters and the fields are still read.
    const std::string line = lineOfLength("020B00", 1201, {{11, "3"}});
    EXPECT_TRUE(parse(line, PanelCommand::Options));
    EXPECT_EQ(state.printerSupported, 1);
    EXPECT_EQ(state.modemSupported, 1);
}

TEST_F(ReplyParserTest, OddContentNeverCrashes) {
    EXPECT_FALSE(parser.parse(nullptr, 0, 0));
    EXPECT_FALSE(parser.parse("", 0, 5));
    const std::string junk("\0\x80\xFF:\r\n\0", 7);
    for (int n = -1; n <= 63; ++n) parser.parse(junk.data(), junk.size(), n);
    // A NUL would count as the digit 0 in the checksum: the line is refused all the same.
    const std::string withNul = replyWithLrc(std::string("020100:0000:27\0\0", 16));
    EXPECT_FALSE(parse(withNul, PanelCommand::Pressure));
    EXPECT_EQ(parser.verdict(), ReplyVerdict::BadLine);
    EXPECT_EQ(state.pressure, 0);
}

// Damage the checksum cannot see, on one connection: a non-hex character
// where a '0' was, a lost colon, a lost line end, a reply for another slot.
TEST_F(ReplyParserTest, DamagedLinesThatPassTheChecksumAreBadLines) {
    const std::string pressure = replyWithLrc("020100:0000:2710"), slot = replyWithLrc("025D00:41:00:000014");
    const std::tuple<std::string, int, ReplyVerdict> cases[] = {
        {pressure, kNoIndex, ReplyVerdict::Accepted}, {replyWithLrc("020100:00x0:2710"), kNoIndex, ReplyVerdict::BadLine},
        {std::string(pressure).erase(11, 1), kNoIndex, ReplyVerdict::BadLine}, {pressure + "\r\n", kNoIndex, ReplyVerdict::BadLine},
        {slot, 0x41, ReplyVerdict::Accepted}, {slot, 0x42, ReplyVerdict::WrongIndex}};
    for (const auto& [line, index, verdict] : cases) {
        const int command = toNumber(index == kNoIndex ? PanelCommand::Pressure : PanelCommand::ReadThreshold);
        EXPECT_EQ(parser.parse(line.data(), line.size(), command, index), verdict == ReplyVerdict::Accepted) << line;
        EXPECT_EQ(parser.verdict(), verdict) << line;
    }
    state.received.clear();   // a new connection learns the length afresh
    const std::string shorter = replyWithLrc("020100:00:2710");
    EXPECT_TRUE(parser.parse(shorter.data(), shorter.size(), toNumber(PanelCommand::Pressure)));
}

// ---- identity ----------------------------------------------------------

// "020A00:0420:" + firmware major/minor at 14/16, status digit 25, serial at
// 27, panel flags at 32..35.
const std::string kIdentity = "020A00:0420:000108:000000101234:8019";

TEST_F(ReplyParserTest, IdentityReply) {
    expectReplies({
        {replyWithLrc(kIdentity), PanelCommand::Identity, true,
         {FIELD(firmwareVersion, 108), FIELD(measurementError, 1), FIELD(panelSerialNumber, 0x1234), FIELD(mr411Supported, 1),
          FIELD(mr466Supported, 1), FIELD(mr411Absent, 0), FIELD(mr466Absent, 0)}},
        {replyWithLrc("020A00:0420:00020A:000000001234:8010"), PanelCommand::Identity, true,
         {FIELD(firmwareVersion, 210), FIELD(measurementError, 0), FIELD(mr411Supported, 0), FIELD(mr411Absent, 1),
          FIELD(mr466Supported, 1), FIELD(mr466Absent, 0)}},
    });
}

TEST_F(ReplyParserTest, IdentityPrefixMismatchOrShortSetsMeasurementError) {
    const std::string short24 = replyWithLrc("020A00:0420:00010800");
    ASSERT_EQ(short24.size(), 24u);
    const auto noError = [](PanelState& s) { s.measurementError = 0; };
    expectReplies({
        {replyWithLrc("020A00:0421:000108:000000101234:8019"), PanelCommand::Identity, false,
         {FIELD(measurementError, 1), FIELD(firmwareVersion, 0)}},
        {short24, PanelCommand::Identity, false, {FIELD(measurementError, 1), FIELD(firmwareVersion, 0)}, noError},
        // Too short even for the prefix.
        {replyWithLrc("020A00:04"), PanelCommand::Identity, false, {FIELD(measurementError, 1)}, noError},
    });
}

TEST_F(ReplyParserTest, IdentityWithoutSupportBitsMarksBothProbesAbsent) {
    const std::string line25 = replyWithLrc("020A00:0420:000108:00"), line33 = replyWithLrc("020A00:0420:000108:0000001012"),
                      line35 = replyWithLrc("020A00:0420:000108:000000101234");
    ASSERT_EQ(std::tuple(line25.size(), line33.size(), line35.size()), std::tuple(25u, 33u, 35u));
    state.panelSerialNumber = 77;
    const auto probesPresent = [](PanelState& s) { s.mr411Absent = s.mr466Absent = 0; };
    expectReplies({
        {line25, PanelCommand::Identity, true,
         {FIELD(firmwareVersion, 108), FIELD(measurementError, 0) /* d[25] lies past the end */, FIELD(mr411Absent, 1),
          FIELD(mr466Absent, 1), FIELD(panelSerialNumber, 77)}},
        // 33 characters: the status digit is there, the serial is not.
        {line33, PanelCommand::Identity, true,
         {FIELD(measurementError, 1), FIELD(panelSerialNumber, 77), FIELD(mr411Absent, 1), FIELD(mr466Absent, 1)}, probesPresent},
        // 35 characters: the serial is read; the flag digits 34 and 35 are LF
        // and past the end, so neither probe type is supported.
        {line35, PanelCommand::Identity, true,
         {FIELD(panelSerialNumber, 0x1234), FIELD(mr411Supported, 0), FIELD(mr466Supported, 0), FIELD(mr411Absent, 1),
          FIELD(mr466Absent, 1)},
         probesPresent},
    });
}

// ---- readings ----------------------------------------------------------

// 020000: status digit 7, error digit 10, temperature 12, RH 21, dew point 26, water vapour 31.
std::string mr411Readings(const std::string& status, const std::string& t, const std::string& rh, const std::string& dp,
                          const std::string& wv) {
    return replyWithLrc("020000:" + status + ":" + t + ":" + rh + ":" + dp + ":" + wv);
}

// 020200: status 7, errors 9 and 10, temperatures 12 and 21, RH 30, dew point 35, water vapour 40.
std::string mr466Readings(const std::string& status, const std::string& t1, const std::string& t2, const std::string& rh,
                          const std::string& dp, const std::string& wv) {
    return replyWithLrc("020200:" + status + ":" + t1 + ":" + t2 + ":" + rh + ":" + dp + ":" + wv);
}

TEST_F(ReplyParserTest, Mr411ReadingsDecodeSignedAndRounded) {
    const std::string line = mr411Readings("0000", "FFFFF6D7", "0929", "F6D7", "FFFFFFFF");
    ASSERT_EQ(line.size(), 43u);
    state.temperature2Error = 1;   // not carried by 020000
    expectReplies({
        {line, PanelCommand::Mr411Readings, true,
         {FIELD(temperature1, -23.55), FIELD(temperatureTwoDecimals, 0), FIELD(relativeHumidity, 23.55), FIELD(dewPoint, -23.55),
          FIELD(waterVapourPpm, -1.0)}},
        {mr411Readings("000F", "00000929", "0924", "FF6A", "0001E240"), PanelCommand::Mr411Readings, true,
         {FIELD(temperature1, 23.55), FIELD(relativeHumidity, 23.40), FIELD(dewPoint, -1.50), FIELD(waterVapourPpm, 123456.0),
          FIELD(temperature1Error, 1), FIELD(relativeHumidityError, 1), FIELD(dewPointError, 1), FIELD(waterVapourError, 1),
          FIELD(temperature2Error, 1)}},
        {mr411Readings("0005", "00000000", "0000", "0000", "00000000"), PanelCommand::Mr411Readings, true,
         {FIELD(temperature1Error, 1), FIELD(relativeHumidityError, 0), FIELD(dewPointError, 1), FIELD(waterVapourError, 0)}},
    });
}

TEST_F(ReplyParserTest, TemperatureEncodingIsNotPlainTwosComplement) {
    expectReplies({
        // A leading 8..E digit still means negative: seven digits minus 0x10000000.
        {mr411Readings("2000", "8000000A", "0000", "0000", "00000000"), PanelCommand::Mr411Readings, true,
         {FIELD(temperature1, (10 - 0x10000000) * 0.01)}},
        // The largest positive raw value is rounded without overflow.
        {mr411Readings("0000", "7FFFFFFF", "0000", "0000", "00000000"), PanelCommand::Mr411Readings, true,
         {FIELD(temperature1, 2147483657.0 * 0.01)}},
        // Negative raw values round away from zero only from a magnitude of 5.
        {mr411Readings("0000", "FFFFF6D8", "0000", "FFFC", "00000000"), PanelCommand::Mr411Readings, true,
         {FIELD(temperature1, -23.44), FIELD(dewPoint, -0.04)}},
    });
}

TEST_F(ReplyParserTest, TemperatureResolutionRule) {
    struct Case {
        const char* status;
        bool fine;
        bool twoDecimals;
    };
    const Case cases[] = {
        {"0000", false, false}, {"2000", false, true}, {"4000", false, false}, {"4000", true, true},
        {"6000", false, false}, {"6000", true, true},  {"2000", true, true},   {"8000", true, false},
    };
    for (const Case& c : cases) {
        state.mr466FineResolution = c.fine;
        ASSERT_TRUE(parse(mr411Readings(c.status, "FFFFF6D7", "0000", "0000", "00000000"), PanelCommand::Mr411Readings));
        EXPECT_EQ(state.temperatureTwoDecimals, c.twoDecimals ? 1 : 0) << c.status << " fine=" << c.fine;
        EXPECT_DOUBLE_EQ(state.temperature1, c.twoDecimals ? -23.45 : -23.55) << c.status << " fine=" << c.fine;
    }
}

TEST_F(ReplyParserTest, Mr466ReadingsWithTwoTemperatures) {
    state.mr466HasTemperature1 = 1;
    state.mr466HasTemperature2 = 1;
    state.relativeHumidity = 50;
    const std::string line = mr466Readings("2020", "00000929", "FFFFF6D7", "1111", "1111", "11111111");
    ASSERT_EQ(line.size(), 52u);
    expectReplies({
        {line, PanelCommand::Mr466Readings, true,
         {FIELD(temperature1, 23.45), FIELD(temperature2, -23.45), FIELD(temperatureTwoDecimals, 1),
          FIELD(temperature2Error, 1) /* bit 1 of d[9] */, FIELD(temperature1Error, 0),
          FIELD(relativeHumidity, 50) /* no humidity channel */}},
        {mr466Readings("0001", "00000929", "FFFFF6D7", "0000", "0000", "00000000"), PanelCommand::Mr466Readings, true,
         {FIELD(temperature1, 23.55), FIELD(temperature2, -23.55), FIELD(temperatureTwoDecimals, 0), FIELD(temperature1Error, 1),
          FIELD(temperature2Error, 0)}},
    });
}

TEST_F(ReplyParserTest, Mr466ReadingsWithHumidity) {
    state.mr466HasTemperature1 = 1;
    state.mr466HasTemperature2 = 1;
    state.mr466HasHumidity = 1;
    state.temperature2 = 5;
    expectReplies({{mr466Readings("0000", "000007D0", "00000929", "1388", "FF6A", "000003E8"), PanelCommand::Mr466Readings, true,
                    {FIELD(temperature1, 20.0), FIELD(temperature2, 5) /* not read with humidity */,
                     FIELD(relativeHumidity, 50.0), FIELD(dewPoint, -1.5), FIELD(waterVapourPpm, 1000.0)}}});

    // Without the temperature channel nothing decides the resolution.
    state.mr466HasTemperature1 = 0;
    state.temperatureTwoDecimals = 1;
    ASSERT_TRUE(parse(mr466Readings("0000", "00000001", "00000001", "1388", "FF6A", "000003E8"), PanelCommand::Mr466Readings));
    EXPECT_DOUBLE_EQ(state.temperature1, 20.0);
    EXPECT_EQ(state.temperatureTwoDecimals, 1);

    const std::string short43 = replyWithLrc("020200:0000:000007D0:00000929:1388:FF6A");
    ASSERT_EQ(short43.size(), 43u);
    EXPECT_FALSE(parse(short43, PanelCommand::Mr466Readings));
}

TEST_F(ReplyParserTest, PressureReply) {
    expectReplies({
        {replyWithLrc("020100:0050:2710"), PanelCommand::Pressure, true,
         {FIELD(pressure, 1000.0), FIELD(pressureAbsent, 1), FIELD(pressureError, 1)}},
        {replyWithLrc("020100:8000:27AB"), PanelCommand::Pressure, true,
         {FIELD(pressure, 0x27AB * 0.1), FIELD(pressureAbsent, 0), FIELD(pressureError, 0)}},
        {replyWithLrc("020100:0050:2"), PanelCommand::Pressure, false, {}},   // 17 of 18
    });
}

// ---- probes and barometer ----------------------------------------------

TEST_F(ReplyParserTest, Mr466InfoPresentAndAbsent) {
    expectReplies({
        {digitsReply("050100", {{7, "00"}, {10, "B"}, {13, "5"}, {15, "12"}, {18, "ABCD"}, {26, "9B"}}), PanelCommand::Mr466Info, true,
         {FIELD(mr466Absent, 0), FIELD(mr411Absent, 1), FIELD(mr466HasTemperature1, 1), FIELD(mr466HasTemperature2, 1),
          FIELD(mr466FineResolution, 1), FIELD(mr466HasHumidity, 1), FIELD(mr466CalibrationError, 1), FIELD(mr466Version, 0x12),
          FIELD(mr466SerialNumber, 0xABCD), FIELD(mr466CalibrationMonth, 12), FIELD(mr466CalibrationYear, 2010)}},
    });
    // Absent probe: a success that changes nothing else.
    state.mr411Absent = 0;
    expectReplies({{digitsReply("050100", {{7, "01"}, {10, "0"}, {26, "00"}}), PanelCommand::Mr466Info, true,
                    {FIELD(mr466Absent, 1), FIELD(mr411Absent, 0), FIELD(mr466HasTemperature1, 1), FIELD(mr466Version, 0x12)}}});
}

TEST_F(ReplyParserTest, Mr466InfoShortRepliesStoreOnlyWhatTheyReach) {
    state.mr466Version = 9;
    const std::string mid = digitsReply("050100", {{7, "00"}, {10, "1"}, {13, "4"}});
    ASSERT_EQ(mid.size(), 19u);
    // 11 characters: the LRC lies at 7..8; "FA" has bit 0 of d[8] clear.
    const std::string tiny = replyWithLrc("050100:");
    ASSERT_EQ(tiny, "050100:FA\r\n");
    expectReplies({
        // Channel flags yes, version and calibration no.
        {mid, PanelCommand::Mr466Info, true,
         {FIELD(mr466HasTemperature1, 1), FIELD(mr466HasTemperature2, 0), FIELD(mr466HasHumidity, 1), FIELD(mr466Version, 9)}},
        {tiny, PanelCommand::Mr466Info, true, {FIELD(mr466Absent, 0), FIELD(mr466HasTemperature1, 1)}},
    });
}

TEST_F(ReplyParserTest, Mr411Info) {
    expectReplies({
        {digitsReply("010100", {{7, "00"}, {10, "3"}, {13, "1"}, {15, "05"}, {18, "0102"}, {26, "32"}}), PanelCommand::Mr411Info, true,
         {FIELD(mr411Absent, 0), FIELD(mr466Absent, 1), FIELD(mr411CalibrationError, 1), FIELD(mr411NoHumidity, 1),
          FIELD(mr411NoTemperature1, 1), FIELD(mr411Version, 5), FIELD(mr411SerialNumber, 0x0102), FIELD(mr411CalibrationMonth, 3),
          FIELD(mr411CalibrationYear, 2007)}},
        {digitsReply("010100", {{7, "00"}, {15, "04"}, {26, "32"}}), PanelCommand::Mr411Info, true,
         {FIELD(mr411CalibrationYear, 1996), FIELD(mr411NoHumidity, 0)}},
    });
    state.mr466Absent = 0;
    expectReplies({{digitsReply("010100", {{7, "01"}, {15, "07"}}), PanelCommand::Mr411Info, true,
                    {FIELD(mr411Absent, 1), FIELD(mr466Absent, 0), FIELD(mr411Version, 4)}}});
}

TEST_F(ReplyParserTest, BarometerInfo) {
    expectReplies({
        {digitsReply("060100", {{7, "00"}, {15, "21"}, {18, "45"}}), PanelCommand::BarometerInfo, true,
         {FIELD(barometerPresent, 1), FIELD(barometerVersion, 0x21), FIELD(barometerCalibrationMonth, 6),
          FIELD(barometerCalibrationYear, 2005)}},
        {digitsReply("060100", {{7, "01"}, {15, "33"}, {18, "00"}}), PanelCommand::BarometerInfo, true,
         {FIELD(barometerPresent, 0), FIELD(barometerVersion, 0x21)}},
        {lineOfLength("060100", 19, {{7, "00"}, {10, "1"}}), PanelCommand::BarometerInfo, true, {FIELD(barometerPresent, 0)},
         [](PanelState& s) { s.barometerPresent = 1; }},
    });
}

// ---- settings ----------------------------------------------------------

TEST_F(ReplyParserTest, ShortReplyFieldsReadAsZeroNotAsTheEarlierLine) {
    const std::uint32_t seconds = 5097600;   // 2000-02-29
    std::string value;
    appendHex(value, seconds, 8);
    expectReplies({
        {digitsReply("030000", {{10, value}}), PanelCommand::ReadClock, true, {FIELD(panelClock.month, 2), FIELD(panelClock.day, 29)}},
        // Accepted from 10 characters on; the missing positions count as 0.
        {"030000:FD\r\n", PanelCommand::ReadClock, true,
         {FIELD(panelClock.year, 2000), FIELD(panelClock.month, 1), FIELD(panelClock.day, 1), FIELD(panelClock.second, 0)}},
    });

    // Nor as what lies behind the line in the caller's buffer.
    const std::string buffer = std::string("030000:FD\r\n") + "FFFFFFFFFFFF";
    ASSERT_TRUE(parser.parse(buffer.data(), 11, toNumber(PanelCommand::ReadClock)));
    EXPECT_EQ(state.panelClock, (LocalTime{2000, 1, 1, 0, 0, 0}));
}

TEST_F(ReplyParserTest, MemorySettingsAndSimpleWords) {
    expectReplies({
        {digitsReply("040000", {{8, "0"}, {10, "0800"}, {18, "000F"}, {23, "1234"}}), PanelCommand::ReadMemorySettings, true,
         {FIELD(memorySizeBlocks, 0x800), FIELD(loggingInterval, 15), FIELD(loggingFlags, 0x1234)}},
        // Refused at d[8]: nothing changes.
        {digitsReply("040000", {{8, "1"}, {10, "0001"}, {18, "0001"}, {23, "0001"}}), PanelCommand::ReadMemorySettings, false,
         {FIELD(memorySizeBlocks, 0x800)}},
        {digitsReply("027100", {{10, "01"}, {13, "001E"}}), PanelCommand::ReadPowerLossAlarm, true,
         {FIELD(powerLossAlarm, 1), FIELD(powerLossDelay, 30)}},
        {digitsReply("023400", {{10, "FF"}}), PanelCommand::ReadAutoOff, true, {FIELD(autoOffTime, 255)}},
        {digitsReply("027A00", {{10, "001E"}}), PanelCommand::ReadConnectionAttempts, true, {FIELD(connectionAttemptsPerDay, 30)}},
        {digitsReply("027800", {{10, "FFFF"}}), PanelCommand::ReadBackupServerPort, true, {FIELD(backupServerPort, 65535)}},
    });
    ASSERT_TRUE(parse(digitsReply("025900", {{10, "C0A80001"}}), PanelCommand::ReadServerAddress));
    EXPECT_EQ(state.serverAddress, (std::array<std::uint8_t, 4>{192, 168, 0, 1}));
    ASSERT_TRUE(parse(digitsReply("027600", {{10, "0A000002"}}), PanelCommand::ReadBackupServerAddress));
    EXPECT_EQ(state.backupServerAddress, (std::array<std::uint8_t, 4>{10, 0, 0, 2}));
}

TEST_F(ReplyParserTest, MemoryBlockSelection) {
    expectReplies({
        {digitsReply("041000", {{7, "05"}, {15, "FF"}}), PanelCommand::SelectMemoryBlock, true, {FIELD(memoryBlockEmpty, 1)}},
        {digitsReply("041000", {{7, "05"}, {15, "FE"}}), PanelCommand::SelectMemoryBlock, true, {FIELD(memoryBlockEmpty, 0)}},
        {digitsReply("041000", {{13, "1"}, {15, "FF"}}), PanelCommand::SelectMemoryBlock, false, {FIELD(memoryBlockEmpty, 0)}},
    });
}

// "041100:" + six digits (refusal digit at 12) + 256 x "XX:" with byte i = i.
std::string memoryBlockText(int bytes) {
    std::string text = "041100:050000";
    for (int i = 0; i < bytes; ++i) {
        appendHex(text, static_cast<std::uint32_t>(i), 2);
        if (i + 1 < bytes) text += ':';
    }
    return text;
}

TEST_F(ReplyParserTest, MemoryBlockRead) {
    const std::string full = replyWithLrc(memoryBlockText(256) + ":");
    ASSERT_TRUE(parse(full, PanelCommand::ReadMemoryBlock));
    for (int i = 0; i < kMemoryBlockSize; ++i) ASSERT_EQ(state.memoryBlock[static_cast<std::size_t>(i)], i) << i;

    // 781 characters is enough; the last byte then overlaps the LRC.
    state.memoryBlock.fill(0xAA);
    const std::string shortest = replyWithLrc(memoryBlockText(255));
    ASSERT_EQ(shortest.size(), 781u);
    ASSERT_TRUE(parse(shortest, PanelCommand::ReadMemoryBlock));
    EXPECT_EQ(state.memoryBlock[254], 254);
    EXPECT_EQ(state.memoryBlock[255], hexDigitValue(shortest[778]) * 16);   // LRC digit and CR

    // One separator less: 780 characters, rejected, block untouched.
    state.memoryBlock.fill(0xAA);
    std::string text = memoryBlockText(255);
    text.erase(15, 1);
    const std::string tooShort = replyWithLrc(text);
    ASSERT_EQ(tooShort.size(), 780u);
    ASSERT_TRUE(checksumValid(tooShort.data(), tooShort.size()));
    EXPECT_FALSE(parse(tooShort, PanelCommand::ReadMemoryBlock));
    EXPECT_EQ(state.memoryBlock[0], 0xAA);

    std::string refused = memoryBlockText(256) + ":";
    refused[12] = '1';
    EXPECT_FALSE(parse(replyWithLrc(refused), PanelCommand::ReadMemoryBlock));
    EXPECT_EQ(state.memoryBlock[0], 0xAA);
}

TEST_F(ReplyParserTest, TextFields) {
    const std::string sms = hexText("+48600") + std::string(16, 'F');
    ASSERT_TRUE(parse(digitsReply("025400", {{7, "03"}, {13, sms}}), PanelCommand::ReadSmsNumber));
    EXPECT_EQ(state.smsNumbers[3], "+48600        ");
    EXPECT_EQ(state.smsNumbers[3].find('\xFF'), std::string::npos);

    // Index 6 is refused by range; a zero byte ends the text.
    EXPECT_FALSE(parse(digitsReply("025400", {{7, "06"}, {13, sms}}), PanelCommand::ReadSmsNumber));
    EXPECT_TRUE(state.smsNumbers[0].empty());
    ASSERT_TRUE(parse(digitsReply("025400", {{7, "05"}, {13, padded(hexText("12") + "00" + hexText("34"), 28)}}), PanelCommand::ReadSmsNumber));
    EXPECT_EQ(state.smsNumbers[5], "12");
    EXPECT_FALSE(parse(digitsReply("025400", {{7, "01"}, {11, "1"}, {13, sms}}), PanelCommand::ReadSmsNumber));
    EXPECT_TRUE(state.smsNumbers[1].empty());

    const std::string apn = hexText("internet.example.pl") + std::string(26, 'F');
    ASSERT_TRUE(parse(digitsReply("026200", {{7, "00"}, {13, apn}}), PanelCommand::ReadLongText));
    EXPECT_EQ(state.apn, "internet.example.pl" + std::string(13, ' '));
    ASSERT_TRUE(parse(digitsReply("026200", {{7, "01"}, {13, padded(hexText("user"), 64)}}), PanelCommand::ReadLongText));
    EXPECT_EQ(state.papLogin, "user");
    EXPECT_FALSE(parse(digitsReply("026200", {{7, "02"}, {13, padded(hexText("pass"), 64)}}), PanelCommand::ReadLongText));
    EXPECT_EQ(state.papLogin, "user");

    ASSERT_TRUE(parse(digitsReply("026400", {{7, "00"}, {13, hexText("Stacja 1") + std::string(12, 'F')}}), PanelCommand::ReadStationName));
    EXPECT_EQ(state.stationName, "Stacja 1      ");
}

TEST_F(ReplyParserTest, AlarmThresholdsAndHysteresis) {
    expectReplies({
        {digitsReply("025D00", {{7, "02"}, {13, "FFFF9C"}}), PanelCommand::ReadThreshold, true, {FIELD(alarmThresholds[2], -100)}},
        {digitsReply("025D00", {{7, "01"}, {13, "800001"}}), PanelCommand::ReadThreshold, true,
         {FIELD(alarmThresholds[1], 1 - 0x100000)}},
        {digitsReply("025D00", {{7, "06"}, {13, "FFFF9C"}}), PanelCommand::ReadThreshold, true, {FIELD(alarmThresholds[6], 0xFFFF9C)}},
        {digitsReply("025D00", {{7, "41"}, {13, "000032"}}), PanelCommand::ReadThreshold, true, {FIELD(alarmHysteresis[1], 50)}},
    });

    // Index 0x10 is accepted and stores nothing.
    const PanelState before = state;
    ASSERT_TRUE(parse(digitsReply("025D00", {{7, "10"}, {13, "000032"}}), PanelCommand::ReadThreshold));
    EXPECT_EQ(state.alarmThresholds, before.alarmThresholds);
    EXPECT_EQ(state.alarmHysteresis, before.alarmHysteresis);
}

TEST_F(ReplyParserTest, AcceptedRepliesAreMarkedByTheIndexTheyName) {
    EXPECT_FALSE(state.received.has(toNumber(PanelCommand::ReadThreshold), 0x41));
    ASSERT_TRUE(parse(digitsReply("025D00", {{7, "41"}, {13, "000032"}}), PanelCommand::ReadThreshold));
    EXPECT_TRUE(state.received.has(toNumber(PanelCommand::ReadThreshold), 0x41));
    EXPECT_FALSE(state.received.has(toNumber(PanelCommand::ReadThreshold), 0x42));
    ASSERT_TRUE(parse(lineOfLength("025400", 40, {{8, "3"}}), PanelCommand::ReadSmsNumber));
    EXPECT_TRUE(state.received.has(toNumber(PanelCommand::ReadSmsNumber), 3));
    EXPECT_FALSE(state.received.hasAll(toNumber(PanelCommand::ReadSmsNumber), 0, 5));
    // A refused or damaged reply marks nothing.
    EXPECT_FALSE(parse(digitsReply("024000", {{8, "1"}}), PanelCommand::ReadDefaultPressure));
    EXPECT_FALSE(state.received.has(toNumber(PanelCommand::ReadDefaultPressure)));
    ASSERT_TRUE(parse(digitsReply("024000", {{10, "0064"}}), PanelCommand::ReadDefaultPressure));
    EXPECT_TRUE(state.received.has(toNumber(PanelCommand::ReadDefaultPressure)));
}

TEST_F(ReplyParserTest, ExceedanceLimits) {
    expectReplies({
        {digitsReply("026800", {{7, "01"}, {13, "80000064"}}), PanelCommand::ReadExceedanceLimit, true,
         {FIELD(exceedanceLimits[1], 0x64 - 0x10000000)}},
        {digitsReply("026800", {{7, "03"}, {13, "FFFFFF9C"}}), PanelCommand::ReadExceedanceLimit, true,
         {FIELD(exceedanceLimits[3], -100)}},
        {digitsReply("026800", {{7, "05"}, {13, "0001E240"}}), PanelCommand::ReadExceedanceLimit, true,
         {FIELD(exceedanceLimits[5], 123456)}},
    });
    const auto before = state.exceedanceLimits;
    ASSERT_TRUE(parse(digitsReply("026800", {{7, "08"}, {13, "00000001"}}), PanelCommand::ReadExceedanceLimit));
    EXPECT_EQ(state.exceedanceLimits, before);
    EXPECT_FALSE(parse(digitsReply("026800", {{7, "00"}, {11, "1"}, {13, "00000001"}}), PanelCommand::ReadExceedanceLimit));
    EXPECT_EQ(state.exceedanceLimits, before);
}

TEST_F(ReplyParserTest, OptionsNeedTheirDigit) {
    expectReplies({
        {digitsReply("020B00", {{11, "2"}}), PanelCommand::Options, true, {FIELD(printerSupported, 0), FIELD(modemSupported, 1)}},
        {digitsReply("020B00", {{8, "1"}, {11, "3"}}), PanelCommand::Options, false, {FIELD(printerSupported, 0)}},
    });
}

// ---- flags set before the refusal check --------------------------------

TEST_F(ReplyParserTest, ModemHandlingIsKnownEvenFromRefusedReplies) {
    const std::string short12 = "025000:4E6\r\n";   // valid LRC, d[7] = 4, 12 characters
    ASSERT_TRUE(checksumValid(short12.data(), short12.size()));
    state.modemHandlingEnabled = 1;
    expectReplies({
        // 025000: bit 2 of d[7]; refused at 8; fails below 13.
        {digitsReply("025000", {{7, "41"}, {10, "1234"}}), PanelCommand::ReadModemOptions, false,
         {FIELD(modemHandlingEnabled, 0), FIELD(modemOptions, 0)}},
        {digitsReply("025000", {{7, "00"}, {10, "1234"}}), PanelCommand::ReadModemOptions, true,
         {FIELD(modemHandlingEnabled, 1), FIELD(modemOptions, 0x1234)}},
        {short12, PanelCommand::ReadModemOptions, false, {FIELD(modemHandlingEnabled, 0), FIELD(modemOptions, 0x1234)}},
        // 025D00: bit 2 of d[10]; refused at 11; fails below 18.
        {digitsReply("025D00", {{7, "02"}, {10, "01"}, {13, "000064"}}), PanelCommand::ReadThreshold, false,
         {FIELD(modemHandlingEnabled, 1), FIELD(alarmThresholds[2], 0)}},
        {lineOfLength("025D00", 17, {{7, "02"}, {10, "4"}}), PanelCommand::ReadThreshold, false, {FIELD(modemHandlingEnabled, 0)}},
        // 025600: bit 2 of d[16]; refused at 17.
        {lineOfLength("025600", 23, {{16, "01"}}), PanelCommand::SetPin, false, {FIELD(modemHandlingEnabled, 1), FIELD(pinWritten, 0)}},
        // 026300: bit 2 of d[17]; refused at 18.
        {lineOfLength("026300", 23, {{7, "2A"}, {17, "41"}}), PanelCommand::WriteLongTextChunk, false,
         {FIELD(modemHandlingEnabled, 0), FIELD(papWritten, 0)}},
    });
}

// ---- acknowledgements --------------------------------------------------

TEST_F(ReplyParserTest, AcknowledgedWritesSetTheirFlagThenCallTheListener) {
    EXPECT_CALL(ack, onWriteAcknowledged(toNumber(PanelCommand::SetPin))).WillOnce([this](int) {
        EXPECT_EQ(state.pinWritten, 1);
    });
    ASSERT_TRUE(parse(lineOfLength("025600", 23, {{16, "40"}}), PanelCommand::SetPin));
    EXPECT_EQ(state.modemHandlingEnabled, 0);
}

TEST_F(ReplyParserTest, OnlyTheLastPapChunkAcknowledges) {
    ASSERT_TRUE(parse(lineOfLength("026300", 23, {{7, "19"}}), PanelCommand::WriteLongTextChunk));   // PAP login chunk
    ASSERT_TRUE(parse(lineOfLength("026300", 23, {{7, "29"}}), PanelCommand::WriteLongTextChunk));   // not the last
    ASSERT_TRUE(parse(lineOfLength("026300", 23, {{7, "1A"}}), PanelCommand::WriteLongTextChunk));
    EXPECT_EQ(state.papWritten, 0);
    EXPECT_CALL(ack, onWriteAcknowledged(toNumber(PanelCommand::WriteLongTextChunk))).WillOnce([this](int) {
        EXPECT_EQ(state.papWritten, 1);
    });
    ASSERT_TRUE(parse(lineOfLength("026300", 23, {{7, "2A"}}), PanelCommand::WriteLongTextChunk));
}

TEST_F(ReplyParserTest, EraseSetsItsFlagWithoutCallingTheListener) {
    ASSERT_TRUE(parse(digitsReply("041500", {{8, "0"}}), PanelCommand::EraseMemory));
    EXPECT_EQ(state.memoryErased, 1);
}

TEST_F(ReplyParserTest, WithoutListenerTheFlagIsStillSet) {
    parser.setAckListener(nullptr);
    ASSERT_TRUE(parse(digitsReply("023500", {{11, "0"}}), PanelCommand::WriteAutoOff));
    EXPECT_EQ(state.autoOffWritten, 1);
}

// Every command with a refusal digit: a long zero reply is accepted, the same
// reply with bit 0 of the refusal digit set is not, and one character under
// the minimum length is not. Acknowledged writes call the listener exactly
// when accepted.
TEST_F(ReplyParserTest, EveryCommandHonoursRefusalLengthAndAck) {
    for (const CommandSpec& spec : kCommandTable) {
        if (spec.refusedAt == kNoRefusalDigit) continue;
        SCOPED_TRACE(std::string(spec.code));
        const auto refusal = static_cast<std::size_t>(spec.refusedAt);
        const std::size_t length = std::max<std::size_t>({static_cast<std::size_t>(spec.minReplyLength), refusal + 8, 23});
        const bool calls = spec.callsWriteAcknowledged && spec.number != toNumber(PanelCommand::WriteLongTextChunk);

        PanelState fresh;
        StrictMock<MockAck> listener;
        ReplyParser p(fresh, &listener);

        const std::string refusedLine = lineOfLength(spec.code, length, {{refusal, "3"}});
        EXPECT_FALSE(p.parse(refusedLine.data(), refusedLine.size(), spec.number));
        if (spec.acknowledges) {
            EXPECT_EQ(fresh.*spec.acknowledges, 0);
        }

        if (spec.minReplyLength >= 13) {
            const std::string shortLine = lineOfLength(spec.code, static_cast<std::size_t>(spec.minReplyLength) - 1);
            EXPECT_FALSE(p.parse(shortLine.data(), shortLine.size(), spec.number));
            // The minimum itself is enough, unless the refusal digit then
            // falls on the LRC.
            const bool refusalOnLrc = spec.refusedAt == spec.minReplyLength - 4 || spec.refusedAt == spec.minReplyLength - 3;
            if (spec.minReplyLength > 13 && !refusalOnLrc) {
                const std::string exact = lineOfLength(spec.code, static_cast<std::size_t>(spec.minReplyLength));
                EXPECT_CALL(listener, onWriteAcknowledged(spec.number)).Times(calls ? 1 : 0);
                EXPECT_TRUE(p.parse(exact.data(), exact.size(), spec.number));
                ::testing::Mock::VerifyAndClearExpectations(&listener);
            }
        }

        const std::string good = lineOfLength(spec.code, length, {{refusal, "2"}});
        fresh.received.forgetLengths();   // as from another panel
        EXPECT_CALL(listener, onWriteAcknowledged(spec.number)).Times(calls ? 1 : 0);
        EXPECT_TRUE(p.parse(good.data(), good.size(), spec.number));
        if (spec.acknowledges && spec.number != toNumber(PanelCommand::WriteLongTextChunk)) {
            EXPECT_EQ(fresh.*spec.acknowledges, 1);
        }
    }
}

TEST_F(ReplyParserTest, BatteryWriteHasNoRefusalDigit) {
    EXPECT_CALL(ack, onWriteAcknowledged(toNumber(PanelCommand::WriteBatteryAlarm))).Times(2);
    ASSERT_TRUE(parse(digitsReply("026700", {{7, "FF"}}), PanelCommand::WriteBatteryAlarm));
    const std::string shortest = replyWithLrc("026700:");
    ASSERT_EQ(shortest.size(), 11u);
    ASSERT_TRUE(parse(shortest, PanelCommand::WriteBatteryAlarm));
    EXPECT_EQ(state.batteryWritten, 1);
}

}  // namespace
}  // namespace mr420
