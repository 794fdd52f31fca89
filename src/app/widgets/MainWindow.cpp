#include "app/widgets/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <grp.h>
#include <sys/stat.h>

#include <cstring>

#include "base/StringTable.h"
#include "app/widgets/LanguageDialog.h"
#include "app/widgets/LocalDataServer.h"
#include "base/widgets/MessageBoxes.h"
#include "base/widgets/ProgramArt.h"
#include "base/widgets/QtTimerService.h"
#include "base/widgets/WaitWindow.h"
#include "link/ComPortNames.h"
#include "link/SerialPort.h"
#include "link/widgets/PortDialog.h"
#include "link/widgets/QtByteDelivery.h"
#include "protocol/PanelSession.h"
#include "base/TimerIds.h"
#include "recording/widgets/RegistrationController.h"
#include "recording/widgets/RegistrationStatusLink.h"
#include "ui/MainLayout.h"
#include "ui/MenuTable.h"
#include "ui/ReadingModel.h"
#include "ui/widgets/ValuePane.h"

namespace mr420 {

namespace {
QString qs(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

// The window's side of the core's interfaces, kept out of the header.
struct MainWindow::Bridge : public ReadingView, public DataServerControl, public SessionListener {
    MainWindow& w;
    explicit Bridge(MainWindow& window) : w(window) {}

    // ReadingView
    bool windowExists() const override { return true; }
    void setPaneVisible(int channel, bool visible) override { w.panes_[std::size_t(channel)]->setVisible(visible); }
    void relayout() override { w.layoutPanes(); }
    void setStatusText(const std::string& text) override {
        w.status_->setText(qs(text));
        w.status_->setCursorPosition(0);
        w.panes_[0]->setFocus();
    }
    void setClockText(const std::string& text) override {
        w.clock_->setText(qs(text));
        w.clock_->setCursorPosition(0);  // show the start of a text longer than the field
    }
    void setMenuEntryEnabled(int menuId, bool enabled) override {
        if (QAction* a = w.action(menuId)) a->setEnabled(enabled && w.implemented(menuId));
    }
    void showDataServerStartFailure() override {
        w.boxes_.show(&w, qs(str(string_id::kDdeInitFailed)), BoxButtons::Ok, BoxIcon::Error);
    }
    void reopenRegistrationAfterStart() override { w.registration_->reopenAfterStart(&w); }

    // DataServerControl
    void stop() override { w.dataServer_->stop(); }
    bool start(int panelSerialNumber) override { return w.dataServer_->start(panelSerialNumber, w.liveReadings()); }
    void publish() override { w.dataServer_->publish(w.liveReadings()); }

    // SessionListener
    void refreshDisplay(bool connected) override { w.refreshDisplay(connected); }
};

MainWindow::MainWindow(AppSettings& settings, std::map<int, std::string> portAliases, MessageBoxes& boxes,
                       QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint),
      settings_(settings),
      aliases_(std::move(portAliases)),
      boxes_(boxes) {
    setWindowTitle(QStringLiteral("MR420"));
    setWindowIcon(programIcon());
    setSizeGripEnabled(false);
    portSource_ = systemPortEntries(aliases_);

    bridge_ = std::make_unique<Bridge>(*this);
    sizeState_ = std::make_unique<WindowSizeState>();
    timers_ = std::make_unique<QtTimerService>([this](int id) { onTimer(id); });
    delivery_ = std::make_unique<QtByteDelivery>([this](char c) { onCharacter(c); });
    dataServer_ = std::make_unique<LocalDataServer>();
    readings_ = std::make_unique<ReadingModel>(state_, *timers_, *bridge_, *bridge_);
    session_ = std::make_unique<PanelSession>(state_, writeArgs_, *timers_, *bridge_);
    registration_ = std::make_unique<RegistrationController>(boxes_);
    registration_->setReadingsProvider([this] { return liveReadings(); });
    registration_->setSourcesProvider([this] { return probeSources(); });
    registrationLink_ = std::make_unique<RegistrationStatusLink>(*registration_);
    readings_->setRegistrationSource(registrationLink_.get());
    connect(registration_.get(), &RegistrationController::statusChanged, this,
            [this] { readings_->updateStatusLine(); });
    wait_ = std::make_unique<WaitWindow>(qs(str(string_id::kPleaseWait)), this);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    menuBar_ = new QMenuBar(this);
    outer->setMenuBar(menuBar_);
    client_ = new QWidget(this);
    outer->addWidget(client_, 1);
    client_->installEventFilter(this);

    status_ = new QLineEdit(client_);
    status_->setReadOnly(true);
    clock_ = new QLineEdit(client_);
    clock_->setReadOnly(true);
    for (int c = 0; c < kChannelCount; ++c) {
        panes_[std::size_t(c)] = new ValuePane(&readings_->pane(c), client_);
        panes_[std::size_t(c)]->setFocusPolicy(Qt::StrongFocus);
    }
    // The initial places in dialog units; the layout replaces them at once.
    status_->setGeometry(dluX(7), dluY(7), dluX(245), dluY(14));
    clock_->setGeometry(dluX(256), dluY(7), dluX(57), dluY(14));
    const int paneY[kChannelCount] = {26, 64, 186, 102, 142, 232};  // TEMP1 TEMP2 RH PRESSURE DP WB
    for (int c = 0; c < kChannelCount; ++c) panes_[std::size_t(c)]->setGeometry(dluX(7), dluY(paneY[c]), dluX(306), dluY(34));
    resize(dluX(320), dluY(284));

    buildMenu();
    applySettings(settings_);
}

MainWindow::~MainWindow() {
    closePort();
    if (dataServer_) dataServer_->stop();
    // The panes' models belong to the reading model; unbind before it goes.
    for (ValuePane* p : panes_) delete p;
}

bool MainWindow::implemented(int id) const {
    switch (id) {
        case menu_id::kClose:
        case menu_id::kAlwaysOnTop:
        case menu_id::kSerialPort:
        case menu_id::kRegistration:
        case menu_id::kLanguage:
            return true;
        default:
            return false;
    }
}

void MainWindow::buildMenu() {
    const auto& menu = mainMenu();
    for (std::size_t i = 0; i < menu.size(); ++i) {
        QMenu* popup = menuBar_->addMenu(qs(menuPopupTitle(int(i))));
        for (const MenuEntry& e : menu[i].entries) {
            if (e.id == 0) {
                popup->addSeparator();
                continue;
            }
            QAction* a = popup->addAction(qs(menuText(e.id)));
            a->setData(e.id);
            // Commands whose dialogs are not part of this build stay visible but disabled.
            a->setEnabled(implemented(e.id));
            actions_[e.id] = a;
            const int id = e.id;
            connect(a, &QAction::triggered, this, [this, id] { onCommand(id); });
        }
    }
    if (QAction* a = action(menu_id::kAlwaysOnTop)) a->setCheckable(true);
}

QWidget* MainWindow::paneWidget(int channel) const { return panes_[std::size_t(channel)]; }

QAction* MainWindow::action(int commandId) const {
    auto it = actions_.find(commandId);
    return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::onCommand(int id) {
    switch (id) {
        case menu_id::kClose: accept(); break;
        case menu_id::kAlwaysOnTop: toggleTopmost(); break;
        case menu_id::kSerialPort: choosePort(); break;
        case menu_id::kRegistration: registration_->openDialog(this); break;
        case menu_id::kLanguage: {
            // Takes effect at the next start.
            LanguageDialog dialog(languageSelection(language_), this);
            if (dialog.exec() == QDialog::Accepted) setLanguage(language_, dialog.selection());
            break;
        }
        default: break;
    }
}

void MainWindow::initialise() {
    if (initialised_) return;
    initialised_ = true;

    if (portNumber_ <= 0) {
        choosePort();
    } else {
        const int n = portNumber_;
        QString reason;
        if (!openPort(n, &reason)) {
            portNumber_ = 0;
            boxes_.message(this, qs(str(string_id::kCannotOpenPort)).replace(QStringLiteral("%d"), QString::number(n)) +
                                     QStringLiteral("\n") + reason);
            choosePort();
        }
    }
    if (QAction* a = action(menu_id::kRegistration)) a->setEnabled(false);
    statusFieldHeight_ = status_->sizeHint().height();

    initialising_ = false;
    placeWindow();
    refreshDisplay(false);
    topmost_ = !topmost_;
    toggleTopmost();
    session_->setPort(port_ ? port_.get() : nullptr);
    session_->start();
}

void MainWindow::placeWindow() {
    if (!placeTarget_) placeTarget_ = QRect(QPoint(windowLeft_, windowTop_), QPoint(windowRight_ - 1, windowBottom_ - 1));
    const int w = std::max(1, placeTarget_->width());
    const int h = std::max(1, placeTarget_->height());
    // The stored rectangle is the outer frame; the frame's extra size is known
    // once the window system has framed the window, zero before.
    const QMargins m = frameMargins();
    resize(std::max(1, w - m.left() - m.right()), std::max(1, h - m.top() - m.bottom()));
    move(placeTarget_->left(), placeTarget_->top());
}

QMargins MainWindow::frameMargins() const {
    const QRect f = frameGeometry(), g = geometry();
    return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom());
}

void MainWindow::refreshDisplay(bool connected) {
    connected_ = connected;
    readings_->refreshDisplay(connected);
}

// --- port ---------------------------------------------------------------

bool MainWindow::portOpen() const { return port_ && port_->isOpen(); }

bool MainWindow::openPort(int comNumber, QString* reason) {
    closePort();
    const std::string path = devicePathForCom(comNumber, aliases_);
    if (path.empty()) {
        if (reason) *reason = QString::fromLocal8Bit(std::strerror(ENOENT));
        return false;
    }
    auto port = std::make_unique<SerialPort>();
    if (!port->open(path, *delivery_) || !port->startWorker()) {
        if (reason) *reason = openFailureText(*port, path);
        port->close(&QtByteDelivery::pumpEvents);
        return false;
    }
    delivery_->setDiscarding(false);
    port_ = std::move(port);
    portNumber_ = comNumber;
    if (session_) session_->setPort(port_.get());
    return true;
}

QString MainWindow::openFailureText(const SerialPort& port, const std::string& path) const {
    QString text = QStringLiteral("%1: %2").arg(QString::fromStdString(path), QString::fromLocal8Bit(port.lastErrorText().c_str()));
    if (port.lastError() == PortOpenError::PermissionDenied) {
        struct stat st {};
        QString group = QStringLiteral("dialout");
        if (::stat(path.c_str(), &st) == 0) {
            if (const struct group* g = ::getgrgid(st.st_gid)) group = QString::fromLocal8Bit(g->gr_name);
        }
        text += QStringLiteral("\n") +
                tr("Użytkownik musi należeć do grupy %1, do której należy urządzenie (zwykle dialout).").arg(group);
    } else if (port.lastError() == PortOpenError::Busy) {
        text += QStringLiteral("\n") + tr("Port jest używany przez inny program.");
    }
    return text;
}

void MainWindow::closePort() {
    if (session_) session_->setPort(nullptr);
    if (!port_) return;
    // Bytes still on their way from the old port are not the session's any more.
    delivery_->setDiscarding(true);
    port_->close(&QtByteDelivery::pumpEvents);
    port_.reset();
}

void MainWindow::choosePort() {
    if (closing_ || choosingPort_) return;
    if (!isVisible()) {
        timers_->startTimer(timer_id::kPortChoiceRetry, 500);
        return;
    }
    choosingPort_ = true;
    for (;;) {
        const int current = portOpen() ? portNumber_ : 0;
        const int n = choosePortNumber(this, current, portSource_, boxes_);
        if (closing_ || n <= 0 || n == current) break;
        QString reason;
        if (openPort(n, &reason)) break;
        portNumber_ = 0;
        boxes_.message(this, qs(str(string_id::kCannotOpenPort)).replace(QStringLiteral("%d"), QString::number(n)) +
                                 QStringLiteral("\n") + reason);
        if (closing_) break;
    }
    choosingPort_ = false;
}

// --- events ---------------------------------------------------------------

void MainWindow::onCharacter(char c) { session_->onCharacterReceived(c); }

void MainWindow::onTimer(int id) {
    if (closing_) {
        timers_->stopTimer(id);
        return;
    }
    switch (id) {
        case timer_id::kPortChoiceRetry:
            timers_->stopTimer(id);
            choosePort();
            break;
        case timer_id::kSettingsReadPeriod:
            readings_->onSettingsReadTimer();
            break;
        default:
            session_->onTimer(id);
            break;
    }
}

void MainWindow::toggleTopmost() {
    const QRect g = geometry();
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, !topmost_);
    if (wasVisible) {
        setGeometry(g);
        show();
    }
    topmost_ = !topmost_;
    if (QAction* a = action(menu_id::kAlwaysOnTop)) a->setChecked(topmost_);
}

void MainWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // The stored rectangle includes the frame, which is known only now.
    // Done after the window system has applied the show.
    if (!framePlaced_ && !initialising_) {
        framePlaced_ = true;
        QTimer::singleShot(0, this, [this] {
            if (frameMargins() != QMargins()) placeWindow();
        });
    }
}

void MainWindow::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            // Neither closes the window.
            setFocus();
            e->accept();
            return;
        default:
            QDialog::keyPressEvent(e);
    }
}

