// Frames built by the program's command builder, answered by the simulated
// panel and parsed by the program's reply parser: every read fills PanelState
// with the panel's values, and every value written reads back unchanged.

#include <gtest/gtest.h>

#include <string>

#include "protocol/CommandBuilder.h"
#include "protocol/PanelCommand.h"
#include "protocol/ReplyParser.h"
#include "sim/MemoryImageBuilder.h"
#include "sim/Scenarios.h"
#include "sim/SimulatedPanel.h"

namespace mr420 {
namespace {

using C = PanelCommand;

class CommandRoundTrip : public ::testing::Test {
protected:
    CommandRoundTrip() : panel(sim::makeScenario("modem-208", panelSecondsSince2000({2025, 3, 4, 5, 6, 7}))->model, [this] { return now; }) {}

    // Builds the frame of `command`, lets the panel answer and parses the reply.
    bool run(C command) {
        const int number = toNumber(command);
        const std::string frame = CommandBuilder::buildFrame(number, args, counters);
        const std::optional<std::string> reply = panel.handleFrame(frame);
        if (!reply) return false;
        return parser.parse(reply->data(), reply->size(), number);
    }
    // Runs `command` for each `index` from `first` to `last`.
    ::testing::AssertionResult runEach(C command, int& index, int first, int last) {
        for (index = first; index <= last; ++index)
            if (!run(command)) return ::testing::AssertionFailure() << toNumber(command) << " at " << index;
        return ::testing::AssertionSuccess();
    }

