#include "app/widgets/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "base/StringTable.h"
#include "app/widgets/LanguageDialog.h"
#include "app/widgets/PeripheralCommands.h"
#include "app/widgets/LocalDataServer.h"
#include "base/widgets/MessageBoxes.h"
#include "base/widgets/ProgramArt.h"
#include "base/widgets/QtTimerService.h"
#include "base/widgets/WaitWindow.h"
#include "chart/widgets/ChartFeature.h"
#include "config/widgets/ConfigDialogs.h"
#include "base/TimerIds.h"
#include "base/TimerRouter.h"
#include "link/widgets/PortDialog.h"
#include "link/widgets/QtByteDelivery.h"
#include "protocol/PanelConnection.h"
#include "recording/RegistrationSources.h"
#include "recording/widgets/ChartProgram.h"
#include "recording/widgets/MemoryFeature.h"
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
struct MainWindow::Bridge : public ReadingView, public DataServerControl, public DisplayListener {
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
        // The refresh runs inside the byte hand-over: the box waits for the
        // next turn of the event loop, so the serial worker is not held.
        QTimer::singleShot(0, &w, [this] {
            if (!w.closing_) w.boxes_.show(&w, qs(str(string_id::kDdeInitFailed)), BoxButtons::Ok, BoxIcon::Error);
        });
    }
    void reopenRegistrationAfterStart() override { w.registration_->reopenAfterStart(&w); }

    // DataServerControl
    void stop() override { w.dataServer_->stop(); }
    bool start(int panelSerialNumber) override { return w.dataServer_->start(panelSerialNumber, w.liveReadings()); }
    void publish() override { w.dataServer_->publish(w.liveReadings()); }

    // DisplayListener
    void refreshDisplay(bool connected) override {
        w.readings_->refreshDisplay(connected);
        w.chart_->onCycle(connected, w.liveReadings());
    }
};

MainWindow::MainWindow(AppSettings& settings, std::map<int, std::string> portAliases, MessageBoxes& boxes,
                       QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint),
      settings_(settings),
      boxes_(boxes) {
    setWindowTitle(QStringLiteral("MR420"));
    setWindowIcon(programIcon());
    setSizeGripEnabled(false);
    portSource_ = systemPortEntries(portAliases);

    bridge_ = std::make_unique<Bridge>(*this);
    sizeState_ = std::make_unique<WindowSizeState>();
    // From the end of the window on, timers that fire while the port's
    // worker is joined do nothing.
    qtTimers_ = std::make_unique<QtTimerService>([this](int id) {
        if (closing_)
            qtTimers_->stopTimer(id);
        else
            timers_->dispatch(id);
    });
    timers_ = std::make_unique<TimerRouter>(*qtTimers_);
    delivery_ = std::make_unique<QtByteDelivery>([this](char c) { connection_->onCharacter(c); });
    connection_ = std::make_unique<PanelConnection>(*timers_, *delivery_, &QtByteDelivery::pumpEvents);
    connection_->setPortAliases(std::move(portAliases));
    connection_->session().setDisplayListener(bridge_.get());
    dataServer_ = std::make_unique<LocalDataServer>();
    readings_ = std::make_unique<ReadingModel>(connection_->state(), *timers_, *bridge_, *bridge_);
    connection_->session().addReplyListener(readings_.get());
    timers_->route(timer_id::kSettingsReadPeriod, [this](int) { readings_->onSettingsReadTimer(); });
    timers_->route(timer_id::kPortChoiceRetry, [this](int id) {
        // Not while the window opened after start is showing: the next tick tries again.
        if (peripherals_ && peripherals_->startPromotionShowing()) return;
        timers_->stopTimer(id);
        choosePort();
    });
    registration_ = std::make_unique<RegistrationController>(boxes_);
    registration_->setReadingsProvider([this] { return liveReadings(); });
    registration_->setSourcesProvider([this] { return probeSources(); });
    registrationLink_ = std::make_unique<RegistrationStatusLink>(*registration_);
    readings_->setRegistrationSource(registrationLink_.get());
    connect(registration_.get(), &RegistrationController::statusChanged, this,
            [this] { readings_->updateStatusLine(); });
    wait_ = std::make_unique<WaitWindow>(qs(str(string_id::kPleaseWait)), this);
    config_ = std::make_unique<ConfigDialogs>(connection_->session(), *timers_, boxes_, *wait_, this);
    memory_ = std::make_unique<MemoryFeature>(connection_->session(), *timers_, boxes_, *wait_, this);
    chart_ = std::make_unique<ChartFeature>(
        [this](int c) { return chartColours(paneStyle(c).text, paneStyle(c).background); }, this);
    chart_->attach(memory_->dialog());
    chart_->setPanelState(&connection_->state());

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
    peripherals_ = std::make_unique<PeripheralCommands>(panes_, boxes_, *timers_, this, [this] { return closing_; });

    buildMenu();
    applySettings(settings_);
}

