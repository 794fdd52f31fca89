#include "app/widgets/PeripheralCommands.h"

#include <QCoreApplication>

#include "app/widgets/AboutDialog.h"
#include "app/widgets/AdditionalSettingsDialog.h"
#include "app/HelpTopics.h"
#include "app/widgets/HelpCommand.h"
#include "app/widgets/HelpKey.h"
#include "app/widgets/LinkStatic.h"
#include "app/widgets/PromotionDialog.h"
#include "base/TimerIds.h"
#include "base/TimerRouter.h"
#include "ui/MenuTable.h"
#include "ui/widgets/FontsDialog.h"
#include "ui/widgets/ValuePane.h"

namespace mr420 {

namespace {
constexpr int kPromotionAfterStartMs = 100;
}

PeripheralCommands::PeripheralCommands(const PaneSet& panes, MessageBoxes& boxes, TimerRouter& timers, QWidget* parent,
                                       std::function<bool()> closing)
    : panes_(panes), boxes_(boxes), timers_(timers), parent_(parent), closing_(std::move(closing)) {
    timers_.route(timer_id::kPromotion, [this](int id) {
        timers_.stopTimer(id);
        showPromotion(true);
    });
    helpKey_ = std::make_unique<HelpKey>([this](QWidget* window) { showHelpOf(window); }, nullptr);
}

PeripheralCommands::~PeripheralCommands() {
    timers_.stopTimer(timer_id::kPromotion);
    timers_.route(timer_id::kPromotion, {});
}

bool PeripheralCommands::handles(int menuId) {
    switch (menuId) {
        case menu_id::kColours:
        case menu_id::kFonts:
        case menu_id::kAdditionalSettings:
        case menu_id::kHelp:
        case menu_id::kPromotion:
        case menu_id::kAbout:
            return true;
        default:
            return false;
    }
}

void PeripheralCommands::run(int menuId) {
    const QString programDir = QCoreApplication::applicationDirPath();
    switch (menuId) {
        case menu_id::kColours: runColoursCommand(panes_, paneChooser(), parent_); break;
        case menu_id::kFonts: runFontsCommand(panes_, paneChooser(), parent_); break;
        case menu_id::kAdditionalSettings: editAdditionalSettings(showAtStart_, parent_); break;
        case menu_id::kHelp: showHelp(parent_, currentHelpContext(), programDir, linkOpener(), boxes_); break;
        case menu_id::kPromotion: showPromotion(false); break;
        case menu_id::kAbout: {
            HelpLinkOpener pages(parent_, linkOpener(), boxes_);
            AboutDialog dialog(programDir, currentHelpContext(), pages, boxes_, parent_);
            dialog.exec();
            break;
        }
        default: break;
    }
}

void PeripheralCommands::scheduleAfterStart() {
    if (showAtStart_ && !closing_()) timers_.startTimer(timer_id::kPromotion, kPromotionAfterStartMs);
}

void PeripheralCommands::stop() { timers_.stopTimer(timer_id::kPromotion); }

void PeripheralCommands::showPromotion(bool atStart) {
    if (closing_()) return;
    HelpLinkOpener pages(parent_, linkOpener(), boxes_);
    PromotionDialog dialog(helpPageFor(currentHelpContext()), pages, boxes_, parent_);
    startShowing_ = atStart;
    dialog.exec();
    startShowing_ = false;
}

void PeripheralCommands::showHelpOf(QWidget* window) {
    if (closing_()) return;
    const std::string page = helpTopicPath(currentHelpContext(), helpTopicOf(window),
                                           QCoreApplication::applicationDirPath().toStdString());
    showHelpPage(window, QString::fromStdString(page), linkOpener(), boxes_);
}

LinkOpener& PeripheralCommands::linkOpener() const { return linkOpener_ ? *linkOpener_ : desktopLinkOpener(); }

PaneChooser& PeripheralCommands::paneChooser() const { return paneChooser_ ? *paneChooser_ : systemPaneChooser(); }

}  // namespace mr420