    double now = 0;
    sim::SimulatedPanel panel;
    WriteArguments args;
    ChainCounters counters;
    PanelState state;
    ReplyParser parser{state};
};

TEST_F(CommandRoundTrip, EveryReadCommandParses) {
    const C reads[] = {C::Identity, C::Mr466Info, C::Mr466Readings, C::Mr411Readings, C::Mr411Info, C::Pressure,
                       C::Options, C::ReadClock, C::ReadMemorySettings, C::ReadModemOptions, C::ReadAlarmRepeatTime,
                       C::ReadServerAddress, C::ReadServerPort, C::ReadStationName, C::BarometerInfo,
                       C::ReadThresholdFlags, C::ReadAutoOff, C::ReadDisplayFlags, C::ReadDefaultPressure,
                       C::ReadHistoryDisplay, C::ReadExceedanceFlags, C::ReadExceedanceDelay, C::ReadBatteryAlarm,
                       C::ReadPowerLossAlarm, C::ReadInternetAllowed, C::ReadBackupServerAddress,
                       C::ReadBackupServerPort, C::ReadConnectionAttempts};
    for (C c : reads) EXPECT_TRUE(run(c)) << toNumber(c);
    const sim::PanelModel& m = panel.model();
    EXPECT_EQ(state.firmwareVersion, m.firmwareVersion);
    EXPECT_EQ(state.panelSerialNumber, m.panelSerialNumber);
    EXPECT_DOUBLE_EQ(state.temperature1, m.readings.temperature1);
    EXPECT_NEAR(state.pressure, m.readings.pressure, 1e-9);
    EXPECT_EQ(state.panelClock.year, 2025);
    EXPECT_EQ(state.panelClock.second, 7);
    EXPECT_EQ(state.modemOptions, m.modemOptions);
    EXPECT_EQ(state.serverPort, m.serverPort);
    EXPECT_EQ(state.backupServerAddress, m.backupServerAddress);
    EXPECT_EQ(state.connectionAttemptsPerDay, m.connectionAttemptsPerDay);
    EXPECT_EQ(state.stationName, m.stationName.substr(0, 14));
    EXPECT_EQ(state.powerLossDelay, m.powerLossDelay);

    for (counters.stringIndex = 0; counters.stringIndex < 6; ++counters.stringIndex) {
        ASSERT_TRUE(run(C::ReadSmsNumber)) << counters.stringIndex;
        EXPECT_EQ(state.smsNumbers[static_cast<std::size_t>(counters.stringIndex)],
                  m.smsNumbers[static_cast<std::size_t>(counters.stringIndex)].substr(0, 14));
    }
    ASSERT_TRUE(runEach(C::ReadLongText, counters.longTextIndex, 0, 1));
    EXPECT_EQ(state.apn, m.apn.substr(0, 32));
    EXPECT_EQ(state.papLogin, m.papLogin.substr(0, 32));
    ASSERT_TRUE(runEach(C::ReadThreshold, counters.thresholdIndex, 0, 7));
    ASSERT_TRUE(runEach(C::ReadThreshold, counters.thresholdIndex, 64, 67));
    EXPECT_EQ(state.alarmThresholds, m.alarmThresholds);
    EXPECT_EQ(state.alarmHysteresis, m.alarmHysteresis);
    ASSERT_TRUE(runEach(C::ReadExceedanceLimit, counters.exceedanceIndex, 0, 7));
    EXPECT_EQ(state.exceedanceLimits, m.exceedanceLimits);
}

TEST_F(CommandRoundTrip, WordAndByteSettingsReadBack) {
    args.loggingInterval = 45;
    args.loggingFlags = 0x0141;
    args.autoOffTime = 0x90;
    args.displayFlags = 0xBEEF;
    args.defaultPressure = 162;
    args.historyDisplay = 0x008F;
    args.modemOptions = 0x00E1;
    args.serverPort = 65535;
    args.backupServerPort = 1;
    args.serverAddress = {10, 20, 30, 40};
    args.backupServerAddress = {255, 0, 128, 1};
    args.internetAllowed = 0;
    args.connectionAttemptsPerDay = 30;
    args.alarmRepeatTime = 12;
    args.alarmThresholdFlags = 0x00FF;
    args.exceedanceFlags = 0x0081;
    args.exceedanceDelay = 600;
    args.batteryAlarm = 0;
    args.powerLossAlarm = 0;
    args.powerLossDelay = 1440;

    const C writes[] = {C::WriteLoggingInterval, C::WriteLoggingFlags, C::CloseLoggingWrite, C::WriteAutoOff,
                        C::WriteDisplayFlags, C::WriteDefaultPressure, C::WriteHistoryDisplay, C::WriteModemOptions,
                        C::WriteServerPort, C::WriteBackupServerPort, C::WriteServerAddress,
                        C::WriteBackupServerAddress, C::WriteInternetAllowed, C::WriteConnectionAttempts,
                        C::WriteAlarmRepeatTime, C::WriteThresholdFlags, C::WriteExceedanceFlags,
                        C::WriteExceedanceDelay, C::WriteBatteryAlarm, C::WritePowerLossAlarm, C::WritePowerLossDelay};
    for (C c : writes) EXPECT_TRUE(run(c)) << toNumber(c);
    EXPECT_EQ(state.memorySettingsWritten, 1);
    EXPECT_EQ(state.autoOffWritten, 1);
    EXPECT_EQ(state.displayFlagsWritten, 1);
    EXPECT_EQ(state.defaultPressureWritten, 1);
    EXPECT_EQ(state.historyDisplayWritten, 1);
    EXPECT_EQ(state.modemWritten, 1);
    EXPECT_EQ(state.thresholdsWritten, 1);
    EXPECT_EQ(state.exceedanceWritten, 1);
    EXPECT_EQ(state.batteryWritten, 1);
    EXPECT_EQ(state.powerLossWritten, 1);

    const C reads[] = {C::ReadMemorySettings, C::ReadAutoOff, C::ReadDisplayFlags, C::ReadDefaultPressure,
                       C::ReadHistoryDisplay, C::ReadModemOptions, C::ReadServerPort, C::ReadBackupServerPort,
                       C::ReadServerAddress, C::ReadBackupServerAddress, C::ReadInternetAllowed,
                       C::ReadConnectionAttempts, C::ReadAlarmRepeatTime, C::ReadThresholdFlags,
                       C::ReadExceedanceFlags, C::ReadExceedanceDelay, C::ReadBatteryAlarm, C::ReadPowerLossAlarm};
    for (C c : reads) EXPECT_TRUE(run(c)) << toNumber(c);
    EXPECT_EQ(state.loggingInterval, 45);
    EXPECT_EQ(state.loggingFlags, 0x0141);
    EXPECT_EQ(state.autoOffTime, 0x90);
    EXPECT_EQ(state.displayFlags, 0xBEEF);
    EXPECT_EQ(state.defaultPressure, 162);
    EXPECT_EQ(state.historyDisplay, 0x008F);
    EXPECT_EQ(state.modemOptions, 0x00E1);
    EXPECT_EQ(state.serverPort, 65535);
    EXPECT_EQ(state.backupServerPort, 1);
    EXPECT_EQ(state.serverAddress, (std::array<std::uint8_t, 4>{10, 20, 30, 40}));
    EXPECT_EQ(state.backupServerAddress, (std::array<std::uint8_t, 4>{255, 0, 128, 1}));
    EXPECT_EQ(state.internetAllowed, 0);
    EXPECT_EQ(state.connectionAttemptsPerDay, 30);
    EXPECT_EQ(state.alarmRepeatTime, 12);
    EXPECT_EQ(state.alarmThresholdFlags, 0x00FF);
    EXPECT_EQ(state.exceedanceFlags, 0x0081);
    EXPECT_EQ(state.exceedanceDelay, 600);
    EXPECT_EQ(state.batteryAlarm, 0);
    EXPECT_EQ(state.powerLossAlarm, 0);
    EXPECT_EQ(state.powerLossDelay, 1440);
}

TEST_F(CommandRoundTrip, ClockSetAndReadBack) {
    args.clockSeconds = panelSecondsSince2000({2028, 2, 29, 23, 59, 58});
    ASSERT_TRUE(run(C::SetClock));
    EXPECT_EQ(state.clockWritten, 1);
    ASSERT_TRUE(run(C::ReadClock));
    EXPECT_EQ(state.panelClock.year, 2028);
    EXPECT_EQ(state.panelClock.month, 2);
    EXPECT_EQ(state.panelClock.day, 29);
    EXPECT_EQ(state.panelClock.hour, 23);
    EXPECT_EQ(state.panelClock.minute, 59);
    EXPECT_EQ(state.panelClock.second, 58);
    now += 3;   // the panel clock runs on
    ASSERT_TRUE(run(C::ReadClock));
    EXPECT_EQ(state.panelClock.month, 3);
    EXPECT_EQ(state.panelClock.day, 1);
    EXPECT_EQ(state.panelClock.second, 1);
}

TEST_F(CommandRoundTrip, SignedThresholdsAndLimitsReadBack) {
    args.alarmThresholds = {-150, -1, 0, 4000, 0, 123456, 7, 8};
    args.alarmHysteresis = {1, 22, 333, 4444};
    args.exceedanceLimits = {-2000, -99999, 1, 550, 3, 4, 5, 1000000};
    ASSERT_TRUE(runEach(C::WriteThreshold, counters.thresholdIndex, 0, 7));
    ASSERT_TRUE(runEach(C::WriteThreshold, counters.thresholdIndex, 64, 67));
    ASSERT_TRUE(runEach(C::WriteExceedanceLimit, counters.exceedanceIndex, 0, 7));

    ASSERT_TRUE(runEach(C::ReadThreshold, counters.thresholdIndex, 0, 7));
    ASSERT_TRUE(runEach(C::ReadThreshold, counters.thresholdIndex, 64, 67));
    ASSERT_TRUE(runEach(C::ReadExceedanceLimit, counters.exceedanceIndex, 0, 7));
    EXPECT_EQ(state.alarmThresholds, args.alarmThresholds);
    EXPECT_EQ(state.alarmHysteresis, args.alarmHysteresis);
    EXPECT_EQ(state.exceedanceLimits, args.exceedanceLimits);
}

TEST_F(CommandRoundTrip, TextsWrittenInChunksReadBack) {
    const std::string numbers[6] = {"+48600000001", "+48511222333", "600700800", "", "12345678901234", "+1"};
    for (std::size_t i = 0; i < 6; ++i) args.smsNumbers[i] = sim::paddedSlot(numbers[i], sim::kSmsSlotLength);
    args.apn = sim::paddedSlot("apn.operator.example.pl", sim::kLongSlotLength);
    args.papLogin = sim::paddedSlot("user@operator", sim::kLongSlotLength);
    args.papPassword = sim::paddedSlot("p4ssw0rd-with-32-characters!!!!", sim::kLongSlotLength);
    args.stationName = sim::paddedSlot("Chlodnia 2", sim::kSmsSlotLength);

    for (counters.stringIndex = 0; counters.stringIndex < 6; ++counters.stringIndex)
        ASSERT_TRUE(runEach(C::WriteSmsChunk, counters.chunkIndex, 0, 4)) << counters.stringIndex;
    state.papWritten = 0;
    for (counters.textSelector = 0; counters.textSelector < 3; ++counters.textSelector)
        for (counters.chunkIndex = 0; counters.chunkIndex < 11; ++counters.chunkIndex) {
            ASSERT_TRUE(run(C::WriteLongTextChunk)) << counters.textSelector << "/" << counters.chunkIndex;
            // Only the last chunk of the PAP password acknowledges the chain.
            const bool last = counters.textSelector == 2 && counters.chunkIndex == 10;
            EXPECT_EQ(state.papWritten, last ? 1 : 0);
        }
    ASSERT_TRUE(runEach(C::WriteStationChunk, counters.chunkIndex, 0, 4));

    for (counters.stringIndex = 0; counters.stringIndex < 6; ++counters.stringIndex) {
        ASSERT_TRUE(run(C::ReadSmsNumber));
        EXPECT_EQ(state.smsNumbers[static_cast<std::size_t>(counters.stringIndex)],
                  sim::paddedSlot(numbers[counters.stringIndex], 14));
    }
    ASSERT_TRUE(runEach(C::ReadLongText, counters.longTextIndex, 0, 1));
    EXPECT_EQ(state.apn, sim::paddedSlot("apn.operator.example.pl", 32));
    EXPECT_EQ(state.papLogin, sim::paddedSlot("user@operator", 32));
    EXPECT_EQ(panel.model().papPassword, args.papPassword);   // never read back from a real panel
    ASSERT_TRUE(run(C::ReadStationName));
    EXPECT_EQ(state.stationName, sim::paddedSlot("Chlodnia 2", 14));
}

TEST_F(CommandRoundTrip, PinIsStoredFromItsDigitCodes) {
    for (std::uint32_t pin : {0u, 7u, 42u, 987u, 9999u}) {
        args.pin = pin;
        state.pinWritten = 0;
        ASSERT_TRUE(run(C::SetPin)) << pin;
        EXPECT_EQ(state.pinWritten, 1);
        ASSERT_TRUE(panel.model().pin);
        EXPECT_EQ(*panel.model().pin, static_cast<int>(pin));
    }
}

TEST_F(CommandRoundTrip, MemoryBlocksSelectReadAndErase) {
    sim::MemoryImageBuilder builder(10);
    sim::LoggedReading r;
    r.seconds = 86400;
    r.humidityPresent = true;
    r.humidity = 33.3;
    for (int i = 0; i < 3; ++i, r.seconds += 600) builder.add(r);
    builder.addErasedBlock();
    builder.add(r);
    panel.model().memoryImage = builder.image();
    panel.model().memorySizeBlocks = 3;

    ASSERT_TRUE(run(C::ReadMemorySettings));
    EXPECT_EQ(state.memorySizeBlocks, 3);
    const bool expectEmpty[] = {false, true, false, true};   // block 3 is past the memory size
    for (counters.blockCounter = 0; counters.blockCounter < 4; ++counters.blockCounter) {
        ASSERT_TRUE(run(C::SelectMemoryBlock)) << counters.blockCounter;
        EXPECT_EQ(state.memoryBlockEmpty, expectEmpty[counters.blockCounter] ? 1 : 0) << counters.blockCounter;
        if (!state.memoryBlockEmpty) {
            ASSERT_TRUE(run(C::ReadMemoryBlock));
            EXPECT_EQ(state.memoryBlock, panel.model().block(counters.blockCounter));
        }
    }
    ASSERT_TRUE(run(C::EraseMemory));
    EXPECT_EQ(state.memoryErased, 1);
    counters.blockCounter = 0;
    ASSERT_TRUE(run(C::SelectMemoryBlock));
    EXPECT_EQ(state.memoryBlockEmpty, 1);
}

}  // namespace
}  // namespace mr420
