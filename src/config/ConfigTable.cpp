#include "config/ConfigTable.h"

#include "base/StringTable.h"
#include "protocol/PanelSession.h"
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
constexpr int kBackupServerFirmware = PanelSession::kBackupServerFirmware;   // 027600, 027800, 027A00

// The replies a dialog shows: a command, the indexes its replies name, and
// the firmware from which the chain reads it.
struct ShownReply {
    ConfigKind kind;
    PanelCommand command;
    int first = 0, last = 0;
    int firmware = 0;
};
using K = ConfigKind;
constexpr ShownReply kShownReplies[] = {
    {K::Clock, C::ReadClock},
    {K::AutoOff, C::ReadAutoOff},
    {K::DefaultPressure, C::ReadDefaultPressure},
    {K::LoggingSettings, C::ReadMemorySettings},
    {K::ModemOptions, C::ReadModemOptions},
    {K::ModemOptions, C::ReadSmsNumber, 0, 5},
    {K::ModemOptions, C::ReadServerAddress},
    {K::ModemOptions, C::ReadBackupServerAddress, 0, 0, kBackupServerFirmware},
    {K::ModemOptions, C::ReadBackupServerPort, 0, 0, kBackupServerFirmware},
    {K::ModemOptions, C::ReadConnectionAttempts, 0, 0, kBackupServerFirmware},
    {K::ModemOptions, C::ReadServerPort},
    {K::ModemOptions, C::ReadLongText, 0, 1},
    {K::ModemOptions, C::ReadStationName},
    {K::ModemOptions, C::ReadInternetAllowed},
    {K::ModemThresholds, C::ReadThreshold, 0, 7},
    {K::ModemThresholds, C::ReadThreshold, 64, 67},
    {K::ModemThresholds, C::ReadThresholdFlags},
    {K::ModemThresholds, C::ReadAlarmRepeatTime},
    {K::Exceedance, C::ReadExceedanceLimit, 0, 7},
    {K::Exceedance, C::ReadExceedanceFlags},
    {K::Exceedance, C::ReadExceedanceDelay},
    {K::Battery, C::ReadBatteryAlarm},
    {K::PowerLoss, C::ReadPowerLossAlarm},
    {K::DisplayFlags, C::ReadDisplayFlags},
    {K::HistoryDisplay, C::ReadHistoryDisplay},
    {K::PanelInformation, C::Options, 0, 0, kOptionsFirmware},
    {K::PanelInformation, C::BarometerInfo},
    {K::PanelInformation, C::ReadMemorySettings},
};

bool readByPanel(const ShownReply& r, const ConfigSpec& spec, const PanelState& state) {
    return r.kind == spec.kind && state.firmwareVersion >= r.firmware;
}

}  // namespace