void MainWindow::closeEvent(QCloseEvent* e) { QDialog::closeEvent(e); }

void MainWindow::done(int result) {
    // Shutdown order: the data server stops with the window, before the
    // serial port is deleted and the settings are written. From now on
    // timers that fire while the port's worker is joined do nothing.
    closing_ = true;
    timers_->stopTimer(timer_id::kPortChoiceRetry);
    dataServer_->stop();
    QDialog::done(result);
}

void MainWindow::requestClose() {
    closing_ = true;
    timers_->stopTimer(timer_id::kPortChoiceRetry);
    // End every modal window above this one first; their loops return, and
    // each caller sees `closing_`.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == this || !w->isVisible()) continue;
        if (auto* d = qobject_cast<QDialog*>(w)) d->done(QDialog::Rejected);
    }
    wait_->close();
    reject();
}

void MainWindow::recordRect() {
    const QRect f = frameGeometry();
    windowLeft_ = f.left();
    windowTop_ = f.top();
    windowRight_ = f.left() + f.width();
    windowBottom_ = f.top() + f.height();
}

void MainWindow::moveEvent(QMoveEvent* e) {
    QDialog::moveEvent(e);
    if (recordsPositionOnMove(initialising_, sizeState_->maximised) && !isMinimized()) recordRect();
}

