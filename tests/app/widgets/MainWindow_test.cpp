// The main window: start-up with and without a port, layout, keyboard,
// always-on-top, remembered rectangle, the port failure message.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <clocale>
#include <functional>

#include "settings/Settings.h"
#include "app/widgets/LanguageDialog.h"
#include "support/ScriptedMessageBoxes.h"
#include "base/widgets/QtTimerService.h"
#include "link/widgets/PortDialog.h"
#include "base/TimerIds.h"
#include "ui/MenuTable.h"
#include "app/widgets/MainWindow.h"
#include "protocol/PanelConnection.h"
#include "ui/ReadingModel.h"
#include "base/StringTable.h"
#include "sim/PtyPanel.h"
#include "sim/Scenarios.h"
#include "support/TestApplication.h"

using namespace mr420;

namespace {
using mr420::test::pumpFor;
using mr420::test::pumpUntil;
using mr420::test::app;
// Started with no port and the port choice put aside.
void startWithoutPort(MainWindow& w) {
    w.setPortEntrySource([] { return std::vector<std::string>{}; });
    w.initialise();
    w.timers().stopTimer(timer_id::kPortChoiceRetry);
}
void showWithoutPort(MainWindow& w) {
    startWithoutPort(w);
    w.show();
    pumpFor(30);
}
AppSettings stored(MainWindow& w) {
    AppSettings out = defaultSettings();
    w.storeSettings(out);
    return out;
}
// The stored window rectangle: left, top, right, bottom.
std::array<int, 4> rectOf(const AppSettings& s) { return {s.windowLeft, s.windowTop, s.windowRight, s.windowBottom}; }
PortDialog* openPortDialog() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<PortDialog*>(w); d && d->isVisible()) return d;
    return nullptr;
}
QRect geometryOf(QWidget* w) { return w->geometry(); }

// The port choice runs nested modal loops; a polling timer answers the
// dialog from inside them.
struct PortDialogAnswerer {
    QTimer timer;
    int seen = 0;
    QString statusText;
    explicit PortDialogAnswerer(std::function<void(PortDialog*)> act) {
        QObject::connect(&timer, &QTimer::timeout, [this, act] {
            if (PortDialog* d = openPortDialog()) {
                ++seen;
                statusText = d->statusLine()->text();
                act(d);
            }
        });
        timer.start(20);
    }
};

struct Fixture {
    AppSettings settings = defaultSettings();
    ScriptedMessageBoxes boxes;
    // The "Program VKS" window after start has tests of its own.
    Fixture() {
        app();
        settings.showAdv = 0;
    }
};
}  // namespace

TEST(MainWindow, FirstStartWithoutPortPlacesTheWindowAndOffersThePortChoice) {
    Fixture f;
    MainWindow w(f.settings, {}, f.boxes);
    w.setPortEntrySource([] { return std::vector<std::string>{"COM1"}; });
    w.initialise();
    // Not visible yet: the choice waits on timer 1069.
    EXPECT_TRUE(w.timers().isActive(timer_id::kPortChoiceRetry));
    EXPECT_FALSE(w.portOpen());
    EXPECT_FALSE(w.action(menu_id::kRegistration)->isEnabled());
    PortDialogAnswerer answer([](PortDialog* d) { d->cancelButton()->click(); });
    w.show();
    pumpFor(10);
    EXPECT_EQ(w.frameGeometry().topLeft(), QPoint(100, 100));
    EXPECT_EQ(w.frameGeometry().size(), QSize(600, 400));
    ASSERT_TRUE(pumpUntil([&] { return answer.seen == 1; }));
    pumpFor(50);
    EXPECT_EQ(answer.seen, 1);
    EXPECT_FALSE(w.timers().isActive(timer_id::kPortChoiceRetry));
    EXPECT_FALSE(w.portOpen());
    EXPECT_EQ(w.portNumber(), 0);
    EXPECT_TRUE(f.boxes.shown.empty());
    // Not connected: status shows no communication, panes show "???".
    EXPECT_FALSE(w.statusField()->text().isEmpty());
    EXPECT_FALSE(w.liveReadings()[kChannelTemp1].hasValue);

    const AppSettings out = stored(w);
    EXPECT_EQ(rectOf(out), (std::array{100, 100, 700, 500}));
    EXPECT_EQ(out.topmost, 0);
    EXPECT_EQ(out.portNr, 0);
}

