// Every window the menus open, in Polish and in English, on a panel whose
// modem settings and memory are filled in: no label, button, check box,
// group title, column header or list cell shows its text cut or covered by a
// neighbour, each window is wide enough for its title, and F1 in it opens
// the help page that describes it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QTableView>
#include <QTimer>
#include <QTranslator>

#include <map>
#include <set>

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
#include "support/RecordingOpener.h"
#include "support/WindowRig.h"
#include "ui/MenuTable.h"

namespace mr420 {
namespace {

using test::pumpFor;
using test::pumpUntil;

// The windows, the menu entry that opens each and the page F1 opens there.
struct Window {
    int menuId;
    const char* window;   // class, and the mode it is seen in
    const char* page;
};
const Window kWindows[] = {
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

QString shown(QString text) { return QString::fromStdString(withoutMnemonic(text.toStdString())); }

// What of a window's texts does not show whole.
std::vector<std::string> layoutFaults(QWidget* window) {
    std::vector<std::string> faults;
    auto fault = [&faults](const QWidget* w, const QString& text, int need, int have) {
        faults.push_back(std::string(w->metaObject()->className()) + " \"" + text.toStdString() + "\" needs " +
                         std::to_string(need) + ", has " + std::to_string(have));
    };
    // A frame elides a title that does not fit beside its icon and buttons:
    // room for an icon and three buttons, each as wide as the font is high,
    // on both sides of a centred title.
    QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    titleFont.setBold(true);
    const QFontMetrics titleMetrics(titleFont);
    const int titleNeed = titleMetrics.horizontalAdvance(window->windowTitle()) + 8 * titleMetrics.height();
    if (window->width() < titleNeed) fault(window, window->windowTitle(), titleNeed, window->width());

    std::vector<QWidget*> texts;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || w->window() != window) continue;
        const QFontMetrics fm = w->fontMetrics();
        QStyle* style = w->style();
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->text().isEmpty() || Qt::mightBeRichText(label->text())) continue;
            texts.push_back(w);
            if (label->wordWrap()) {
                if (label->heightForWidth(label->width()) > label->height())
                    fault(w, label->text(), label->heightForWidth(label->width()), label->height());
                continue;
            }
            const QRect room = label->contentsRect();
            const QStringList lines = label->text().split(QLatin1Char('\n'));
            for (const QString& line : lines)
                if (fm.horizontalAdvance(line) > room.width()) fault(w, line, fm.horizontalAdvance(line), room.width());
            if (fm.height() * lines.size() > room.height()) fault(w, label->text(), fm.height() * int(lines.size()), room.height());
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (button->text().isEmpty()) continue;
            texts.push_back(w);
            QStyleOptionButton o;
            o.initFrom(button);
            o.text = button->text();
            const auto element = qobject_cast<QRadioButton*>(w)  ? QStyle::SE_RadioButtonContents
                                 : qobject_cast<QCheckBox*>(w) ? QStyle::SE_CheckBoxContents
                                                               : QStyle::SE_PushButtonContents;
            const int have = style->subElementRect(element, &o, button).width();
            const int need = fm.horizontalAdvance(shown(button->text()));
            if (need > have) fault(w, button->text(), need, have);
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            if (group->title().isEmpty()) continue;
            QStyleOptionGroupBox o;
            o.initFrom(group);
            o.text = group->title();
            o.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
            o.lineWidth = 1;
            const QRect label = style->subControlRect(QStyle::CC_GroupBox, &o, QStyle::SC_GroupBoxLabel, group);
            if (label.right() > group->rect().right()) fault(w, group->title(), label.right(), group->rect().right());
        } else if (auto* header = qobject_cast<QHeaderView*>(w); header && header->orientation() == Qt::Horizontal) {
            const int margin = 2 * style->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
            for (int c = 0; c < header->count(); ++c) {
                const QString text = header->model()->headerData(c, Qt::Horizontal).toString();
                const int need = header->fontMetrics().horizontalAdvance(text) + margin;
                if (!header->isSectionHidden(c) && need > header->sectionSize(c)) fault(w, text, need, header->sectionSize(c));
            }
        } else if (auto* table = qobject_cast<QTableView*>(w)) {
            const int margin = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1);
            const QAbstractItemModel* model = table->model();
            for (int c = 0; c < model->columnCount(); ++c) {
                int widest = 0;
                QString text;
                for (int r = 0; r < model->rowCount(); ++r) {
                    const QString cell = model->index(r, c).data().toString();
                    if (fm.horizontalAdvance(cell) > widest) widest = fm.horizontalAdvance(cell), text = cell;
                }
                if (widest + margin > table->columnWidth(c)) fault(w, text, widest + margin, table->columnWidth(c));
            }
        }
    }
    // A text and the control beside it do not cover one another.
    for (QWidget* text : texts)
        for (QWidget* other : text->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (other != text && other->isVisibleTo(window) && !other->isWindow() &&
                other->geometry().intersects(text->geometry()))
                fault(text, text->property("text").toString() + " covered by " + other->metaObject()->className(),
                      0, 0);
    return faults;
}

