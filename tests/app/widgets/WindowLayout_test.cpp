// The main window and every window its menus open, in Polish and in English,
// on a panel with modem settings and memory: every menu title and entry has a
// letter of its own, Alt+letter and F10 open a menu, Ctrl+Q ends the program;
// no label, button, check box, group title, column header or list cell is cut
// or covered, each window is wide enough for its title, and F1 in it opens
// the help page that describes it.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QTableView>
#include <QTextBrowser>
#include <QTest>
#include <QTranslator>

#include <map>
#include <set>

#include "app/Hyperlink.h"
#include "app/widgets/HelpWindow.h"
#include "app/widgets/LinkStatic.h"
#include "app/widgets/Translation.h"
#include "base/TimerIds.h"
#include "base/widgets/QtTimerService.h"
#include "base/widgets/WaitWindow.h"
#include "chart/widgets/ChartFeature.h"
#include "config/widgets/ConfigDialog.h"
#include "link/widgets/PortDialog.h"
#include "recording/widgets/MemoryDialog.h"
#include "recording/widgets/MemoryFeature.h"
#include "recording/widgets/MemorySaveDialog.h"
#include "support/WindowRig.h"
#include "ui/MenuTable.h"

namespace mr420 {
namespace {

using test::pumpUntil;

// The windows, the menu entry that opens each, and the page F1 opens there.
struct Window {
    int menuId;
    const char* window;   // its class, and the mode it is seen in
    const char* page;
};
const Window kWindows[] = {
    {0, "MainWindow", "index.html"},
    {menu_id::kColours, "ColoursDialog", "colours-fonts.html"},
    {menu_id::kFonts, "FontsDialog", "colours-fonts.html#fonts"},
    {menu_id::kChart, "ChartWindow", "charts.html"},
    {menu_id::kSerialPort, "PortDialog", "getting-started.html#port"},
    {menu_id::kRegistration, "RegistrationDialog", "registration.html"},
    {menu_id::kLanguage, "LanguageDialog", "getting-started.html#language"},
    {menu_id::kAdditionalSettings, "AdditionalSettingsDialog", "getting-started.html#additional"},
    {menu_id::kPanelInformation, "PanelInfoDialog", "panel-settings.html#information"},
    {menu_id::kDisplay, "DisplayFlagsDialog", "panel-settings.html#display"},
    {menu_id::kDateTime, "ClockDialog", "panel-settings.html#clock"},
    {menu_id::kDefaultPressure, "DefaultPressureDialog", "panel-settings.html#pressure"},
    {menu_id::kAutoOff, "AutoOffDialog", "panel-settings.html#auto-off"},
    {menu_id::kModemOptions, "ModemSettingsDialog", "modem.html#options"},
    {menu_id::kModemThresholds, "ModemThresholdsDialog", "alarms.html#modem-thresholds"},
    {menu_id::kModemPin, "PinDialog", "modem.html#pin"},
    {menu_id::kModemPap, "PapPasswordDialog", "modem.html#pap"},
    {menu_id::kHistoryDisplay, "HistoryDisplayDialog", "panel-settings.html#history"},
    {menu_id::kExceedance, "ExceedanceDialog", "alarms.html#exceedance"},
    {menu_id::kBattery, "BatteryAlarmDialog", "alarms.html#battery"},
    {menu_id::kPowerLoss, "PowerLossDialog", "alarms.html#power-loss"},
    {menu_id::kMemoryRead, "MemoryDialog", "memory.html#read"},
    {menu_id::kMemoryRead, "MemorySaveDialog", "memory.html#save"},
    {menu_id::kMemoryRead, "MemorySaveDialog .qvg", "memory.html#save"},
    {menu_id::kLoggingSettings, "LoggingSettingsDialog", "memory.html#logging"},
    {menu_id::kPromotion, "PromotionDialog", "main-window.html#vks"},
    {menu_id::kAbout, "AboutDialog", "main-window.html#about"},
};

// One line for each text of the window that does not show whole.
std::vector<std::string> faultsOf(QWidget* window) {
    std::vector<std::string> faults;
    auto check = [&faults](const QObject* w, const QString& text, int need, int have) {
        if (need > have)
            faults.push_back(std::string(w->metaObject()->className()) + " \"" + text.toStdString() + "\" needs " +
                             std::to_string(need) + ", has " + std::to_string(have));
    };
    // An icon and three buttons, each as wide as the font is high, on both sides of a centred title.
    QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    titleFont.setBold(true);
    const QFontMetrics title(titleFont);
    check(window, window->windowTitle(), title.horizontalAdvance(window->windowTitle()) + 8 * title.height(), window->width());
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || w->window() != window) continue;
        const QFontMetrics fm = w->fontMetrics();
        const QString text = QString::fromStdString(withoutMnemonic(w->property("text").toString().toStdString()));
        auto* label = qobject_cast<QLabel*>(w);
        auto* button = qobject_cast<QAbstractButton*>(w);
        if (label && !text.isEmpty() && !Qt::mightBeRichText(text)) {
            const QSize room = label->contentsRect().size();
            check(w, text, label->wordWrap() ? label->heightForWidth(label->width()) : fm.size(0, text).height(), room.height());
            if (!label->wordWrap()) check(w, text, fm.size(0, text).width(), room.width());
        } else if (button && !text.isEmpty()) {
            QStyleOptionButton o;
            o.initFrom(button);
            o.text = button->text();
            const auto part = qobject_cast<QRadioButton*>(w) ? QStyle::SE_RadioButtonContents
                              : qobject_cast<QCheckBox*>(w)  ? QStyle::SE_CheckBoxContents
                                                             : QStyle::SE_PushButtonContents;
            check(w, text, fm.horizontalAdvance(text), w->style()->subElementRect(part, &o, w).width());
        } else if (auto* group = qobject_cast<QGroupBox*>(w); group && !group->title().isEmpty()) {
            QStyleOptionGroupBox o;
            o.initFrom(group);
            o.text = group->title();
            o.subControls = QStyle::SC_GroupBoxLabel;
            check(w, o.text, w->style()->subControlRect(QStyle::CC_GroupBox, &o, QStyle::SC_GroupBoxLabel, w).right(), w->rect().right());
        } else if (auto* table = qobject_cast<QTableView*>(w)) {
            const int margin = 2 * (w->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, w) + 1);
            for (int c = 0; c < table->model()->columnCount(); ++c) {
                QString widest = table->model()->headerData(c, Qt::Horizontal).toString();
                for (int r = 0; r < table->model()->rowCount(); ++r)
                    if (const QString cell = table->model()->index(r, c).data().toString(); fm.horizontalAdvance(cell) > fm.horizontalAdvance(widest)) widest = cell;
                check(w, widest, fm.horizontalAdvance(widest) + margin, table->columnWidth(c));
            }
        }
        // A text and the control beside it do not cover one another.
        if ((label || button) && !text.isEmpty())
            for (QWidget* other : w->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (other != w && other->isVisibleTo(window) && !other->isWindow() && other->geometry().intersects(w->geometry()))
                    check(w, text + " under " + other->metaObject()->className(), 1, 0);
    }
    return faults;
}

