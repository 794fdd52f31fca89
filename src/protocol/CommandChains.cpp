#include "protocol/CommandChains.h"

#include <algorithm>

namespace mr420 {

namespace {

using C = PanelCommand;
using W = When;
using R = Readout;
using K = ChainCounters;

constexpr Sweep one{};
constexpr ChainStart none{};
constexpr Sweep smsNumbers{&K::stringIndex, {{{0, 5}}}};
constexpr Sweep longTexts{&K::longTextIndex, {{{0, 1}}}};   // APN, PAP login
constexpr Sweep thresholds{&K::thresholdIndex, {{{0, 7}, {64, 67}}}};   // thresholds, then hysteresis
constexpr Sweep exceedanceLimits{&K::exceedanceIndex, {{{0, 7}}}};
constexpr Sweep smsChunks{&K::chunkIndex, {{{0, 4}}}, &K::stringIndex, {0, 5}};   // 14 characters each
constexpr Sweep longTextChunks{&K::chunkIndex, {{{0, 10}}}, &K::textSelector, {0, 1}};   // 32 characters each
constexpr Sweep stationChunks{&K::chunkIndex, {{{0, 4}}}};

constexpr ChainStart fromThreshold0{&K::thresholdIndex, 0};
constexpr ChainStart fromLimit0{&K::exceedanceIndex, 0};
constexpr ChainStart papPassword{&K::textSelector, 2, &K::chunkIndex, 0};   // requested alone: text 2
constexpr ChainStart fromBlock0{&K::blockCounter, 0};
constexpr ChainStart endingReadout{nullptr, 0, nullptr, 0, true};   // the logging dialog's own read

}  // namespace

// clang-format off
// The chains, as the rows below make them (x n: one frame per index):
//   poll cycle       020A00, 010100, 030000, 020000, 050100, 020200, 020100
//                    (the probe steps as the panel reports its probes)
//   panel info       020B00, 060100, 040000
//   read-out         024000, 040000, then per block 041000 and, unless the
//                    block is erased and only data is read, 041100
//   logging, write   040100, 040200, 040300
//   modem, read      025000, 025400 x6, 025900, [027600, 027800, 027A00],
//                    025B00, 026200 x2, 026400, 027400
//   modem, write     025100, 025500 x30, [027700, 027900, 027B00], 025A00,
//                    025C00, 026300 x22, 026500 x5, 027500
//   PAP password     026300 x11 (text 2)
//   thresholds       025D00 x12, 026000, 025200; 025300, 025E00 x12, 026100
//   exceedance       026800 x8, 026A00, 026C00; 026D00, 026900 x8, 026B00
//   power loss       027200, 027300
// [ ]: firmware 2.08 on. Every other command is a chain of its own.
constexpr std::array<ChainStep, kCommandCount> kRows = {{
    // command, next, when, sweep, read-out, start when requested
    {C::Identity, C::Mr411Info, W::Always, one, R::None, none},
    {C::Mr466Info, C::Mr466Readings, W::Mr466Info, one, R::None, none},
    {C::Mr466Readings, C::Pressure, W::Mr466Readings, one, R::None, none},
    {C::Mr411Readings, C::Mr466Info, W::Mr411Readings, one, R::None, none},
    {C::Mr411Info, C::ReadClock, W::Mr411Info, one, R::None, none},
    {C::Pressure, C::Identity, W::Always, one, R::None, none},
    {C::Options, C::BarometerInfo, W::Always, one, R::None, none},
    {C::ReadClock, C::Mr411Readings, W::Always, one, R::None, none},
    {C::SetClock, C::Identity, W::Always, one, R::None, none},
    {C::ReadMemorySettings, C::SelectMemoryBlock, W::Always, one, R::Size, endingReadout},
    {C::WriteLoggingInterval, C::WriteLoggingFlags, W::Always, one, R::None, none},
    {C::WriteLoggingFlags, C::CloseLoggingWrite, W::Always, one, R::None, none},
    {C::CloseLoggingWrite, C::Identity, W::Always, one, R::None, none},
    {C::SelectMemoryBlock, C::ReadMemoryBlock, W::Always, one, R::Select, none},
    {C::ReadMemoryBlock, C::SelectMemoryBlock, W::BlockHasData, one, R::Block, none},
    {C::EraseMemory, C::Identity, W::Always, one, R::None, none},
    {C::ReadModemOptions, C::ReadSmsNumber, W::Always, one, R::None, none},
    {C::ReadAlarmRepeatTime, C::Identity, W::Always, one, R::None, none},
    {C::ReadSmsNumber, C::ReadServerAddress, W::Always, smsNumbers, R::None, none},
    {C::ReadServerAddress, C::ReadBackupServerAddress, W::Always, one, R::None, none},
    {C::ReadServerPort, C::ReadLongText, W::Always, one, R::None, none},
    {C::ReadLongText, C::ReadStationName, W::Always, longTexts, R::None, none},
    {C::ReadStationName, C::ReadInternetAllowed, W::Always, one, R::None, none},
    {C::WriteModemOptions, C::WriteSmsChunk, W::Always, one, R::None, none},
    {C::WriteSmsChunk, C::WriteBackupServerAddress, W::Always, smsChunks, R::None, none},
    {C::BarometerInfo, C::ReadMemorySettings, W::Always, one, R::None, none},
    {C::WriteServerAddress, C::WriteServerPort, W::Always, one, R::None, none},
    {C::WriteServerPort, C::WriteLongTextChunk, W::Always, one, R::None, none},
    {C::ReadThreshold, C::ReadThresholdFlags, W::Always, thresholds, R::None, fromThreshold0},
    {C::WriteLongTextChunk, C::WriteStationChunk, W::Always, longTextChunks, R::None, papPassword},
    {C::WriteStationChunk, C::WriteInternetAllowed, W::Always, stationChunks, R::None, none},
    {C::ReadThresholdFlags, C::ReadAlarmRepeatTime, W::Always, one, R::None, none},
    {C::WriteThreshold, C::WriteThresholdFlags, W::Always, thresholds, R::None, none},
    {C::WriteThresholdFlags, C::Identity, W::Always, one, R::None, none},
    {C::ReadAutoOff, C::Identity, W::Always, one, R::None, none},
    {C::WriteAutoOff, C::Identity, W::Always, one, R::None, none},
    {C::ReadDisplayFlags, C::Identity, W::Always, one, R::None, none},
    {C::WriteDisplayFlags, C::Identity, W::Always, one, R::None, none},
    {C::ReadDefaultPressure, C::ReadMemorySettings, W::Always, one, R::Pressure, fromBlock0},
    {C::WriteDefaultPressure, C::Identity, W::Always, one, R::None, none},
    {C::WriteAlarmRepeatTime, C::WriteThreshold, W::Always, one, R::None, none},
    {C::SetPin, C::Identity, W::Always, one, R::None, none},
    {C::ReadHistoryDisplay, C::Identity, W::Always, one, R::None, none},
    {C::WriteHistoryDisplay, C::Identity, W::Always, one, R::None, none},
    {C::ReadExceedanceLimit, C::ReadExceedanceFlags, W::Always, exceedanceLimits, R::None, fromLimit0},
    {C::WriteExceedanceLimit, C::WriteExceedanceFlags, W::Always, exceedanceLimits, R::None, none},
    {C::ReadExceedanceFlags, C::ReadExceedanceDelay, W::Always, one, R::None, none},
    {C::WriteExceedanceFlags, C::Identity, W::Always, one, R::None, none},
    {C::ReadExceedanceDelay, C::Identity, W::Always, one, R::None, none},
    {C::WriteExceedanceDelay, C::WriteExceedanceLimit, W::Always, one, R::None, none},
    {C::ReadBatteryAlarm, C::Identity, W::Always, one, R::None, none},
    {C::WriteBatteryAlarm, C::Identity, W::Always, one, R::None, none},
    {C::ReadPowerLossAlarm, C::Identity, W::Always, one, R::None, none},
    {C::WritePowerLossAlarm, C::WritePowerLossDelay, W::Always, one, R::None, none},
    {C::WritePowerLossDelay, C::Identity, W::Always, one, R::None, none},
    {C::ReadInternetAllowed, C::Identity, W::Always, one, R::None, none},
    {C::WriteInternetAllowed, C::Identity, W::Always, one, R::None, none},
    {C::ReadBackupServerAddress, C::ReadBackupServerPort, W::BackupServer, one, R::None, none},
    {C::WriteBackupServerAddress, C::WriteBackupServerPort, W::BackupServer, one, R::None, none},
    {C::ReadBackupServerPort, C::ReadConnectionAttempts, W::BackupServer, one, R::None, none},
    {C::WriteBackupServerPort, C::WriteConnectionAttempts, W::BackupServer, one, R::None, none},
    {C::ReadConnectionAttempts, C::ReadServerPort, W::BackupServer, one, R::None, none},
    {C::WriteConnectionAttempts, C::WriteServerAddress, W::BackupServer, one, R::None, none},
}};
// clang-format on

namespace {
constexpr bool inCommandOrder() {
    for (int i = 0; i < kCommandCount; ++i)
        if (toNumber(kRows[static_cast<std::size_t>(i)].command) != i) return false;
    return true;
}
static_assert(inCommandOrder(), "one row per command, in the order of the command numbers");
}  // namespace

const std::array<ChainStep, kCommandCount> kChainTable = kRows;

bool stepTaken(When when, const PanelState& state, bool fullDump) {
    const bool oldFirmware = state.firmwareVersion < kNewFirmware;
    switch (when) {
    case W::Always: return true;
    case W::Mr411Info: return (state.mr411Supported && !oldFirmware) || oldFirmware;
    case W::Mr411Readings: return !state.mr411Absent && (state.mr411Supported || oldFirmware);
    case W::Mr466Info: return (state.mr466Supported && !oldFirmware) || oldFirmware;
    case W::Mr466Readings: return (state.mr466Supported && !state.mr466Absent && !oldFirmware) || oldFirmware;
    case W::BackupServer: return state.firmwareVersion >= kBackupServerFirmware;
    case W::BlockHasData: return !state.memoryBlockEmpty || fullDump;
    }
    return true;
}

void startSweep(const Sweep& sweep, ChainCounters& counters) {
    if (sweep.counter) counters.*sweep.counter = sweep.spans[0].first;
    if (sweep.outer) counters.*sweep.outer = sweep.outerSpan.first;
}

bool advanceSweep(const Sweep& sweep, ChainCounters& counters, bool& ended) {
    ended = false;
    if (!sweep.counter) return false;
    int& index = counters.*sweep.counter;
    ++index;
    const IndexSpan& second = sweep.spans[1];
    if (index > sweep.spans[0].last && second.last >= second.first && index < second.first) index = second.first;
    if (index <= std::max(sweep.spans[0].last, second.last)) return true;
    if (!sweep.outer) return false;
    index = sweep.spans[0].first;
    int& outer = counters.*sweep.outer;
    if (outer > sweep.outerSpan.last) {
        ended = true;
        return false;
    }
    return ++outer <= sweep.outerSpan.last;
}

void startRequested(PanelCommand command, ChainCounters& counters) {
    const ChainStart& start = chainStep(command).start;
    if (start.counter) counters.*start.counter = start.value;
    if (start.second) counters.*start.second = start.secondValue;
}

std::vector<ChainReply> chainReplies(PanelCommand first, PanelCommand last, const PanelState* state) {
    std::vector<ChainReply> replies;
    C command = first;
    for (int steps = 0; steps < kCommandCount; ++steps) {
        const ChainStep& step = chainStep(command);
        if (!step.sweep.counter) replies.push_back({command, {0, 0}});
        for (const IndexSpan& span : step.sweep.spans)
            if (step.sweep.counter && span.last >= span.first) replies.push_back({command, span});
        if (command == last) break;
        // The next step that is sent.
        command = step.next;
        while (command != C::Identity && state && !stepTaken(chainStep(command).when, *state, false))
            command = chainStep(command).next;
        if (command == C::Identity) break;
    }
    return replies;
}

}  // namespace mr420