void MainWindow::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange) clientResized();
}

bool MainWindow::eventFilter(QObject* o, QEvent* e) {
    if (o == client_ && e->type() == QEvent::Resize) clientResized();
    return QDialog::eventFilter(o, e);
}

void MainWindow::clientResized() {
    const SizeKind kind = isMinimized() ? SizeKind::Minimised : isMaximized() ? SizeKind::Maximised : SizeKind::Restored;
    const auto reaction = sizeState_->onSize(kind, client_->width(), client_->height(), initialising_);
    if (reaction.recordWindowRect) recordRect();
    if (reaction.layOut) layoutPanes();
}

void MainWindow::layoutPanes() {
    if (initialising_) return;
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const MainLayout l = computeMainLayout(client_->width(), client_->height(), frame, statusFieldHeight_,
                                           readings_->layoutConditions());
    auto place = [](QWidget* w, const Rect& r) { w->setGeometry(r.x, r.y, std::max(0, r.width), std::max(0, r.height)); };
    place(status_, l.statusField);
    place(clock_, l.clockField);
    for (int c = 0; c < kChannelCount; ++c) {
        if (!l.panes[std::size_t(c)]) continue;
        place(panes_[std::size_t(c)], *l.panes[std::size_t(c)]);
        panes_[std::size_t(c)]->repaintNow();
    }
}