TEST(MainWindow, PortThatCannotBeOpenedGivesTheMessageAndThenTheChoice) {
    Fixture f;
    f.settings.portNr = 99;
    MainWindow w(f.settings, {{99, "/nonexistent/ttyMR420"}}, f.boxes);
    w.setPortEntrySource([] { return std::vector<std::string>{}; });
    w.initialise();
    ASSERT_EQ(f.boxes.shown.size(), 1u);
    const QString text = f.boxes.shown[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("Nie można otworzyć portu COM99\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("/nonexistent/ttyMR420"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Urządzenie nie istnieje."))) << text.toStdString();
    EXPECT_EQ(f.boxes.shown[0].icon, BoxIcon::None);
    // The configured port stays configured.
    EXPECT_EQ(w.portNumber(), 99);
    EXPECT_TRUE(w.timers().isActive(timer_id::kPortChoiceRetry));
    PortDialogAnswerer answer([](PortDialog* d) { d->cancelButton()->click(); });
    w.show();
    ASSERT_TRUE(pumpUntil([&] { return answer.seen == 1; }));
    EXPECT_EQ(answer.statusText, QStringLiteral("Aktualnie żaden port nie jest używany"));
    // Cancelled: the configured port is looked for quietly, and kept for the next start.
    ASSERT_TRUE(pumpUntil([&] { return w.connection().retrying(); }));
    EXPECT_TRUE(w.timers().isActive(timer_id::kPortReopenRetry));
    EXPECT_EQ(f.boxes.shown.size(), 1u);
    EXPECT_EQ(stored(w).portNr, 99);
}

TEST(MainWindow, ATerminationSignalDuringTheStartUpMessageEndsTheProgram) {
    // The real message box: SIGTERM comes to requestClose while it is open.
    Fixture f;
    QtMessageBoxes real;
    f.settings.portNr = 99;
    MainWindow w(f.settings, {{99, "/nonexistent/ttyMR420"}}, real);
    bool boxSeen = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget() == nullptr) return;
        boxSeen = true;
        w.requestClose();
    });
    closer.start(20);
    w.initialise();
    closer.stop();
    EXPECT_TRUE(boxSeen);
    EXPECT_TRUE(w.closing());
    // Nothing is left waiting: no port choice, no retry.
    EXPECT_FALSE(w.timers().isActive(timer_id::kPortChoiceRetry));
    EXPECT_FALSE(w.connection().retrying());
    EXPECT_EQ(stored(w).portNr, 99);
}

TEST(MainWindow, NotConnectedLayoutHasTwoColumns) {
    Fixture f;
    MainWindow w(f.settings, {}, f.boxes);
    startWithoutPort(w);
    w.show();
    w.resize(640, 480);
    pumpFor(20);
    const QWidget* c = w.clientArea();
    const int W = c->width();
    QRect t1 = geometryOf(w.paneWidget(kChannelTemp1)), rh = geometryOf(w.paneWidget(kChannelRh)),
          p = geometryOf(w.paneWidget(kChannelPressure)), dp = geometryOf(w.paneWidget(kChannelDp)),
          wb = geometryOf(w.paneWidget(kChannelWb));
    // Left column: TEMP1 above RH above PRESSURE, equal thirds; right: DP above WB.
    EXPECT_EQ(t1.x(), rh.x());
    EXPECT_EQ(t1.x(), p.x());
    EXPECT_LT(t1.x(), W / 2);
    EXPECT_LT(t1.y(), rh.y());
    EXPECT_LT(rh.y(), p.y());
    EXPECT_NEAR(t1.height(), rh.height(), 2);
    EXPECT_NEAR(rh.height(), p.height(), 2);
    EXPECT_EQ(dp.x(), wb.x());
    EXPECT_GT(dp.x(), W / 2);
    EXPECT_LT(dp.y(), wb.y());
    EXPECT_GT(dp.height(), t1.height());
    EXPECT_EQ(p.y() + p.height(), wb.y() + wb.height());
    EXPECT_TRUE(w.paneWidget(kChannelTemp1)->isVisible());
    // The status and clock fields share the top line.
    EXPECT_EQ(w.statusField()->y(), w.clockField()->y());
    EXPECT_EQ(w.clockField()->x() + w.clockField()->width() + w.statusField()->x(), W);
}