struct Seen {
    std::vector<std::string> faults;
    QString help;   // what F1 opened
};

// Opens every window of the table through its menu entry and looks at each
// from a polling timer inside its modal loop; the memory window opens "Zapisz
// jako", seen with a text file name and then with a .qvg one.
struct Walk : LinkOpener {
    test::WindowRig& rig;
    std::map<std::string, Seen> seen;
    bool busy = false;

    explicit Walk(test::WindowRig& r) : rig(r) { rig.window->setLinkOpener(this); }
    int open(const QString&) override { return link_result::kOpened; }

    static std::string keyOf(QWidget* w) {
        const std::string name = w->metaObject()->className();
        auto* save = qobject_cast<MemorySaveDialog*>(w);
        return name.substr(name.rfind(':') + 1) + (save && save->fileEdit()->text().endsWith(".qvg") ? " .qvg" : "");
    }
    // The page F1 showed in the help window of w's window, "#place" included.
    static QString helpShownFor(QWidget* w) {
        auto* help = w->window()->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
        if (!help || !help->isVisible()) return {};
        const QUrl page = help->browser()->source();
        help->close();
        return page.toLocalFile() + (page.hasFragment() ? "#" + page.fragment() : QString());
    }
    void look(QWidget* w) {
        QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(w->focusWidget() ? w->focusWidget() : w, &f1);
        seen[keyOf(w)] = {faultsOf(w), helpShownFor(w)};
    }
    void poll() {
        QWidget* top = QApplication::activeModalWidget();
        auto* config = qobject_cast<ConfigDialog*>(top);
        auto* memory = qobject_cast<MemoryDialog*>(top);
        if (busy || !top || top == rig.window.get() || qobject_cast<WaitWindow*>(top) || qobject_cast<PortSearchWindow*>(top) ||
            (config && config->waitingForSettings()) || (memory && !memory->list()->isVisible()))
            return;
        const std::string key = keyOf(top);
        const bool first = !seen.count(key);
        if (first) look(top);
        busy = true;
        // The next step runs outside this timer's call, which a nested loop would hold.
        QTimer::singleShot(0, top, [this, top, memory, first, key] {
            busy = false;
            if (memory && first) return memory->saveButton()->click();
            if (key == "MemorySaveDialog") return qobject_cast<MemorySaveDialog*>(top)->fileEdit()->setText("records.qvg");
            qobject_cast<QDialog*>(top)->reject();
        });
    }
    void run() {
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [this] { poll(); });
        timer.start(10);
        // The registration waits for the end of the settings-read period; cut it short.
        if (rig.window->timers().isActive(timer_id::kSettingsReadPeriod)) rig.window->timers().startTimer(timer_id::kSettingsReadPeriod, 1);
        ASSERT_TRUE(pumpUntil([&] { return rig.window->action(menu_id::kRegistration)->isEnabled(); }, 20000));
        look(rig.window.get());
        std::set<int> done{0};
        for (const Window& w : kWindows) {
            if (!done.insert(w.menuId).second) continue;
            rig.window->action(w.menuId)->trigger();
            if (ChartWindow* chart = rig.window->chart().liveWindow(); chart && w.menuId == menu_id::kChart) {
                ASSERT_TRUE(pumpUntil([&] { return chart->isVisible(); }));
                look(chart);
                chart->close();
            }
        }
    }
};

