#include "sim/SimulatedPanel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "protocol/Frame.h"
#include "protocol/PanelCommand.h"
#include "protocol/ReplyParser.h"
#include "sim/MemoryImageBuilder.h"
#include "sim/Scenarios.h"
#include "support/StateFields.h"

namespace mr420::sim {
namespace {

using C = PanelCommand;
using test::Field;

// Data digits that make a well-formed frame for each kind of command.
std::string sampleData(FrameData data) {
    switch (data) {
    case FrameData::None: return "";
    case FrameData::StringIndexDigit:
    case FrameData::LongTextIndexDigit: return "01";
    case FrameData::StationNameIndex: return "00";
    case FrameData::BlockSelect: return "0200";
    case FrameData::SmsChunk: return "21414243";
    case FrameData::LongTextChunk: return "13414243";
    case FrameData::StationChunk: return "02414243";
    case FrameData::ThresholdValue:
    case FrameData::ExceedanceValue: return "02FFFF6A";
    case FrameData::Pin: return "31323334";
    case FrameData::ClockSeconds:
    case FrameData::ServerAddress:
    case FrameData::BackupServerAddress: return "0A0B0C0D";
    case FrameData::BlockRead:
    case FrameData::ThresholdIndex:
    case FrameData::ExceedanceIndex:
    case FrameData::AutoOffTime:
    case FrameData::BatteryAlarm:
    case FrameData::PowerLossAlarm:
    case FrameData::InternetAllowed: return "02";
    default: return "0123";
    }
}

std::string frameFor(int number, const std::string& data) {
    const CommandSpec& spec = kCommandTable[static_cast<std::size_t>(number)];
    return completeFrame(std::string(spec.code) + data);
}

struct ManualClock {
    double now = 1000.0;
    SimulatedPanel::TimeSource source() {
        return [this] { return now; };
    }
};

PanelModel distinctiveModel() {
    PanelModel m = makeScenario("modem-208", panelSecondsSince2000({2024, 2, 29, 13, 45, 30}))->model;
    m.panelSerialNumber = 0xBEEF;
    m.readings.temperature1 = -12.3;
    m.readings.relativeHumidity = 67.8;
    m.readings.dewPoint = -15.4;
    m.readings.waterVapourPpm = 1234;
    m.readings.pressure = 987.6;
    m.readings.temperature2 = 31.7;
    m.readings.waterVapourError = true;
    m.memorySizeBlocks = 2048;
    m.loggingInterval = 30;
    m.loggingFlags = 0x01A5;
    m.autoOffTime = 0x3C;
    m.displayFlags = 0x1234;
    m.defaultPressure = 0x00A1;
    m.historyDisplay = 0x008B;
    m.alarmRepeatTime = 7;
    return m;
}

class PanelExchange : public ::testing::Test {
protected:
    explicit PanelExchange(PanelModel model = distinctiveModel()) : panel(std::move(model), clock.source()) {}

    // Sends one frame and parses the answer as the reply to `number`.
    bool ask(int number, const std::string& data = "") {
        const std::optional<std::string> reply = panel.handleFrame(frameFor(number, data));
        if (!reply) return false;
        lastReply = *reply;
        return parser.parse(reply->data(), reply->size(), number);
    }
    bool ask(C command, const std::string& data = "") { return ask(toNumber(command), data); }

    struct Ask {
        C command;
        const char* data;
        std::vector<Field> fields;   // as the reply leaves them
        void (*change)(PanelModel&) = nullptr;   // done to the panel first
    };
    // Asks in turn; each must be answered and accepted.
    void expectAnswers(const std::vector<Ask>& asks) {
        for (const Ask& a : asks) {
            SCOPED_TRACE(std::string(kCommandTable[static_cast<std::size_t>(toNumber(a.command))].code) + " " + a.data);
            if (a.change) a.change(panel.model());
            EXPECT_TRUE(ask(a.command, a.data)) << lastReply;
            test::expectFields(state, a.fields);
        }
    }

