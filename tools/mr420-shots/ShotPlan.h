#pragma once
// What mr420-shots pictures and under which file names: one picture per menu
// entry that opens a window, the main window in three states, and the
// memory windows. The help pages refer to these names. No Qt here, so the
// help-page tests can check the names against the pages.

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/MenuTable.h"

namespace mr420::shots {

// A menu entry and the picture of the window it opens.
struct MenuShot {
    int menuId;
    const char* file;
};

// In the order the tool takes them. An entry whose window is not built yet
// (its menu entry disabled) is skipped when the tool runs.
inline const std::vector<MenuShot>& menuShots() {
    static const std::vector<MenuShot> list = {
        {menu_id::kSerialPort, "port.png"},
        {menu_id::kRegistration, "registration.png"},
        {menu_id::kLanguage, "language.png"},
        {menu_id::kAdditionalSettings, "additional-settings.png"},
        {menu_id::kPanelInformation, "panel-information.png"},
        {menu_id::kDisplay, "display-flags.png"},
        {menu_id::kDateTime, "clock.png"},
        {menu_id::kDefaultPressure, "default-pressure.png"},
        {menu_id::kAutoOff, "auto-off.png"},
        {menu_id::kModemOptions, "modem-options.png"},
        {menu_id::kModemThresholds, "modem-thresholds.png"},
        {menu_id::kModemPin, "modem-pin.png"},
        {menu_id::kModemPap, "modem-pap.png"},
        {menu_id::kHistoryDisplay, "history-display.png"},
        {menu_id::kExceedance, "exceedance.png"},
        {menu_id::kBattery, "battery.png"},
        {menu_id::kPowerLoss, "power-loss.png"},
        {menu_id::kLoggingSettings, "logging-settings.png"},
        {menu_id::kColours, "colours.png"},
        {menu_id::kFonts, "fonts.png"},
        {menu_id::kPromotion, "promotion.png"},
        {menu_id::kAbout, "about.png"},
    };
    return list;
}

// Menu entries that open no window of the program's own (they close it,
// toggle a mark, start another program or open the browser), the memory
// entries and the live chart, pictured with the memory scenario below.
inline const std::vector<int>& entriesWithoutMenuShot() {
    static const std::vector<int> list = {
        menu_id::kRunVimo,    menu_id::kClose,      menu_id::kAlwaysOnTop, menu_id::kHelp,
        menu_id::kMemoryRead, menu_id::kMemoryErase, menu_id::kChart,
    };
    return list;
}

// The other pictures.
inline constexpr const char* kMainWindow = "main-window.png";
inline constexpr const char* kMainWindowMemory = "main-window-memory.png";
inline constexpr const char* kMainWindowNoCommunication = "main-window-no-communication.png";
inline constexpr const char* kMemory = "memory.png";
inline constexpr const char* kMemorySave = "memory-save.png";
inline constexpr const char* kMemoryErase = "memory-erase.png";
inline constexpr const char* kChartLive = "chart-live.png";
inline constexpr const char* kChartMemory = "chart-memory.png";

// Every file the tool can write, menu pictures first.
inline std::vector<std::string> allShotFiles() {
    std::vector<std::string> files;
    for (const MenuShot& s : menuShots()) files.emplace_back(s.file);
    for (const char* f : {kMainWindow, kMainWindowMemory, kMainWindowNoCommunication, kMemory, kMemorySave,
                          kMemoryErase, kChartLive, kChartMemory})
        files.emplace_back(f);
    return files;
}

// The scenario of the main run (a panel with its modem settings filled in,
// so that every dialog shows values) and of the memory pictures.
inline constexpr std::string_view kDefaultScenario = "modem-208";
inline constexpr std::string_view kMemoryScenario = "memory";

struct Options {
    std::string language = "pl";   // pl or en
    std::string outDir;            // default: docs/help/images/<language> of the source tree
    std::string scenario{kDefaultScenario};
    bool help = false;
};

// The command line (without the program name). An error text instead of
// options for an unknown switch, a switch without its value or a language
// other than pl and en.
struct ParsedOptions {
    std::optional<Options> options;
    std::string error;
};

inline ParsedOptions parseOptions(const std::vector<std::string>& args) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            o.help = true;
            continue;
        }
        if (a == "--lang" || a == "--out" || a == "--scenario") {
            if (i + 1 >= args.size()) return {std::nullopt, a + " needs a value"};
            const std::string& v = args[++i];
            if (a == "--lang") {
                if (v != "pl" && v != "en") return {std::nullopt, "--lang takes pl or en, not " + v};
                o.language = v;
            } else if (a == "--out") {
                o.outDir = v;
            } else {
                o.scenario = v;
            }
            continue;
        }
        return {std::nullopt, "unknown argument " + a};
    }
    return {o, {}};
}

// The file name of a menu entry's picture, nothing for an entry without one.
inline std::optional<std::string> shotFileOf(int menuId) {
    const auto& list = menuShots();
    auto it = std::find_if(list.begin(), list.end(), [&](const MenuShot& s) { return s.menuId == menuId; });
    if (it == list.end()) return std::nullopt;
    return std::string(it->file);
}

}  // namespace mr420::shots