TEST(MainWindow, EnterAndEscapeDoNotCloseButCloseCommandDoes) {
    Fixture f;
    MainWindow w(f.settings, {}, f.boxes);
    startWithoutPort(w);
    int result = -1;
    QTimer::singleShot(50, [&] {
        for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(w.paneWidget(0), &down);
            QApplication::sendEvent(&w, &down);
        }
        EXPECT_TRUE(w.isVisible());
        w.action(menu_id::kClose)->trigger();
    });
    result = w.exec();
    EXPECT_EQ(result, QDialog::Accepted);
}

TEST(MainWindow, AlwaysOnTopTogglesTheCheckMarkAndTheFlag) {
    Fixture f;
    f.settings.topmost = 1;
    MainWindow w(f.settings, {}, f.boxes);
    startWithoutPort(w);
    EXPECT_TRUE(w.topmost());
    EXPECT_TRUE(w.action(menu_id::kAlwaysOnTop)->isChecked());
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    w.show();
    w.action(menu_id::kAlwaysOnTop)->trigger();
    EXPECT_FALSE(w.topmost());
    EXPECT_FALSE(w.action(menu_id::kAlwaysOnTop)->isChecked());
    EXPECT_FALSE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(stored(w).topmost, 0);
}

TEST(MainWindow, MenuFollowsTheTableAndEveryEntryWorks) {
    Fixture f;
    MainWindow w(f.settings, {}, f.boxes);
    EXPECT_EQ(w.action(menu_id::kSerialPort)->text(), QStringLiteral("&Port szeregowy"));
    // Every entry of the table has its action, and none waits for code.
    for (const MenuPopup& popup : mainMenu())
        for (const MenuEntry& e : popup.entries) {
            if (e.id == 0) continue;
            ASSERT_NE(w.action(e.id), nullptr) << e.id;
            EXPECT_TRUE(w.action(e.id)->isEnabled()) << e.id;
        }
}

TEST(MainWindow, AppliesAndStoresPaneColoursFontsAndPortNumber) {
    Fixture f;
    f.settings.panes[1].background = 0x102030;
    f.settings.panes[1].fontHeight = -33;
    f.settings.panes[1].fontItalic = 1;
    f.settings.windowLeft = 1500;
    f.settings.windowRight = 2100;
    MainWindow w(f.settings, {}, f.boxes);
    EXPECT_EQ(w.paneStyle(1).background, 0x102030u);
    EXPECT_EQ(w.paneStyle(1).font.height, -33);
    EXPECT_EQ(w.paneWidget(1)->font().pixelSize(), 33);
    EXPECT_TRUE(w.paneWidget(1)->font().italic());
    const AppSettings out = stored(w);
    EXPECT_EQ(out.panes[1].background, 0x102030u);
    EXPECT_EQ(out.panes[1].fontHeight, -33);
    EXPECT_EQ(out.panes[1].fontItalic, 1);
    EXPECT_EQ(out.panes[0].text, defaultSettings().panes[0].text);
    // The rectangle is corrected only when written at exit, not on applying.
    EXPECT_EQ(out.windowLeft, 1500);
    EXPECT_EQ(out.windowRight, 2100);
}