    ManualClock clock;
    SimulatedPanel panel;
    PanelState state;
    ReplyParser parser{state};
    std::string lastReply;
};

TEST(SimulatedPanelLayout, EveryReplyIsWellFormed) {
    for (const CommandSpec& spec : kCommandTable) {
        SimulatedPanel panel(distinctiveModel());
        const std::optional<std::string> reply = panel.handleFrame(frameFor(spec.number, sampleData(spec.data)));
        ASSERT_TRUE(reply) << spec.code;
        const std::string& line = *reply;
        SCOPED_TRACE(line);
        EXPECT_EQ(line.substr(0, 7), std::string(spec.code) + ":");
        ASSERT_GE(line.size(), 4u);
        EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
        EXPECT_TRUE(checksumValid(line.data(), line.size()));
        EXPECT_GE(static_cast<int>(line.size()), spec.minReplyLength);
        // Groups of an even number of upper-case hex digits between colons.
        const std::string body = line.substr(7, line.size() - 9);
        std::size_t start = 0;
        while (start <= body.size()) {
            std::size_t end = body.find(':', start);
            if (end == std::string::npos) end = body.size();
            const std::string group = body.substr(start, end - start);
            EXPECT_FALSE(group.empty());
            EXPECT_EQ(group.size() % 2, 0u) << group;
            for (char c : group) EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << group;
            start = end + 1;
        }
        // The refusal digit lies inside the reply, on a digit, and is clear.
        if (spec.refusedAt != kNoRefusalDigit) {
            ASSERT_LT(static_cast<std::size_t>(spec.refusedAt), line.size() - 2);
            const char c = line[static_cast<std::size_t>(spec.refusedAt)];
            EXPECT_NE(c, ':');
            EXPECT_EQ(hexDigitValue(c) & 1, 0);
        }
    }
}

TEST(SimulatedPanelLayout, IdentityReplyStartsWithPanelType) {
    SimulatedPanel panel(distinctiveModel());
    const auto reply = panel.handleFrame("020A00F4\r\n");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->substr(0, 12), "020A00:0420:");
    EXPECT_EQ(reply->substr(12, 6), "000208");
}

TEST(SimulatedPanelLayout, TextsAreReadBackPaddedWithFF) {
    PanelModel m;
    m.stationName = "AB";
    SimulatedPanel panel(m);
    const auto reply = panel.handleFrame("026400009A");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->substr(13, 28), "4142FFFFFFFFFFFFFFFFFFFFFFFF");
}

TEST_F(PanelExchange, IdentityAndProbeInformation) {
    expectAnswers({
        {C::Identity, "",
         {FIELD(firmwareVersion, 208), FIELD(panelSerialNumber, 0xBEEF), FIELD(measurementError, 0), FIELD(mr411Supported, 1),
          FIELD(mr466Supported, 1)}},
        {C::Mr411Info, "",
         {FIELD(mr411Absent, 0), FIELD(mr411NoHumidity, 0), FIELD(mr411NoTemperature1, 0), FIELD(mr411Version, 5),
          FIELD(mr411SerialNumber, 2231), FIELD(mr411CalibrationMonth, 3), FIELD(mr411CalibrationYear, 2012)}},
        {C::Mr466Info, "", {FIELD(mr466Absent, 1)}},
        {C::BarometerInfo, "",
         {FIELD(barometerPresent, 1), FIELD(barometerVersion, 2), FIELD(barometerCalibrationMonth, 6),
          FIELD(barometerCalibrationYear, 2009)}},
        {C::Options, "", {FIELD(printerSupported, 1), FIELD(modemSupported, 1)}},
    });
}

