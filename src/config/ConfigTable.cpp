#include "config/ConfigTable.h"

#include <vector>

#include "base/StringTable.h"
#include "base/TimerIds.h"
#include "protocol/CommandChains.h"
#include "ui/MenuTable.h"

namespace mr420 {

namespace {

using C = PanelCommand;
using namespace string_id;

constexpr UserMessage plain(int id) { return {id, MessageIcon::None}; }
constexpr UserMessage info(int id) { return {id, MessageIcon::Information}; }
constexpr UserMessage none{};
constexpr std::optional<PanelCommand> noCommand = std::nullopt;

constexpr int kOptionsFirmware = 124;        // 020B00 from 1.24 on

// The replies a dialog shows: those of its read chain as the chain table
// has them (with `state`: as the panel at hand reads it; without: every step
// the chain may take). The clock shows the poll cycle's 030000.
std::vector<ChainReply> shownReplies(const ConfigSpec& spec, const PanelState* state) {
    if (spec.kind == ConfigKind::Clock) return {{C::ReadClock, {0, 0}}};
    if (!spec.reads()) return {};
    const bool allSteps = state == nullptr;
    const PanelCommand first = !allSteps ? *firstReadFor(spec, *state)
                               : spec.kind == ConfigKind::PanelInformation ? C::Options : *spec.firstRead;
    return chainReplies(first, *spec.fillingRead, state);
}

}  // namespace

// clang-format off
const std::array<ConfigSpec, kConfigKindCount> kConfigTable = {{
    // kind, menu,
    //   first read, filling read, read ms, read failure, modem off,
    //   first write, acknowledged write, flag, write ms, write timer, write failure, modem off
    {ConfigKind::Clock, menu_id::kDateTime,
        noCommand, noCommand, 0, none, none,
        C::SetClock, C::SetClock, &PanelState::clockWritten, 6000, timer_id::kClockWrite, plain(kClockWriteFailed), none},
    {ConfigKind::AutoOff, menu_id::kAutoOff,
        C::ReadAutoOff, C::ReadAutoOff, 4000, plain(kAutoOffReadFailed), none,
        C::WriteAutoOff, C::WriteAutoOff, &PanelState::autoOffWritten, 6000, timer_id::kAutoOffWrite, plain(kAutoOffWriteFailed), none},
    {ConfigKind::DefaultPressure, menu_id::kDefaultPressure,
        C::ReadDefaultPressure, C::ReadDefaultPressure, 4000, plain(kReadSettingsFailed), none,
        C::WriteDefaultPressure, C::WriteDefaultPressure, &PanelState::defaultPressureWritten, 6000, timer_id::kDefaultPressureWrite,
        plain(kDefaultPressureWriteFailed), none},
    {ConfigKind::LoggingSettings, menu_id::kLoggingSettings,
        C::ReadMemorySettings, C::ReadMemorySettings, 3000, plain(kReadSettingsFailed), none,
        C::WriteLoggingInterval, C::CloseLoggingWrite, &PanelState::memorySettingsWritten, 15000, timer_id::kLoggingWrite,
        plain(kWriteSettingsFailed), none},
    {ConfigKind::ModemOptions, menu_id::kModemOptions,
        C::ReadModemOptions, C::ReadInternetAllowed, 8000, plain(kReadSettingsFailed), info(kModemOff),
        C::WriteModemOptions, C::WriteInternetAllowed, &PanelState::modemWritten, 20000, timer_id::kModemWrite,
        plain(kModemWriteFailed), none},
    {ConfigKind::ModemPin, menu_id::kModemPin,
        noCommand, noCommand, 0, none, none,
        C::SetPin, C::SetPin, &PanelState::pinWritten, 6000, timer_id::kPinWrite, plain(kPinWriteFailed), plain(kModemOffNotWritten)},
    {ConfigKind::ModemPap, menu_id::kModemPap,
        noCommand, noCommand, 0, none, none,
        C::WriteLongTextChunk, C::WriteLongTextChunk, &PanelState::papWritten, 9000, timer_id::kPapWrite, plain(kPapWriteFailed),
        info(kModemOffNotWritten)},
    {ConfigKind::ModemThresholds, menu_id::kModemThresholds,
        C::ReadThreshold, C::ReadAlarmRepeatTime, 4000, plain(kReadSettingsFailed), info(kModemOff),
        C::WriteAlarmRepeatTime, C::WriteThresholdFlags, &PanelState::thresholdsWritten, 9000, timer_id::kThresholdsWrite,
        plain(kThresholdsWriteFailed), none},
    {ConfigKind::Exceedance, menu_id::kExceedance,
        C::ReadExceedanceLimit, C::ReadExceedanceDelay, 4000, plain(kReadSettingsFailed), none,
        C::WriteExceedanceDelay, C::WriteExceedanceFlags, &PanelState::exceedanceWritten, 9000, timer_id::kExceedanceWrite,
        plain(kExceedanceWriteFailed), none},
    {ConfigKind::Battery, menu_id::kBattery,
        C::ReadBatteryAlarm, C::ReadBatteryAlarm, 4000, plain(kReadSettingsFailed), none,
        C::WriteBatteryAlarm, C::WriteBatteryAlarm, &PanelState::batteryWritten, 6000, timer_id::kBatteryWrite,
        plain(kBatteryWriteFailed), none},
    {ConfigKind::PowerLoss, menu_id::kPowerLoss,
        C::ReadPowerLossAlarm, C::ReadPowerLossAlarm, 4000, plain(kReadSettingsFailed), none,
        C::WritePowerLossAlarm, C::WritePowerLossDelay, &PanelState::powerLossWritten, 6000, timer_id::kPowerLossWrite,
        plain(kPowerLossWriteFailed), none},
    {ConfigKind::DisplayFlags, menu_id::kDisplay,
        C::ReadDisplayFlags, C::ReadDisplayFlags, 4000, plain(kDisplayReadFailed), none,
        C::WriteDisplayFlags, C::WriteDisplayFlags, &PanelState::displayFlagsWritten, 6000, timer_id::kDisplayWrite,
        plain(kDisplayWriteFailed), none},
    {ConfigKind::HistoryDisplay, menu_id::kHistoryDisplay,
        C::ReadHistoryDisplay, C::ReadHistoryDisplay, 4000, plain(kReadSettingsFailedAlt), none,
        C::WriteHistoryDisplay, C::WriteHistoryDisplay, &PanelState::historyDisplayWritten, 6000, timer_id::kHistoryDisplayWrite,
        plain(kWriteSettingsFailedAlt), none},
    {ConfigKind::PanelInformation, menu_id::kPanelInformation,
        C::BarometerInfo, C::ReadMemorySettings, 2000, plain(kReadSettingsFailedAlt), none,
        noCommand, noCommand, nullptr, 0, 0, none, none},
}};
// clang-format on

const ConfigSpec& configSpec(ConfigKind kind) { return kConfigTable[static_cast<std::size_t>(kind)]; }

const ConfigSpec* configSpecForMenu(int menuId) {
    for (const ConfigSpec& spec : kConfigTable)
        if (spec.menuId == menuId) return &spec;
    return nullptr;
}

std::optional<PanelCommand> firstReadFor(const ConfigSpec& spec, const PanelState& state) {
    if (spec.kind == ConfigKind::PanelInformation && state.firmwareVersion >= kOptionsFirmware) return C::Options;
    return spec.firstRead;
}

bool settingsComplete(const ConfigSpec& spec, const PanelState& state) {
    for (const ChainReply& r : shownReplies(spec, &state))
        if (!state.received.hasAll(toNumber(r.command), r.indexes.first, r.indexes.last)) return false;
    return true;
}

void forgetSettings(const ConfigSpec& spec, PanelState& state) {
    if (!spec.reads()) return;   // the clock's reply is the poll cycle's
    for (const ChainReply& r : shownReplies(spec, nullptr)) state.received.forget(toNumber(r.command));
}

UserMessage readFailureFor(const ConfigSpec& spec, const PanelState& state) {
    return !state.modemHandlingEnabled && spec.readFailureModemOff ? spec.readFailureModemOff : spec.readFailure;
}

UserMessage writeFailureFor(const ConfigSpec& spec, const PanelState& state) {
    return !state.modemHandlingEnabled && spec.writeFailureModemOff ? spec.writeFailureModemOff : spec.writeFailure;
}

}  // namespace mr420