TEST(MainWindowPortChoice, FailedChoiceShowsTheMessageAndReopensThenTheSamePortIsKept) {
    Fixture f;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string slave = ::ptsname(master);

    MainWindow w(f.settings, {{5, slave}, {6, "/nonexistent/ttyGone"}}, f.boxes);
    w.setPortEntrySource([] { return std::vector<std::string>{"COM5 (pty)", "COM6 (gone)"}; });
    w.initialise();
    w.timers().stopTimer(timer_id::kPortChoiceRetry);
    w.show();
    pumpFor(20);

    // First COM6, which fails, then COM5 in the dialog that opens again.
    std::vector<QString> statusLines;
    int step = 0;
    PortDialogAnswerer answer([&](PortDialog* d) {
        statusLines.push_back(d->statusLine()->text());
        d->list()->setCurrentIndex(step == 0 ? 1 : 0);
        ++step;
        d->okButton()->click();
    });
    w.choosePort();
    EXPECT_EQ(step, 2);
    ASSERT_EQ(f.boxes.shown.size(), 1u);
    EXPECT_TRUE(f.boxes.shown[0].text.startsWith(QStringLiteral("Nie można otworzyć portu COM6\n")))
        << f.boxes.shown[0].text.toStdString();
    ASSERT_EQ(statusLines.size(), 2u);
    EXPECT_EQ(statusLines[1], QStringLiteral("Aktualnie żaden port nie jest używany"));
    EXPECT_TRUE(w.portOpen());
    EXPECT_EQ(w.portNumber(), 5);

    // The session polls through the new port: a frame arrives on the far end.
    std::string got;
    pumpUntil([&] {
        char buf[64];
        ssize_t n = ::read(master, buf, sizeof buf);
        if (n > 0) got.append(buf, std::size_t(n));
        return got.find("\r\n") != std::string::npos;
    }, 8000);
    EXPECT_NE(got.find("\r\n"), std::string::npos);

    // Choosing the open port again changes nothing.
    step = 1;
    statusLines.clear();
    w.choosePort();
    ASSERT_EQ(statusLines.size(), 1u);
    EXPECT_EQ(statusLines[0], QStringLiteral("Aktualnie używany port: COM5"));
    EXPECT_TRUE(w.portOpen());
    EXPECT_EQ(w.portNumber(), 5);
    EXPECT_EQ(f.boxes.shown.size(), 1u);
    EXPECT_EQ(stored(w).portNr, 5);
    w.closePort();
    ::close(master);
}

// From the change of port on, nothing read through the old one is shown:
// no value, no "Pomiar OK.", until the new port has answered a cycle.
TEST(MainWindowPortChoice, AnotherPortShowsNoValueFromTheChangeOn) {
    Fixture f;
    sim::PtyPanel panel(sim::makeScenario("mr411-baro", 0)->model);
    const auto panelPath = panel.start();
    const int silent = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);   // a port without a panel
    ASSERT_TRUE(panelPath && silent >= 0 && ::grantpt(silent) == 0 && ::unlockpt(silent) == 0);
    f.settings.portNr = 5;
    MainWindow w(f.settings, {{5, *panelPath}, {6, ::ptsname(silent)}}, f.boxes);
    w.setPortEntrySource([] { return std::vector<std::string>{"COM5", "COM6"}; });
    w.initialise();
    w.show();
    ASSERT_TRUE(pumpUntil([&] { return w.timers().isActive(timer_id::kSettingsReadPeriod); }, 10000));
    w.timers().startTimer(timer_id::kSettingsReadPeriod, 1);   // the 12 s pass at once
    const QString ok = QString::fromStdString(str(string_id::kStatusMeasurementOk));
    ASSERT_TRUE(pumpUntil([&] { return w.statusField()->text().startsWith(ok); }, 10000));
    PortDialogAnswerer answer([](PortDialog* d) {
        d->list()->setCurrentIndex(1);
        d->okButton()->click();
    });
    w.choosePort();
    ASSERT_EQ(w.portNumber(), 6);
    for (int wait : {0, 300}) {
        pumpFor(wait);
        EXPECT_FALSE(w.liveReadings()[kChannelTemp1].hasValue || w.liveReadings()[kChannelPressure].hasValue);
        EXPECT_FALSE(w.statusField()->text().startsWith(ok)) << w.statusField()->text().toStdString();
    }
    w.closePort();
    ::close(silent);
}