TEST_F(PanelExchange, Mr411ReadingsPressureAndClock) {
    expectAnswers({
        {C::Mr411Readings, "",
         {FIELD(temperature1, -12.3), FIELD(relativeHumidity, 67.8), FIELD(dewPoint, -15.4), FIELD(waterVapourPpm, 1234),
          FIELD(temperature1Error, 0), FIELD(waterVapourError, 1), FIELD(temperatureTwoDecimals, 0)}},
        {C::Pressure, "", {FIELD(pressureAbsent, 0), FIELD(pressureError, 0)}},
    });
    EXPECT_NEAR(state.pressure, 987.6, 1e-9);
    expectAnswers({{C::ReadClock, "",
                    {FIELD(panelClock.year, 2024), FIELD(panelClock.month, 2), FIELD(panelClock.day, 29),
                     FIELD(panelClock.hour, 13), FIELD(panelClock.minute, 45), FIELD(panelClock.second, 30)}}});
}

TEST_F(PanelExchange, ClockRunsWithTheTimeSource) {
    clock.now += 95.4;
    ASSERT_TRUE(ask(C::ReadClock));
    EXPECT_EQ(state.panelClock.minute, 47);
    EXPECT_EQ(state.panelClock.second, 5);
    clock.now += 0.7;   // the fractions add up
    ASSERT_TRUE(ask(C::ReadClock));
    EXPECT_EQ(state.panelClock.second, 6);
}

TEST_F(PanelExchange, Mr466ChannelsAndResolution) {
    panel.model().probe = ProbeKind::Mr466Temperatures12;
    panel.model().mr466FineResolution = true;
    panel.model().readings.temperature1 = 22.37;
    panel.model().readings.temperature2 = -5.06;
    panel.model().readings.temperature2Error = true;
    expectAnswers({
        {C::Mr466Info, "",
         {FIELD(mr466Absent, 0), FIELD(mr466HasTemperature1, 1), FIELD(mr466HasTemperature2, 1), FIELD(mr466HasHumidity, 0),
          FIELD(mr466FineResolution, 1), FIELD(mr466Version, 3), FIELD(mr466SerialNumber, 7310),
          FIELD(mr466CalibrationMonth, 10), FIELD(mr466CalibrationYear, 2011)}},
        {C::Mr411Info, "", {FIELD(mr411Absent, 1)}},
        {C::Mr466Readings, "",
         {FIELD(temperature1, 22.37), FIELD(temperature2, -5.06), FIELD(temperatureTwoDecimals, 1), FIELD(temperature2Error, 1)}},
        {C::Mr466Info, "", {FIELD(mr466HasHumidity, 1), FIELD(mr466HasTemperature2, 0), FIELD(mr466CalibrationError, 1)},
         [](PanelModel& m) {
             m.probe = ProbeKind::Mr466TemperatureHumidity;
             m.mr466FineResolution = false;
             m.readings.temperature1 = 19.4;
             m.probeCalibrationError = true;
         }},
        {C::Mr466Readings, "",
         {FIELD(temperature1, 19.4), FIELD(relativeHumidity, 67.8), FIELD(dewPoint, -15.4), FIELD(temperatureTwoDecimals, 0)}},
    });
}

TEST_F(PanelExchange, AbsentBarometerAndProbeVariants) {
    panel.model().barometerPresent = false;
    expectAnswers({
        {C::Pressure, "", {FIELD(pressureAbsent, 1)}},
        {C::BarometerInfo, "", {FIELD(barometerPresent, 0)}},
        {C::Mr411Info, "", {FIELD(mr411NoHumidity, 1), FIELD(mr411NoTemperature1, 0)},
         [](PanelModel& m) { m.probe = ProbeKind::Mr411NoHumidity; }},
        {C::Mr411Info, "", {FIELD(mr411NoTemperature1, 1), FIELD(mr411CalibrationYear, 2001), FIELD(mr411CalibrationMonth, 12)},
         [](PanelModel& m) {
             m.probe = ProbeKind::Mr411NoTemperature;
             m.mr411Calibration = {4, 99, 12, 2001};   // version 4 counts years from 1993
         }},
        {C::Mr411Info, "", {FIELD(mr411Absent, 1)}, [](PanelModel& m) { m.probe = ProbeKind::None; }},
        {C::Identity, "", {FIELD(mr466Supported, 0), FIELD(measurementError, 1)},
         [](PanelModel& m) {
             m.mr466Supported = false;
             m.measurementError = true;
         }},
    });
}