// clang-format off
const std::array<ConfigSpec, kConfigKindCount> kConfigTable = {{
    // kind, menu,
    //   first read, filling read, read ms, read failure, modem off,
    //   first write, acknowledged write, flag, write ms, write timer, write failure, modem off
    {ConfigKind::Clock, menu_id::kDateTime,
        noCommand, noCommand, 0, none, none,
        C::SetClock, C::SetClock, &PanelState::clockWritten, 6000, 1031, plain(kClockWriteFailed), none},
    {ConfigKind::AutoOff, menu_id::kAutoOff,
        C::ReadAutoOff, C::ReadAutoOff, 4000, plain(kAutoOffReadFailed), none,
        C::WriteAutoOff, C::WriteAutoOff, &PanelState::autoOffWritten, 6000, 1055, plain(kAutoOffWriteFailed), none},
    {ConfigKind::DefaultPressure, menu_id::kDefaultPressure,
        C::ReadDefaultPressure, C::ReadDefaultPressure, 4000, plain(kReadSettingsFailed), none,
        C::WriteDefaultPressure, C::WriteDefaultPressure, &PanelState::defaultPressureWritten, 6000, 1061,
        plain(kDefaultPressureWriteFailed), none},
    {ConfigKind::LoggingSettings, menu_id::kLoggingSettings,
        C::ReadMemorySettings, C::ReadMemorySettings, 3000, plain(kReadSettingsFailed), none,
        C::WriteLoggingInterval, C::CloseLoggingWrite, &PanelState::memorySettingsWritten, 15000, 1047,
        plain(kWriteSettingsFailed), none},
    {ConfigKind::ModemOptions, menu_id::kModemOptions,
        C::ReadModemOptions, C::ReadInternetAllowed, 8000, plain(kReadSettingsFailed), info(kModemOff),
        C::WriteModemOptions, C::WriteInternetAllowed, &PanelState::modemWritten, 20000, 1035,
        plain(kModemWriteFailed), none},
    {ConfigKind::ModemPin, menu_id::kModemPin,
        noCommand, noCommand, 0, none, none,
        C::SetPin, C::SetPin, &PanelState::pinWritten, 6000, 1064, plain(kPinWriteFailed), plain(kModemOffNotWritten)},
    {ConfigKind::ModemPap, menu_id::kModemPap,
        noCommand, noCommand, 0, none, none,
        C::WriteLongTextChunk, C::WriteLongTextChunk, &PanelState::papWritten, 9000, 1068, plain(kPapWriteFailed),
        info(kModemOffNotWritten)},
    {ConfigKind::ModemThresholds, menu_id::kModemThresholds,
        C::ReadThreshold, C::ReadAlarmRepeatTime, 4000, plain(kReadSettingsFailed), info(kModemOff),
        C::WriteAlarmRepeatTime, C::WriteThresholdFlags, &PanelState::thresholdsWritten, 9000, 1048,
        plain(kThresholdsWriteFailed), none},
    {ConfigKind::Exceedance, menu_id::kExceedance,
        C::ReadExceedanceLimit, C::ReadExceedanceDelay, 4000, plain(kReadSettingsFailed), none,
        C::WriteExceedanceDelay, C::WriteExceedanceFlags, &PanelState::exceedanceWritten, 9000, 1072,
        plain(kExceedanceWriteFailed), none},
    {ConfigKind::Battery, menu_id::kBattery,
        C::ReadBatteryAlarm, C::ReadBatteryAlarm, 4000, plain(kReadSettingsFailed), none,
        C::WriteBatteryAlarm, C::WriteBatteryAlarm, &PanelState::batteryWritten, 6000, 1075,
        plain(kBatteryWriteFailed), none},
    {ConfigKind::PowerLoss, menu_id::kPowerLoss,
        C::ReadPowerLossAlarm, C::ReadPowerLossAlarm, 4000, plain(kReadSettingsFailed), none,
        C::WritePowerLossAlarm, C::WritePowerLossDelay, &PanelState::powerLossWritten, 6000, 1076,
        plain(kPowerLossWriteFailed), none},
    {ConfigKind::DisplayFlags, menu_id::kDisplay,
        C::ReadDisplayFlags, C::ReadDisplayFlags, 4000, plain(kDisplayReadFailed), none,
        C::WriteDisplayFlags, C::WriteDisplayFlags, &PanelState::displayFlagsWritten, 6000, 1059,
        plain(kDisplayWriteFailed), none},
    {ConfigKind::HistoryDisplay, menu_id::kHistoryDisplay,
        C::ReadHistoryDisplay, C::ReadHistoryDisplay, 4000, plain(kReadSettingsFailedAlt), none,
        C::WriteHistoryDisplay, C::WriteHistoryDisplay, &PanelState::historyDisplayWritten, 6000, 1071,
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
    for (const ShownReply& r : kShownReplies)
        if (readByPanel(r, spec, state) && !state.received.hasAll(toNumber(r.command), r.first, r.last)) return false;
    return true;
}

void forgetSettings(const ConfigSpec& spec, PanelState& state) {
    if (!spec.reads()) return;   // the clock's reply is the poll cycle's
    for (const ShownReply& r : kShownReplies)
        if (r.kind == spec.kind) state.received.forget(toNumber(r.command));
}

UserMessage readFailureFor(const ConfigSpec& spec, const PanelState& state) {
    return !state.modemHandlingEnabled && spec.readFailureModemOff ? spec.readFailureModemOff : spec.readFailure;
}

UserMessage writeFailureFor(const ConfigSpec& spec, const PanelState& state) {
    return !state.modemHandlingEnabled && spec.writeFailureModemOff ? spec.writeFailureModemOff : spec.writeFailure;
}

}  // namespace mr420
