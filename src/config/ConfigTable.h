#pragma once
// The panel's configuration dialogs as one table: for each, its menu entry,
// the chain that reads its settings and the reply that fills it, the chain
// that writes them and the reply that acknowledges it, the time-outs with
// their timers and the messages of a failure. ConfigController runs every
// dialog from its row.

#include <array>
#include <optional>

#include "base/UserMessage.h"
#include "protocol/PanelCommand.h"
#include "protocol/PanelState.h"

namespace mr420 {

enum class ConfigKind {
    Clock,
    AutoOff,
    DefaultPressure,
    LoggingSettings,
    ModemOptions,
    ModemPin,
    ModemPap,
    ModemThresholds,
    Exceedance,
    Battery,
    PowerLoss,
    DisplayFlags,
    HistoryDisplay,
    PanelInformation,
};
constexpr int kConfigKindCount = 14;

struct ConfigSpec {
    ConfigKind kind;
    int menuId;

    // Read phase; none for the clock, PIN and PAP dialogs.
    std::optional<PanelCommand> firstRead;
    std::optional<PanelCommand> fillingRead;   // its reply fills the dialog
    int readTimeoutMs;
    UserMessage readFailure;
    UserMessage readFailureModemOff;           // instead, while the panel's modem handling is off

    // Write phase; none for the panel information.
    std::optional<PanelCommand> firstWrite;
    std::optional<PanelCommand> acknowledgedWrite;   // the last write of the chain
    Flag PanelState::*acknowledgement;
    int writeTimeoutMs;
    int writeTimerId;
    UserMessage writeFailure;
    UserMessage writeFailureModemOff;

    bool reads() const { return firstRead.has_value(); }
    bool writes() const { return firstWrite.has_value(); }
};

// Every dialog, in the order of ConfigKind.
extern const std::array<ConfigSpec, kConfigKindCount> kConfigTable;

const ConfigSpec& configSpec(ConfigKind kind);
// The row of a menu entry, or nullptr.
const ConfigSpec* configSpecForMenu(int menuId);

// The first read of a dialog for the panel at hand: the panel information
// starts with 020B00 from firmware 1.24 on, with 060100 before.
std::optional<PanelCommand> firstReadFor(const ConfigSpec& spec, const PanelState& state);

// Whether every reply that a dialog shows arrived: each reply of its read
// chain (as the panel at hand reads it, with every index the chain asks
// for) marked in `state.received`; for the clock, the poll cycle's 030000.
// A dialog, `get` and `set` use the settings only when this holds.
bool settingsComplete(const ConfigSpec& spec, const PanelState& state);
// Drops the marks of the dialog's read chain, as its read starts again: what
// the dialog shows is then what this read brought.
void forgetSettings(const ConfigSpec& spec, PanelState& state);

// The failure message that applies now (the modem variants while the
// panel's modem handling is off).
UserMessage readFailureFor(const ConfigSpec& spec, const PanelState& state);
UserMessage writeFailureFor(const ConfigSpec& spec, const PanelState& state);

}  // namespace mr420