TEST_F(PanelExchange, SettingsReads) {
    expectAnswers({
        {C::ReadMemorySettings, "", {FIELD(memorySizeBlocks, 2048), FIELD(loggingInterval, 30), FIELD(loggingFlags, 0x01A5)}},
        {C::ReadAutoOff, "", {FIELD(autoOffTime, 0x3C)}},
        {C::ReadDisplayFlags, "", {FIELD(displayFlags, 0x1234)}},
        {C::ReadDefaultPressure, "", {FIELD(defaultPressure, 0xA1)}},
        {C::ReadHistoryDisplay, "", {FIELD(historyDisplay, 0x8B)}},
        {C::ReadModemOptions, "", {FIELD(modemOptions, 0xA3), FIELD(modemHandlingEnabled, 1)}},
        {C::ReadServerPort, "", {FIELD(serverPort, 5020)}},
        {C::ReadBackupServerPort, "", {FIELD(backupServerPort, 5021)}},
        {C::ReadConnectionAttempts, "", {FIELD(connectionAttemptsPerDay, 12)}},
        {C::ReadInternetAllowed, "", {FIELD(internetAllowed, 1)}},
        {C::ReadThresholdFlags, "", {FIELD(alarmThresholdFlags, 0x11)}},
        {C::ReadAlarmRepeatTime, "", {FIELD(alarmRepeatTime, 7)}},
        {C::ReadExceedanceFlags, "", {FIELD(exceedanceFlags, 3)}},
        {C::ReadExceedanceDelay, "", {FIELD(exceedanceDelay, 10)}},
        {C::ReadBatteryAlarm, "", {FIELD(batteryAlarm, 1)}},
        {C::ReadPowerLossAlarm, "", {FIELD(powerLossAlarm, 1), FIELD(powerLossDelay, 5)}},
    });
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(ask(C::ReadSmsNumber, "0" + std::to_string(i)));
        EXPECT_EQ(state.smsNumbers[static_cast<std::size_t>(i)], panel.model().smsNumbers[static_cast<std::size_t>(i)].substr(0, 14));
    }
    EXPECT_EQ(state.smsNumbers[1], "48602111222   ");
    ASSERT_TRUE(ask(C::ReadServerAddress));
    EXPECT_EQ(state.serverAddress, (std::array<std::uint8_t, 4>{192, 168, 10, 20}));
    ASSERT_TRUE(ask(C::ReadBackupServerAddress));
    EXPECT_EQ(state.backupServerAddress, (std::array<std::uint8_t, 4>{10, 0, 0, 7}));
    ASSERT_TRUE(ask(C::ReadLongText, "00"));
    EXPECT_EQ(state.apn, "internet.example                ");
    ASSERT_TRUE(ask(C::ReadLongText, "01"));
    EXPECT_EQ(state.papLogin.substr(0, 6), "panel ");
    EXPECT_EQ(state.papLogin.size(), 32u);
    ASSERT_TRUE(ask(C::ReadStationName, "00"));
    EXPECT_EQ(state.stationName, "Hala 3        ");

    const int indices[] = {0, 1, 2, 3, 4, 5, 6, 7, 64, 65, 66, 67};
    for (int i : indices) {
        std::string idx;
        appendHex(idx, static_cast<std::uint32_t>(i), 2);
        ASSERT_TRUE(ask(C::ReadThreshold, idx)) << i;
    }
    EXPECT_EQ(state.alarmThresholds, (std::array<std::int32_t, 8>{-150, 300, 250, 800, 300, 800, 9800, 10300}));
    EXPECT_EQ(state.alarmHysteresis, (std::array<std::int32_t, 4>{5, 10, 10, 20}));
    for (int i = 0; i < 8; ++i) ASSERT_TRUE(ask(C::ReadExceedanceLimit, "0" + std::to_string(i)));
    EXPECT_EQ(state.exceedanceLimits, (std::array<std::int32_t, 8>{-200, 350, 300, 900, 250, 850, 9700, 10400}));
}

