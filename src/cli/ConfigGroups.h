#pragma once
// The panel's settings as the command line names them: one row per group
// (its name, the configuration dialog it stands for, how to make that
// dialog's model) with the group's settings, each a name, the values it
// takes and how it is read from and written into the model. `get` prints
// every setting of a row as NAME=VALUE after the model was filled from the
// panel; `set` fills the model, changes only the settings named, lets the
// model check the whole (its accept(), the dialog's OK) and writes. A new
// group is one more row.
//
// Values are in display units. A threshold is a number with one decimal in
// the channel's unit (°C, %, hPa), the further digits dropped as the
// dialog's field drops them; the alarm repeat time is HhMMm (1h10m; also
// 1h10, 1h or 10m), kept at ten-minute steps as the dialog keeps it.

#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/UserMessage.h"
#include "config/ConfigController.h"

namespace mr420::cli {

// What a setter made of a value: accepted, or refused with the model's
// message (when the model has one) or with the setting's list of values.
struct SetResult {
    bool ok = true;
    UserMessage message;
    static SetResult accepted() { return {}; }
    static SetResult refused(UserMessage m = {}) { return {false, m}; }
};

struct GroupSetting {
    std::string name;
    std::string values;   // what it takes, for the help and the messages
    std::function<std::string(const ConfigModel&, const PanelState&)> get;
    std::function<SetResult(ConfigModel&, std::string_view)> set;
    // The panel firmware (100 * major + minor) that has the setting; 0 for
    // every panel. `set` refuses it for an older panel.
    int firmware = 0;
};

struct ConfigGroup {
    std::string name;
    ConfigKind kind;
    std::function<std::unique_ptr<ConfigModel>()> makeModel;
    std::vector<GroupSetting> settings;
    // A secret the panel is only sent (the PIN, the PAP password): `get`
    // refuses the group, its settings have no getter, and no message ever
    // repeats a value given for it.
    bool writeOnly = false;
};

// Every group, in the order of the help.
const std::vector<ConfigGroup>& configGroups();
const ConfigGroup* findGroup(std::string_view name);
const GroupSetting* findSetting(const ConfigGroup& group, std::string_view name);
// "clock, auto-off, ..."
std::string groupNames();

// Boolean values: on|off, also yes|no, true|false, 1|0.
std::optional<bool> parseSwitch(std::string_view text);

// The panel clock as `get clock` prints it and `set clock` reads it:
// YYYY-MM-DDTHH:MM:SS (a space instead of the T is read too).
std::string clockText(const LocalTime& clock);

}  // namespace mr420::cli
