#include "app/HelpTopics.h"

#include <array>
#include <filesystem>
#include <utility>

#include "app/HelpPages.h"

namespace mr420 {

namespace {

constexpr const char* kContents = "index.html";

// The help pages' places, kept with the pages' anchors.
constexpr std::array<std::pair<std::string_view, const char*>, 27> kTopics = {{
    {"MainWindow", kContents},
    {"PortDialog", "getting-started.html#port"},
    {"PortSearchWindow", "getting-started.html#port"},
    {"LanguageDialog", "getting-started.html#language"},
    {"AdditionalSettingsDialog", "getting-started.html#additional"},
    {"RegistrationDialog", "registration.html"},
    {"PanelInfoDialog", "panel-settings.html#information"},
    {"DisplayFlagsDialog", "panel-settings.html#display"},
    {"ClockDialog", "panel-settings.html#clock"},
    {"DefaultPressureDialog", "panel-settings.html#pressure"},
    {"AutoOffDialog", "panel-settings.html#auto-off"},
    {"HistoryDisplayDialog", "panel-settings.html#history"},
    {"ModemSettingsDialog", "modem.html#options"},
    {"PinDialog", "modem.html#pin"},
    {"PapPasswordDialog", "modem.html#pap"},
    {"ModemThresholdsDialog", "alarms.html#modem-thresholds"},
    {"ExceedanceDialog", "alarms.html#exceedance"},
    {"BatteryAlarmDialog", "alarms.html#battery"},
    {"PowerLossDialog", "alarms.html#power-loss"},
    {"LoggingSettingsDialog", "memory.html#logging"},
    {"MemoryDialog", "memory.html#read"},
    {"MemorySaveDialog", "memory.html#save"},
    {"ColoursDialog", "colours-fonts.html"},
    {"FontsDialog", "colours-fonts.html#fonts"},
    {"PromotionDialog", "main-window.html#vks"},
    {"AboutDialog", "main-window.html#about"},
    {"ChartWindow", "charts.html"},
}};

const char* find(std::string_view windowClass) {
    for (const auto& [name, topic] : kTopics)
        if (name == windowClass) return topic;
    return nullptr;
}

}  // namespace

std::string helpTopicOfWindow(std::string_view windowClass) {
    const char* topic = find(windowClass);
    return topic ? topic : kContents;
}

bool hasHelpTopic(std::string_view windowClass) { return find(windowClass) != nullptr; }

std::string helpTopicPath(int context, const std::string& topic, const std::string& programDir) {
    const std::filesystem::path contents = helpPagePath(context, programDir);
    return (contents.parent_path() / topic).string();
}

}  // namespace mr420