TEST_F(PanelExchange, ModemHandlingOffRefusesModemCommandsAndSaysWhy) {
    panel.model().modemHandlingEnabled = false;
    const std::optional<int> pinBefore = panel.model().pin;
    // Each refused, and its modem digit tells the parser why.
    const struct {
        C command;
        const char* data;
    } modem[] = {{C::ReadModemOptions, ""}, {C::ReadThreshold, "00"}, {C::SetPin, "30303031"}, {C::WriteLongTextChunk, "20202020"}};
    for (const auto& m : modem) {
        state.modemHandlingEnabled = 1;
        EXPECT_FALSE(ask(m.command, m.data)) << lastReply;
        EXPECT_EQ(state.modemHandlingEnabled, 0) << lastReply;
    }
    EXPECT_EQ(panel.model().pin, pinBefore);
    EXPECT_EQ(panel.model().papPassword, distinctiveModel().papPassword);
    // The panel's own signalling works without the modem.
    EXPECT_TRUE(ask(C::ReadBatteryAlarm));
    EXPECT_TRUE(ask(C::ReadExceedanceLimit, "00"));
    EXPECT_TRUE(ask(C::ReadPowerLossAlarm));

    panel.model().modemHandlingEnabled = true;
    EXPECT_TRUE(ask(C::ReadModemOptions));
    EXPECT_EQ(state.modemHandlingEnabled, 1);
}

TEST_F(PanelExchange, WritesChangeTheModel) {
    // The frames the program sends, written out by hand.
    ASSERT_TRUE(ask(C::WriteThreshold, "02FFFF6A"));
    EXPECT_EQ(panel.model().alarmThresholds[2], -150);
    ASSERT_TRUE(ask(C::WriteThreshold, "0500012C"));
    EXPECT_EQ(panel.model().alarmThresholds[5], 300);
    ASSERT_TRUE(ask(C::WriteThreshold, "43000019"));
    EXPECT_EQ(panel.model().alarmHysteresis[3], 25);
    EXPECT_FALSE(ask(C::WriteThreshold, "10000001"));   // no such index: refused

    ASSERT_TRUE(ask(C::WriteExceedanceLimit, "01FFFFFF"));
    EXPECT_EQ(panel.model().exceedanceLimits[1], -1);
    ASSERT_TRUE(ask(C::SetPin, "30303037"));
    EXPECT_EQ(panel.model().pin, 7);
    EXPECT_FALSE(ask(C::SetPin, "3030303A"));   // not a digit
    EXPECT_EQ(panel.model().pin, 7);

    ASSERT_TRUE(ask(C::WriteSmsChunk, "34393837"));   // string 3, chunk 4: characters 12..14
    EXPECT_EQ(panel.model().smsNumbers[3].substr(12, 3), "987");
    EXPECT_FALSE(ask(C::WriteSmsChunk, "60313233"));  // string 6 does not exist
    EXPECT_FALSE(ask(C::WriteSmsChunk, "05313233"));  // chunk 5 does not exist

    state.papWritten = 0;
    ASSERT_TRUE(ask(C::WriteLongTextChunk, "2A58595A"));   // last PAP password chunk: acknowledged
    EXPECT_EQ(state.papWritten, 1);
    EXPECT_EQ(panel.model().papPassword.substr(30, 3), "XYZ");
    EXPECT_FALSE(ask(C::WriteLongTextChunk, "0B414243"));

    ASSERT_TRUE(ask(C::SetClock, "12345678"));
    EXPECT_EQ(panel.model().clockSeconds, 0x12345678u);
    EXPECT_EQ(state.clockWritten, 1);
    ASSERT_TRUE(ask(C::WriteServerAddress, "C0A80001"));
    EXPECT_EQ(panel.model().serverAddress, (std::array<std::uint8_t, 4>{192, 168, 0, 1}));
    ASSERT_TRUE(ask(C::WriteAutoOff, "7F"));
    EXPECT_EQ(panel.model().autoOffTime, 0x7F);
    ASSERT_TRUE(ask(C::WriteInternetAllowed, "00"));
    EXPECT_EQ(panel.model().internetAllowed, 0);
    EXPECT_EQ(state.modemWritten, 1);
}

