#include "config/widgets/ConfigFeature.h"

#include <type_traits>

#include "base/widgets/MessageBoxes.h"
#include "base/widgets/WaitWindow.h"
#include "config/widgets/AlarmDialogs.h"
#include "config/widgets/ConfigDialog.h"
#include "config/widgets/DisplayDialogs.h"
#include "config/widgets/LoggingSettingsDialog.h"
#include "config/widgets/ModemDialogs.h"
#include "config/widgets/SmallConfigDialogs.h"

namespace mr420 {

namespace {

using Entry = ConfigFeature::Entry;
using Factory = Entry (*)(PanelSession&, MessageBoxes&, QWidget*);

template <typename Model, typename Dialog>
Entry makeEntry(PanelSession& session, MessageBoxes& boxes, QWidget* parent) {
    Entry e;
    auto model = std::make_unique<Model>();
    // The clock dialog follows the panel's clock itself.
    if constexpr (std::is_constructible_v<Dialog, Model&, const PanelState&, MessageBoxes&, QWidget*>)
        e.dialog = std::make_unique<Dialog>(*model, session.state(), boxes, parent);
    else
        e.dialog = std::make_unique<Dialog>(*model, boxes, parent);
    e.model = std::move(model);
    return e;
}

constexpr std::size_t at(ConfigKind kind) { return static_cast<std::size_t>(kind); }

// The dialog of each kind.
const std::array<Factory, kConfigKindCount> kFactories = [] {
    std::array<Factory, kConfigKindCount> f{};
    f[at(ConfigKind::Clock)] = &makeEntry<ClockModel, ClockDialog>;
    f[at(ConfigKind::AutoOff)] = &makeEntry<AutoOffModel, AutoOffDialog>;
    f[at(ConfigKind::DefaultPressure)] = &makeEntry<DefaultPressureModel, DefaultPressureDialog>;
    f[at(ConfigKind::LoggingSettings)] = &makeEntry<LoggingSettingsModel, LoggingSettingsDialog>;
    f[at(ConfigKind::ModemOptions)] = &makeEntry<ModemSettingsModel, ModemSettingsDialog>;
    f[at(ConfigKind::ModemPin)] = &makeEntry<PinModel, PinDialog>;
    f[at(ConfigKind::ModemPap)] = &makeEntry<PapPasswordModel, PapPasswordDialog>;
    f[at(ConfigKind::ModemThresholds)] = &makeEntry<ModemThresholdsModel, ModemThresholdsDialog>;
    f[at(ConfigKind::Exceedance)] = &makeEntry<ExceedanceModel, ExceedanceDialog>;
    f[at(ConfigKind::Battery)] = &makeEntry<BatteryAlarmModel, BatteryAlarmDialog>;
    f[at(ConfigKind::PowerLoss)] = &makeEntry<PowerLossModel, PowerLossDialog>;
    f[at(ConfigKind::DisplayFlags)] = &makeEntry<DisplayFlagsModel, DisplayFlagsDialog>;
    f[at(ConfigKind::HistoryDisplay)] = &makeEntry<HistoryDisplayModel, HistoryDisplayDialog>;
    f[at(ConfigKind::PanelInformation)] = &makeEntry<PanelInfoModel, PanelInfoDialog>;
    return f;
}();

}  // namespace

ConfigFeature::ConfigFeature(PanelSession& session, TimerRouter& timers, MessageBoxes& boxes, WaitWindow& wait,
                             QWidget* parent)
    : QObject(parent), session_(session), boxes_(boxes), wait_(wait), parent_(parent),
      controller_(session, timers, *this) {}

ConfigFeature::~ConfigFeature() = default;

ConfigFeature::Entry& ConfigFeature::entry(ConfigKind kind) {
    Entry& e = entries_[static_cast<std::size_t>(kind)];
    if (!e.dialog) e = kFactories[static_cast<std::size_t>(kind)](session_, boxes_, parent_);
    return e;
}

bool ConfigFeature::offers(int menuId) const {
    const ConfigSpec* spec = configSpecForMenu(menuId);
    return spec && kFactories[static_cast<std::size_t>(spec->kind)] != nullptr;
}

ConfigDialog& ConfigFeature::dialog(ConfigKind kind) { return *entry(kind).dialog; }
ConfigModel& ConfigFeature::model(ConfigKind kind) { return *entry(kind).model; }

std::vector<int> ConfigFeature::commands() const {
    std::vector<int> ids;
    for (const ConfigSpec& spec : kConfigTable)
        if (offers(spec.menuId)) ids.push_back(spec.menuId);
    return ids;
}

void ConfigFeature::run(int menuId) {
    if (!offers(menuId)) return;
    const ConfigKind kind = configSpecForMenu(menuId)->kind;
    Entry& e = entry(kind);
    // The memory list's columns are the program's settings, shown and
    // changed in the memory-logging dialog; only its OK changes them.
    auto* logging = kind == ConfigKind::LoggingSettings && dewPointColumn_ && vapourColumn_
                        ? static_cast<LoggingSettingsModel*>(e.model.get())
                        : nullptr;
    if (logging) {
        logging->setDewPointColumn(*dewPointColumn_);
        logging->setVapourColumn(*vapourColumn_);
    }
    controller_.run(kind, *e.dialog, *e.model);
    if (logging) {
        *dewPointColumn_ = logging->dewPointColumn();
        *vapourColumn_ = logging->vapourColumn();
    }
}

void ConfigFeature::showMessage(const UserMessage& message) { boxes_.show(parent_, message); }

void ConfigFeature::runWaitWindow() { wait_.show(); }

void ConfigFeature::closeWaitWindow() { wait_.close(); }

}  // namespace mr420