MainWindow::~MainWindow() {
    closing_ = true;
    closePort();
    connection_->session().removeReplyListener(readings_.get());
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
        case menu_id::kMemoryRead:
        case menu_id::kMemoryErase:
        case menu_id::kRunVimo:
        case menu_id::kChart:
            return true;
        default:
            return PeripheralCommands::handles(id) || (config_ && config_->offers(id));
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
            if (e.shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(e.shortcut), QKeySequence::PortableText));
            // Commands whose dialogs are not part of this build stay visible but disabled.
            a->setEnabled(implemented(e.id));
            actions_[e.id] = a;
            const int id = e.id;
            connect(a, &QAction::triggered, this, [this, id] { onCommand(id); });
        }
    }
    if (QAction* a = action(menu_id::kAlwaysOnTop)) a->setCheckable(true);
    // F10 opens the first menu; the arrow keys go on from there.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this] {
        if (!menuBar_->actions().isEmpty()) menuBar_->setActiveAction(menuBar_->actions().constFirst());
    });
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
        case menu_id::kMemoryRead:
            memory_->readMemory({config_->memoryColumns().dewPoint, config_->memoryColumns().waterVapour, memoryDump_});
            break;
        case menu_id::kMemoryErase: memory_->eraseMemory(); break;
        case menu_id::kRunVimo:
            launchChartProgram(this, boxes_, currentChartProgramPlaces(), startDetachedProgram, memory_->lastSavedFile());
            break;
        case menu_id::kChart: chart_->openLive(); break;
        default:
            if (PeripheralCommands::handles(id))
                peripherals_->run(id);
            else
                config_->open(id);
            break;
    }
}

void MainWindow::initialise() {
    if (initialised_) return;
    initialised_ = true;

    // A configured port that cannot be opened stays configured: the port
    // choice is offered, and cancelling it retries the port quietly.
    if (portNumber_ <= 0) {
        choosePort();
    } else if (auto failure = connection_->openCom(portNumber_)) {
        showOpenFailure(*failure);
        choosePort();
    }
    if (QAction* a = action(menu_id::kRegistration)) a->setEnabled(false);
    statusFieldHeight_ = status_->sizeHint().height();
    clockWidth_ = clockFieldWidth();
    applyMinimumSize();

    initialising_ = false;
    placeWindow();
    readings_->refreshDisplay(false);
    topmost_ = !topmost_;
    toggleTopmost();
    connection_->start();
    peripherals_->scheduleAfterStart();
}