TEST_F(PanelExchange, MalformedFramesAreRefusedOrIgnored) {
    // A write with too few data digits is refused, a read of the wrong length
    // without a refusal digit is not answered.
    EXPECT_FALSE(ask(C::WriteDisplayFlags, "12"));
    EXPECT_EQ(panel.model().displayFlags, 0x1234);
    EXPECT_FALSE(panel.handleFrame(frameFor(toNumber(C::Identity), "00")));
    EXPECT_FALSE(ask(C::ReadSmsNumber, "06"));
    EXPECT_FALSE(ask(C::ReadLongText, "02"));
}

TEST(SimulatedPanelFrames, BadOrForeignFramesGetNoAnswer) {
    SimulatedPanel panel;
    EXPECT_TRUE(panel.handleFrame("020A00F4"));
    EXPECT_TRUE(panel.handleFrame("020A00F4\r\n"));
    EXPECT_FALSE(panel.handleFrame("020A00F5\r\n"));    // bad LRC
    EXPECT_FALSE(panel.handleFrame("020a00F4\r\n"));    // lower case
    EXPECT_FALSE(panel.handleFrame("0F0F00E2\r\n"));    // no such command
    EXPECT_FALSE(panel.handleFrame("020A00F\r\n"));     // odd length
    EXPECT_FALSE(panel.handleFrame("\r\n"));
    EXPECT_FALSE(panel.handleFrame("02:A00F4"));
}

TEST_F(PanelExchange, WrittenValuesReadBackUnchanged) {
    ASSERT_TRUE(ask(C::WriteLoggingInterval, "003C"));
    ASSERT_TRUE(ask(C::WriteLoggingFlags, "0145"));
    ASSERT_TRUE(ask(C::CloseLoggingWrite));
    EXPECT_EQ(state.memorySettingsWritten, 1);
    ASSERT_TRUE(ask(C::ReadMemorySettings));
    EXPECT_EQ(state.loggingInterval, 60);
    EXPECT_EQ(state.loggingFlags, 0x145);

    const char* station = "Magazyn 7     ";   // 14 characters and a pad space
    for (int chunk = 0; chunk < 5; ++chunk) {
        std::string data = "0" + std::to_string(chunk);
        for (int k = 0; k < 3; ++k) {
            const int at = 3 * chunk + k;
            appendHex(data, static_cast<std::uint8_t>(at < 14 ? station[at] : ' '), 2);
        }
        ASSERT_TRUE(ask(C::WriteStationChunk, data));
    }
    ASSERT_TRUE(ask(C::ReadStationName, "00"));
    EXPECT_EQ(state.stationName, station);

    ASSERT_TRUE(ask(C::WriteExceedanceLimit, "03FFF830"));   // -2000
    ASSERT_TRUE(ask(C::ReadExceedanceLimit, "03"));
    EXPECT_EQ(state.exceedanceLimits[3], -2000);
    ASSERT_TRUE(ask(C::WriteThreshold, "00FFFFFF"));
    ASSERT_TRUE(ask(C::ReadThreshold, "00"));
    EXPECT_EQ(state.alarmThresholds[0], -1);
}

// A panel of four blocks: one of data, one erased, then nothing.
PanelModel memoryModel() {
    MemoryImageBuilder builder(15);
    LoggedReading r;
    r.seconds = 1000;
    r.temperature1Present = true;
    r.temperature1 = 20.0;
    builder.add(r);
    builder.addErasedBlock();
    builder.closeBlock();
    PanelModel m;
    m.memorySizeBlocks = 4;
    m.memoryImage = builder.image();
    return m;
}

class MemoryExchange : public PanelExchange {
protected:
    MemoryExchange() : PanelExchange(memoryModel()) {}
};