TEST(WindowLayout, KeysLettersTextsTitlesAndHelpOfEveryWindow) {
    sim::Scenario panel = *sim::makeScenario("modem-208", 0);
    const sim::Scenario memory = *sim::makeScenario("memory", 0);
    panel.model.probe = memory.model.probe;
    panel.model.memorySizeBlocks = memory.model.memorySizeBlocks;
    panel.model.memoryImage = memory.model.memoryImage;
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int menu;   // the popup it opens
    };
    const std::map<QString, std::vector<Key>> keys = {
        {"pl", {{Qt::Key_P, Qt::AltModifier, 0}, {Qt::Key_A, Qt::AltModifier, 3}, {Qt::Key_C, Qt::AltModifier, 5}, {Qt::Key_F10, {}, 0}}},
        {"en", {{Qt::Key_S, Qt::AltModifier, 2}, {Qt::Key_H, Qt::AltModifier, 5}, {Qt::Key_F10, {}, 0}}},
    };
    for (const auto& [language, menuKeys] : keys) {
        SCOPED_TRACE(language.toStdString());
        test::app();
        QTranslator translator;
        if (language == "en") {
            ASSERT_TRUE(installTranslation(*qApp, translator, language, QStringLiteral(MR420_BINARY_DIR "/bin")));
        }
        test::WindowRig rig("window-layout-" + language.toStdString(), panel);
        ASSERT_TRUE(rig.started && rig.connected);
        QMenuBar* bar = rig.window->findChild<QMenuBar*>();
        std::set<QKeySequence> titles;
        for (QAction* popup : bar->actions()) {
            const QKeySequence letter = QKeySequence::mnemonic(popup->text());
            EXPECT_TRUE(!letter.isEmpty() && titles.insert(letter).second) << popup->text().toStdString();
            std::set<QKeySequence> entries;
            for (QAction* e : popup->menu()->actions()) {
                const QKeySequence entry = QKeySequence::mnemonic(e->text());
                EXPECT_TRUE(e->isSeparator() || (!entry.isEmpty() && entries.insert(entry).second)) << e->text().toStdString();
            }
        }
        rig.window->activateWindow();
        ASSERT_TRUE(pumpUntil([&] { return QApplication::activeWindow() == rig.window.get(); }));
        for (const Key& k : menuKeys) {
            QTest::keyClick(rig.window.get(), k.key, k.modifiers);
            QMenu* popup = bar->actions().at(k.menu)->menu();
            EXPECT_TRUE(pumpUntil([&] { return popup->isVisible(); })) << k.key;
            popup->hide();
        }
        Walk walk(rig);
        walk.run();
        for (const Window& w : kWindows) {
            SCOPED_TRACE(w.window);
            ASSERT_TRUE(walk.seen.count(w.window));
            for (const std::string& f : walk.seen[w.window].faults) ADD_FAILURE() << f;
            EXPECT_TRUE(walk.seen[w.window].help.endsWith("/" + language + "/" + w.page)) << walk.seen[w.window].help.toStdString();
        }
        rig.window->activateWindow();
        ASSERT_TRUE(pumpUntil([&] { return QApplication::activeWindow() == rig.window.get(); }));
        QTest::keyClick(rig.window.get(), Qt::Key_Q, Qt::ControlModifier);
        EXPECT_TRUE(pumpUntil([&] { return !rig.window->isVisible() && rig.window->result() == QDialog::Accepted; }));
        if (language == "en") removeTranslation(*qApp, translator);
    }
}

}  // namespace
}  // namespace mr420