// However the window got maximised, the restored rectangle is stored.
TEST(MainWindow, MaximisingKeepsTheRestoredRectangleForTheSettings) {
    struct Case {
        const char* name;
        std::function<void(MainWindow&)> maximise;
    };
    const Case cases[] = {
        {"maximised and restored",
         [](MainWindow& w) {
             const QRect restored = w.recordedRect();
             w.showMaximized();
             pumpFor(50);
             ASSERT_TRUE(w.isMaximized());
             EXPECT_EQ(w.recordedRect(), restored);
             w.showNormal();
             pumpFor(50);
         }},
        // The window manager's order: first the maximised geometry, as if the
        // window were still restored, then the state change.
        {"maximised size before the state change",
         [](MainWindow& w) {
             w.setGeometry(w.screen()->availableGeometry());
             pumpFor(30);
             w.setWindowState(Qt::WindowMaximized);
             pumpFor(50);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        MainWindow w(f.settings, {}, f.boxes);
        showWithoutPort(w);
        w.move(150, 120);
        pumpFor(30);
        ASSERT_EQ(w.recordedRect().topLeft(), QPoint(150, 120));
        c.maximise(w);
        EXPECT_EQ(rectOf(stored(w)), (std::array{150, 120, 750, 520}));   // 600 x 400
    }
}

TEST(MainWindow, LanguageCommandChangesOnlyTheStoredCode) {
    Fixture f;
    f.settings.language = "de";  // an unknown code is kept until changed
    MainWindow w(f.settings, {}, f.boxes);
    EXPECT_EQ(stored(w).language, "de");
    const QString before = w.action(menu_id::kSerialPort)->text();
    QTimer::singleShot(50, [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<LanguageDialog*>(top); d && d->isVisible()) {
                EXPECT_TRUE(d->polishButton()->isChecked());
                d->englishButton()->setChecked(true);
                d->okButton()->click();
            }
    });
    w.action(menu_id::kLanguage)->trigger();
    EXPECT_EQ(stored(w).language, "en");
    EXPECT_EQ(w.action(menu_id::kSerialPort)->text(), before);  // the running program keeps its language
}

TEST(MainWindow, TheWholeClockTextShowsAndASmallWindowKeepsRoomForTheValues) {
    for (const char* locale : {"C.UTF-8", "pl_PL.UTF-8"}) {
        if (!std::setlocale(LC_ALL, locale)) continue;
        Fixture f;
        MainWindow w(f.settings, {}, f.boxes);
        showWithoutPort(w);
        // A long date of this locale: a Wednesday in September, wide digits.
        const LocalTime c{2027, 9, 22, 20, 58, 58};
        const QString text = QString::fromStdString(ReadingModel::clockTextOf(c, true));
        const QLineEdit* clock = w.clockField();
        const int needed = QFontMetrics(clock->font()).horizontalAdvance(text) + clock->textMargins().left() +
                           clock->textMargins().right();
        EXPECT_GE(clock->width(), needed) << locale << " " << text.toStdString();
        EXPECT_GT(w.statusField()->width(), clock->width() / 2) << locale;

        // Made very small, the window stops where every pane still holds its value.
        w.resize(50, 50);
        pumpFor(20);
        for (int ch = 0; ch < kChannelCount; ++ch) {
            QWidget* pane = w.paneWidget(ch);
            if (!pane->isVisible()) continue;
            EXPECT_GE(pane->width(), pane->minimumSizeHint().width()) << locale << " " << ch;
            EXPECT_GE(pane->height(), pane->minimumSizeHint().height()) << locale << " " << ch;
        }
    }
    std::setlocale(LC_ALL, "C.UTF-8");
}