TEST_F(MemoryExchange, SelectReadAndErase) {
    expectAnswers({{C::SelectMemoryBlock, "0000", {FIELD(memoryBlockEmpty, 0)}},
                   {C::ReadMemoryBlock, "00", {FIELD(memoryBlock[1], 0x80 | 0x10 | 0x08)}}});
    EXPECT_EQ(state.memoryBlock, panel.model().block(0));
    expectAnswers({
        {C::SelectMemoryBlock, "0100", {FIELD(memoryBlockEmpty, 1)}},   // the erased block
        {C::SelectMemoryBlock, "0300", {FIELD(memoryBlockEmpty, 1)}},   // past the image
        {C::SelectMemoryBlock, "0400", {FIELD(memoryBlockEmpty, 1)}},   // the extra request past the memory size
        {C::ReadMemoryBlock, "04", {}},
    });
    for (std::uint8_t b : state.memoryBlock) ASSERT_EQ(b, 0xFF);
    expectAnswers({{C::EraseMemory, "", {FIELD(memoryErased, 1)}}, {C::SelectMemoryBlock, "0000", {FIELD(memoryBlockEmpty, 1)}}});
}

TEST_F(PanelExchange, BadLrcEveryNthReply) {
    FaultConfig f;
    f.badLrcEvery = 3;
    panel.setFaults(f);
    std::vector<bool> valid;
    for (int i = 0; i < 7; ++i) {
        const auto reply = panel.handleFrame("020A00F4\r\n");
        ASSERT_TRUE(reply);
        valid.push_back(checksumValid(reply->data(), reply->size()));
    }
    EXPECT_EQ(valid, (std::vector<bool>{true, true, false, true, true, false, true}));
}

TEST_F(PanelExchange, NoiseLineBeforeAReply) {
    FaultConfig f;
    f.noiseLineEvery = 2;
    panel.setFaults(f);
    ASSERT_TRUE(ask(C::Identity));
    const auto reply = panel.handleFrame("020A00F4\r\n");
    ASSERT_TRUE(reply);
    const std::size_t end = reply->find('\n');
    ASSERT_NE(end, std::string::npos);
    const std::string noise = reply->substr(0, end + 1);
    const std::string rest = reply->substr(end + 1);
    EXPECT_EQ(noise.substr(0, 2), "09");
    EXPECT_FALSE(parser.parse(noise.data(), noise.size(), 0));
    EXPECT_EQ(state.ignoredLine, 1);
    EXPECT_TRUE(parser.parse(rest.data(), rest.size(), 0));
}

// The line faults, each on every second reply: the second reply's length.
TEST_F(PanelExchange, LineFaultsOnEveryNthReply) {
    const std::string clean = *panel.handleFrame("020A00F4\r\n");
    const std::pair<int FaultConfig::*, std::size_t> cases[] = {
        {&FaultConfig::duplicateEvery, 2 * clean.size()}, {&FaultConfig::lateEvery, clean.size()},
        {&FaultConfig::dropCharacterEvery, clean.size() - 1}, {&FaultConfig::burstEvery, clean.size() + kBurstLength},
        {&FaultConfig::lostLineEndEvery, clean.size() - 1}};
    for (const auto& [every, length] : cases) {
        FaultConfig f;
        f.*every = 2;
        panel.setFaults(f);
        const std::string reply = *panel.handleFrame("020A00F4\r\n");
        EXPECT_EQ(reply.size(), length);
        EXPECT_EQ(panel.lastReplyLate(), every == &FaultConfig::lateEvery);
        EXPECT_EQ(reply.find(clean) == 0, every == &FaultConfig::lateEvery || every == &FaultConfig::duplicateEvery);
        EXPECT_EQ(*panel.handleFrame("020A00F4\r\n"), clean);   // the next one is clean
    }
}