void MainWindow::placeWindow() {
    if (!placeTarget_) placeTarget_ = recordedRect();
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

// --- port ---------------------------------------------------------------

bool MainWindow::portOpen() const { return connection_->portOpen(); }

void MainWindow::showOpenFailure(const PortOpenFailure& failure) { boxes_.message(this, qs(failure.message())); }

void MainWindow::closePort() { connection_->closePort(); }

void MainWindow::choosePort() {
    if (closing_ || choosingPort_) return;
    if (!isVisible()) {
        timers_->startTimer(timer_id::kPortChoiceRetry, 500);
        return;
    }
    choosingPort_ = true;
    for (;;) {
        const int current = connection_->portOpen() ? connection_->openComNumber() : 0;
        const int n = choosePortNumber(this, current, portSource_, boxes_);
        if (closing_ || n <= 0 || n == current) break;
        if (auto failure = connection_->openCom(n)) {
            // A chosen port that does not open is not kept.
            portNumber_ = 0;
            showOpenFailure(*failure);
            if (closing_) break;
            continue;
        }
        portNumber_ = n;
        break;
    }
    choosingPort_ = false;
    // Without a port, the configured one is looked for until it appears.
    if (!closing_ && !connection_->portOpen()) connection_->retryQuietly(portNumber_);
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
    peripherals_->stop();
    dataServer_->stop();
    QDialog::done(result);
}

void MainWindow::requestClose() {
    closing_ = true;
    config_->abandon();
    timers_->stopTimer(timer_id::kPortChoiceRetry);
    peripherals_->stop();
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
    rect_.record({f.x(), f.y(), f.width(), f.height()});
}

void MainWindow::moveEvent(QMoveEvent* e) {
    QDialog::moveEvent(e);
    // Qt knows the maximised state before the window size bookkeeping does.
    if (recordsPositionOnMove(initialising_, sizeState_->maximised || isMaximized()) && !isMinimized()) recordRect();
}

void MainWindow::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange) return;
    if (isMaximized() && screen()) {
        const QRect work = screen()->availableGeometry();
        rect_.windowMaximised({work.x(), work.y(), work.width(), work.height()});
    }
    clientResized();
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
                                           readings_->layoutConditions(), clockWidth_);
    auto place = [](QWidget* w, const Rect& r) { w->setGeometry(r.x, r.y, std::max(0, r.width), std::max(0, r.height)); };
    place(status_, l.statusField);
    place(clock_, l.clockField);
    for (int c = 0; c < kChannelCount; ++c) {
        if (!l.panes[std::size_t(c)]) continue;
        place(panes_[std::size_t(c)], *l.panes[std::size_t(c)]);
        panes_[std::size_t(c)]->repaintNow();
    }
}

int MainWindow::clockFieldWidth() const {
    // The widest text the clock takes under this locale: every month and
    // weekday, at a time of wide digits. The locale is fixed for the run.
    const QFontMetrics fm(clock_->font());
    int widest = 0;
    for (int month = 1; month <= 12; ++month) {
        for (int day = 22; day <= 28; ++day) {
            const LocalTime c{2028, month, day, 20, 58, 58};
            widest = std::max(widest, fm.horizontalAdvance(qs(ReadingModel::clockTextOf(c, true))));
        }
    }
    // The field's frame and text margins, and the frame spacing it stands in.
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, clock_);
    const QMargins m = clock_->textMargins();
    return widest + 2 * frame + m.left() + m.right() + fm.averageCharWidth() + frameSpacing(frame);
}

void MainWindow::applyMinimumSize() {
    // The layouts stack at most three panes in a column and put at most two
    // columns side by side; below that size the values would not fit.
    int paneWidth = 0, paneHeight = 0;
    for (ValuePane* p : panes_) {
        const QSize hint = p->minimumSizeHint();
        paneWidth = std::max(paneWidth, hint.width());
        paneHeight = std::max(paneHeight, hint.height());
    }
    const int f = frameSpacing(style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this));
    const int statusWidth = QFontMetrics(status_->font()).averageCharWidth() * 16;
    const int width = std::max(2 * paneWidth + 4 * f + 1, clockWidth_ + statusWidth + 2 * f);
    const int height = f + 2 + statusFieldHeight_ + 3 * (paneHeight + f) + f;
    client_->setMinimumSize(width, height);
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
    return probeSourcesOf(connection_->state(), readings_->pane(kChannelTemp1).twoDecimals);
}

}  // namespace mr420