// --- pane styles ----------------------------------------------------------

PaneStyle MainWindow::paneStyle(int channel) const {
    const ValuePane* pane = panes_[std::size_t(channel)];
    return {rgbFromColour(pane->backgroundColour), rgbFromColour(pane->textColour), pane->valueLogFont};
}

void MainWindow::setPaneStyle(int channel, const PaneStyle& style) {
    ValuePane* pane = panes_[std::size_t(channel)];
    pane->backgroundColour = colourFromRgb(style.background);
    pane->textColour = colourFromRgb(style.text);
    pane->setValueFont(style.font);
}

// --- readers --------------------------------------------------------------

LiveReadings MainWindow::liveReadings() const { return readings_->liveReadings(); }

ProbeSources MainWindow::probeSources() const {
    ProbeSources s;
    s.mr411Absent = state_.mr411Absent != 0;
    s.mr466Absent = state_.mr466Absent != 0;
    s.mr411SerialNumber = state_.mr411SerialNumber;
    s.mr466SerialNumber = state_.mr466SerialNumber;
    s.pressureAbsent = state_.pressureAbsent != 0;
    s.panelSerialNumber = state_.panelSerialNumber;
    s.temperatureTwoDecimals = readings_->pane(kChannelTemp1).twoDecimals;
    return s;
}

}  // namespace mr420