// What the walk saw of each window: its faults and the page F1 opened.
struct Seen {
    std::vector<std::string> faults;
    QString help;
};

// Opens every window of the table through its menu entry and looks at each
// from a polling timer inside its modal loop; the memory window opens "Zapisz
// jako", which is seen with a text file name and then with a .qvg one.
struct Walk {
    test::WindowRig& rig;
    test::RecordingOpener opener;
    std::map<std::string, Seen> seen;
    bool busy = false;

    explicit Walk(test::WindowRig& r) : rig(r) { rig.window->setLinkOpener(&opener); }

    static std::string keyOf(QWidget* w) {
        std::string name = w->metaObject()->className();
        name = name.substr(name.rfind(':') + 1);
        if (auto* save = qobject_cast<MemorySaveDialog*>(w); save && save->fileEdit()->text().endsWith(".qvg"))
            name += " .qvg";
        return name;
    }

    void look(QWidget* w) {
        Seen& s = seen[keyOf(w)];
        s.faults = layoutFaults(w);
        const std::size_t before = opener.targets.size();
        QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(w->focusWidget() ? w->focusWidget() : w, &f1);
        s.help = opener.targets.size() > before ? opener.last() : QString();
    }

    void poll() {
        QWidget* top = QApplication::activeModalWidget();
        if (busy || !top || top == rig.window.get() || qobject_cast<WaitWindow*>(top) ||
            qobject_cast<PortSearchWindow*>(top))
            return;
        if (auto* c = qobject_cast<ConfigDialog*>(top); c && c->waitingForSettings()) return;
        auto* memory = qobject_cast<MemoryDialog*>(top);
        if (memory && !memory->list()->isVisible()) return;
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
        if (rig.window->timers().isActive(timer_id::kSettingsReadPeriod))
            rig.window->timers().startTimer(timer_id::kSettingsReadPeriod, 1);
        ASSERT_TRUE(pumpUntil([&] { return rig.window->action(menu_id::kRegistration)->isEnabled(); }, 20000));
        std::set<int> opened;
        for (const Window& w : kWindows) {
            if (!opened.insert(w.menuId).second) continue;
            rig.window->action(w.menuId)->trigger();
            if (w.menuId != menu_id::kChart) continue;
            ChartWindow* chart = rig.window->chart().liveWindow();
            ASSERT_TRUE(chart && pumpUntil([&] { return chart->isVisible(); }));
            pumpFor(50);
            look(chart);
            chart->close();
        }
    }
};

sim::Scenario panelWithEverything() {
    sim::Scenario s = *sim::makeScenario("modem-208", 0);
    const sim::Scenario memory = *sim::makeScenario("memory", 0);
    s.model.probe = memory.model.probe;
    s.model.memorySizeBlocks = memory.model.memorySizeBlocks;
    s.model.memoryImage = memory.model.memoryImage;
    return s;
}

TEST(WindowLayout, EveryWindowShowsItsTextsWholeAndF1OpensItsPage) {
    test::app();
    const QString qm = QStringLiteral(MR420_BINARY_DIR "/bin");
    for (const QString& language : {QStringLiteral("pl"), QStringLiteral("en")}) {
        SCOPED_TRACE(language.toStdString());
        QTranslator translator;
        if (language == QStringLiteral("en")) {
            ASSERT_TRUE(installTranslation(*qApp, translator, language, qm));
        }
        {
            test::WindowRig rig("window-layout-" + language.toStdString(), panelWithEverything());
            ASSERT_TRUE(rig.started && rig.connected);
            Walk walk(rig);
            walk.run();
            for (const Window& w : kWindows) {
                SCOPED_TRACE(w.window);
                ASSERT_TRUE(walk.seen.count(w.window));
                const Seen& s = walk.seen.at(w.window);
                for (const std::string& f : s.faults) ADD_FAILURE() << f;
                EXPECT_TRUE(s.help.endsWith("/" + language + "/" + w.page)) << s.help.toStdString();
            }
        }
        if (language == QStringLiteral("en")) removeTranslation(*qApp, translator);
    }
}

}  // namespace
}  // namespace mr420
