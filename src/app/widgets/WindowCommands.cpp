#include "app/widgets/WindowCommands.h"

#include <QCoreApplication>
#include <QDialog>

#include "app/widgets/AboutDialog.h"
#include "app/widgets/AdditionalSettingsDialog.h"
#include "app/HelpTopics.h"
#include "app/widgets/HelpCommand.h"
#include "app/widgets/HelpKey.h"
#include "app/widgets/LanguageDialog.h"
#include "app/widgets/LinkStatic.h"
#include "app/widgets/PromotionDialog.h"
#include "base/TimerIds.h"
#include "base/TimerRouter.h"
#include "base/widgets/MessageBoxes.h"
#include "protocol/PanelConnection.h"
#include "ui/MenuTable.h"
#include "ui/widgets/FontsDialog.h"
#include "ui/widgets/ValuePane.h"

namespace mr420 {

namespace {
constexpr int kPromotionAfterStartMs = 100;
}

WindowCommands::WindowCommands(const PaneSet& panes, PanelConnection& connection, MessageBoxes& boxes,
                               TimerRouter& timers, QDialog* window, std::function<bool()> closing)
    : panes_(panes), connection_(connection), boxes_(boxes), timers_(timers), window_(window),
      closing_(std::move(closing)) {
    timers_.route(timer_id::kPortChoiceRetry, [this](int id) {
        // Not while the window opened after start is showing: the next tick tries again.
        if (startShowing_) return;
        timers_.stopTimer(id);
        choosePort();
    });
    timers_.route(timer_id::kPromotion, [this](int id) {
        timers_.stopTimer(id);
        showPromotion(true);
    });
    helpKey_ = std::make_unique<HelpKey>([this](QWidget* window) { showHelpOf(window); }, nullptr);
}

WindowCommands::~WindowCommands() {
    stop();
    timers_.route(timer_id::kPromotion, {});
    timers_.route(timer_id::kPortChoiceRetry, {});
}

std::vector<int> WindowCommands::commands() const {
    using namespace menu_id;
    return {kClose, kAlwaysOnTop, kSerialPort, kLanguage, kColours, kFonts, kAdditionalSettings, kHelp, kPromotion, kAbout};
}

std::optional<bool> WindowCommands::checked(int menuId) const {
    if (menuId == menu_id::kAlwaysOnTop) return topmost_;
    return std::nullopt;
}

void WindowCommands::run(int menuId) {
    const QString programDir = QCoreApplication::applicationDirPath();
    switch (menuId) {
        case menu_id::kClose: window_->accept(); break;
        case menu_id::kAlwaysOnTop: applyTopmost(!topmost_); break;
        case menu_id::kSerialPort: choosePort(); break;
        case menu_id::kLanguage: chooseLanguage(); break;
        case menu_id::kColours: runColoursCommand(panes_, paneChooser(), window_); break;
        case menu_id::kFonts: runFontsCommand(panes_, paneChooser(), window_); break;
        case menu_id::kAdditionalSettings: editAdditionalSettings(showAtStart_, window_); break;
        case menu_id::kHelp: showHelp(window_, currentHelpContext(), programDir, linkOpener(), boxes_); break;
        case menu_id::kPromotion: showPromotion(false); break;
        case menu_id::kAbout: {
            HelpLinkOpener pages(window_, linkOpener(), boxes_);
            AboutDialog dialog(programDir, currentHelpContext(), pages, boxes_, window_);
            dialog.exec();
            break;
        }
        default: break;
    }
}

void WindowCommands::scheduleAfterStart() {
    if (showAtStart_ && !closing_()) timers_.startTimer(timer_id::kPromotion, kPromotionAfterStartMs);
}

void WindowCommands::stop() {
    timers_.stopTimer(timer_id::kPortChoiceRetry);
    timers_.stopTimer(timer_id::kPromotion);
}

// --- port ---------------------------------------------------------------

void WindowCommands::showOpenFailure(const PortOpenFailure& failure) {
    boxes_.message(window_, QString::fromStdString(failure.message()));
}

void WindowCommands::openConfiguredPort() {
    if (portNumber_ <= 0) {
        choosePort();
    } else if (auto failure = connection_.openCom(portNumber_)) {
        showOpenFailure(*failure);
        choosePort();
    }
}

void WindowCommands::choosePort() {
    if (closing_() || choosingPort_) return;
    if (!window_->isVisible()) {
        timers_.startTimer(timer_id::kPortChoiceRetry, 500);
        return;
    }
    choosingPort_ = true;
    for (;;) {
        const int current = connection_.portOpen() ? connection_.openComNumber() : 0;
        const int n = choosePortNumber(window_, current, portSource_, boxes_);
        if (closing_() || n <= 0 || n == current) break;
        if (auto failure = connection_.openCom(n)) {
            // A chosen port that does not open is not kept.
            portNumber_ = 0;
            showOpenFailure(*failure);
            if (closing_()) break;
            continue;
        }
        portNumber_ = n;
        break;
    }
    choosingPort_ = false;
    // Without a port, the configured one is looked for until it appears.
    if (!closing_() && !connection_.portOpen()) connection_.retryQuietly(portNumber_);
}

// --- window ---------------------------------------------------------------

void WindowCommands::applyTopmost(bool on) {
    const QRect g = window_->geometry();
    const bool wasVisible = window_->isVisible();
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (wasVisible) {
        window_->setGeometry(g);
        window_->show();
    }
    topmost_ = on;
}

void WindowCommands::chooseLanguage() {
    // Takes effect at the next start.
    LanguageDialog dialog(languageSelection(language_), window_);
    if (dialog.exec() == QDialog::Accepted) mr420::setLanguage(language_, dialog.selection());
}

void WindowCommands::showPromotion(bool atStart) {
    if (closing_()) return;
    HelpLinkOpener pages(window_, linkOpener(), boxes_);
    PromotionDialog dialog(helpPageFor(currentHelpContext()), pages, boxes_, window_);
    startShowing_ = atStart;
    dialog.exec();
    startShowing_ = false;
}

void WindowCommands::showHelpOf(QWidget* window) {
    if (closing_()) return;
    const std::string page = helpTopicPath(currentHelpContext(), helpTopicOf(window),
                                           QCoreApplication::applicationDirPath().toStdString());
    showHelpPage(window, QString::fromStdString(page), linkOpener(), boxes_);
}

LinkOpener& WindowCommands::linkOpener() const { return linkOpener_ ? *linkOpener_ : desktopLinkOpener(); }

PaneChooser& WindowCommands::paneChooser() const { return paneChooser_ ? *paneChooser_ : systemPaneChooser(); }

}  // namespace mr420
