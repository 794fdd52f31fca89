#include "config/widgets/ConfigDialogs.h"

#include "base/widgets/MessageBoxes.h"
#include "base/widgets/WaitWindow.h"
#include "config/widgets/ConfigDialog.h"
#include "config/widgets/DisplayDialogs.h"
#include "config/widgets/LoggingSettingsDialog.h"
#include "config/widgets/SmallConfigDialogs.h"

namespace mr420 {

ConfigDialogs::ConfigDialogs(PanelSession& session, TimerRouter& timers, MessageBoxes& boxes, WaitWindow& wait,
                             QWidget* parent)
    : QObject(parent), session_(session), boxes_(boxes), wait_(wait), parent_(parent),
      controller_(session, timers, *this) {}

ConfigDialogs::~ConfigDialogs() = default;

ConfigDialogs::Entry ConfigDialogs::make(ConfigKind kind) {
    Entry e;
    switch (kind) {
    case ConfigKind::Clock: {
        auto model = std::make_unique<ClockModel>();
        e.dialog = std::make_unique<ClockDialog>(*model, session_.state(), boxes_, parent_);
        e.model = std::move(model);
        break;
    }
    case ConfigKind::AutoOff: {
        auto model = std::make_unique<AutoOffModel>();
        e.dialog = std::make_unique<AutoOffDialog>(*model, boxes_, parent_);
        e.model = std::move(model);
        break;
    }
    case ConfigKind::DefaultPressure: {
        auto model = std::make_unique<DefaultPressureModel>();
        e.dialog = std::make_unique<DefaultPressureDialog>(*model, boxes_, parent_);
        e.model = std::move(model);
        break;
    }
    case ConfigKind::LoggingSettings: {
        auto model = std::make_unique<LoggingSettingsModel>();
        e.dialog = std::make_unique<LoggingSettingsDialog>(*model, boxes_, parent_);
        e.model = std::move(model);
        break;
    }
    case ConfigKind::DisplayFlags: {
        auto model = std::make_unique<DisplayFlagsModel>();
        e.dialog = std::make_unique<DisplayFlagsDialog>(*model, boxes_, parent_);
        e.model = std::move(model);
        break;
    }
    case ConfigKind::HistoryDisplay: {
        auto model = std::make_unique<HistoryDisplayModel>();
        e.dialog = std::make_unique<HistoryDisplayDialog>(*model, boxes_, parent_);
        e.model = std::move(model);
        break;
    }
    case ConfigKind::PanelInformation: {
        auto model = std::make_unique<PanelInfoModel>();
        e.dialog = std::make_unique<PanelInfoDialog>(*model, boxes_, parent_);
        e.model = std::move(model);
        break;
    }
    default:
        break;
    }
    return e;
}

ConfigDialogs::Entry& ConfigDialogs::entry(ConfigKind kind) {
    Entry& e = entries_[static_cast<std::size_t>(kind)];
    if (!e.dialog) e = make(kind);
    return e;
}

bool ConfigDialogs::offers(int menuId) const {
    const ConfigSpec* spec = configSpecForMenu(menuId);
    if (!spec) return false;
    // The kinds this build has a dialog for.
    switch (spec->kind) {
    case ConfigKind::Clock:
    case ConfigKind::AutoOff:
    case ConfigKind::DefaultPressure:
    case ConfigKind::LoggingSettings:
    case ConfigKind::DisplayFlags:
    case ConfigKind::HistoryDisplay:
    case ConfigKind::PanelInformation:
        return true;
    default:
        return false;
    }
}

ConfigDialog& ConfigDialogs::dialog(ConfigKind kind) { return *entry(kind).dialog; }
ConfigModel& ConfigDialogs::model(ConfigKind kind) { return *entry(kind).model; }

void ConfigDialogs::open(int menuId) {
    if (!offers(menuId)) return;
    const ConfigKind kind = configSpecForMenu(menuId)->kind;
    Entry& e = entry(kind);
    // The memory list's columns are the program's settings, shown and
    // changed in the memory-logging dialog; only its OK changes them.
    auto* logging = kind == ConfigKind::LoggingSettings ? static_cast<LoggingSettingsModel*>(e.model.get()) : nullptr;
    if (logging) {
        logging->setDewPointColumn(memoryColumns_.dewPoint);
        logging->setVapourColumn(memoryColumns_.waterVapour);
    }
    controller_.run(kind, *e.dialog, *e.model);
    if (logging) memoryColumns_ = {logging->dewPointColumn(), logging->vapourColumn()};
}

void ConfigDialogs::showMessage(const UserMessage& message) { boxes_.show(parent_, message); }

void ConfigDialogs::runWaitWindow() { wait_.show(); }

void ConfigDialogs::closeWaitWindow() { wait_.close(); }

}  // namespace mr420