TEST_F(PanelExchange, SilenceForCommandsAndForATimeWindow) {
    FaultConfig f;
    f.silentFor = {toNumber(C::Pressure)};
    f.silentFrom = 10;
    f.silentUntil = 20;
    panel.setFaults(f);
    EXPECT_FALSE(panel.handleFrame("020100FD"));
    EXPECT_TRUE(panel.handleFrame("020A00F4"));
    clock.now += 10;
    EXPECT_FALSE(panel.handleFrame("020A00F4"));
    clock.now += 9.9;
    EXPECT_FALSE(panel.handleFrame("020A00F4"));
    clock.now += 0.1;
    EXPECT_TRUE(panel.handleFrame("020A00F4"));
    panel.silenceFor(5);
    EXPECT_FALSE(panel.handleFrame("020A00F4"));
    clock.now += 5;
    EXPECT_TRUE(panel.handleFrame("020A00F4"));
}

TEST_F(PanelExchange, RefusedCommandsSetTheRefusalDigitAndChangeNothing) {
    FaultConfig f;
    f.refusedFor = {toNumber(C::WriteDisplayFlags), toNumber(C::ReadAutoOff), toNumber(C::EraseMemory)};
    panel.setFaults(f);
    panel.model().memoryImage.assign(256, 0x00);
    EXPECT_FALSE(ask(C::WriteDisplayFlags, "0F0F"));
    EXPECT_EQ(panel.model().displayFlags, 0x1234);
    EXPECT_EQ(hexDigitValue(lastReply[13]) & 1, 1);
    EXPECT_FALSE(ask(C::ReadAutoOff));
    EXPECT_FALSE(ask(C::EraseMemory));
    EXPECT_EQ(panel.model().memoryImage[0], 0x00);
    EXPECT_TRUE(ask(C::ReadDisplayFlags));
}

TEST(SimulatedPanelDrift, AnimatedReadingsMoveSlowly) {
    ManualClock clock;
    PanelModel m;
    m.animateReadings = true;
    SimulatedPanel panel(m, clock.source());
    const Readings before = panel.model().readings;
    clock.now += 30;
    ASSERT_TRUE(panel.handleFrame("020A00F4"));
    const Readings after = panel.model().readings;
    EXPECT_NE(before.temperature1, after.temperature1);
    EXPECT_LT(std::abs(before.temperature1 - after.temperature1), 2.0);
    EXPECT_LT(std::abs(before.relativeHumidity - after.relativeHumidity), 6.0);
    EXPECT_LT(std::abs(before.pressure - after.pressure), 1.5);
}

TEST(Scenarios, EveryNamedScenarioExists) {
    for (const ScenarioInfo& info : scenarios()) EXPECT_TRUE(makeScenario(info.name, 0)) << info.name;
    EXPECT_FALSE(makeScenario("no-such-panel", 0));
    const auto faulty = makeScenario("faulty-line", 0);
    EXPECT_EQ(faulty->faults.badLrcEvery, 5);
    EXPECT_GT(faulty->faults.noiseLineEvery, 0);
    EXPECT_EQ(makeScenario("old-firmware", 0)->model.firmwareVersion, 105);
}

TEST(Scenarios, MemoryScenarioHasDataAndErasedBlocks) {
    const PanelModel m = makeScenario("memory", panelSecondsSince2000({2025, 6, 1, 12, 0, 0}))->model;
    const int blocks = static_cast<int>(m.memoryImage.size() / 256);
    ASSERT_GE(blocks, 6);
    ASSERT_LE(blocks, m.memorySizeBlocks);
    int erased = 0, used = 0;
    for (int k = 0; k < blocks; ++k) {
        if (m.blockStatus(k) == 0xFF) ++erased;
        else ++used;
        // Every block ends in 0xFF, so no record runs into the next block.
        EXPECT_EQ(m.memoryImage[static_cast<std::size_t>(k) * 256 + 255], 0xFF);
    }
    EXPECT_GE(erased, 2);
    EXPECT_GE(used, 4);
    EXPECT_EQ(m.blockStatus(0), 1);
    EXPECT_EQ(m.memoryImage[1] & 0x80, 0x80);   // a header first
}

}  // namespace
}  // namespace mr420::sim
