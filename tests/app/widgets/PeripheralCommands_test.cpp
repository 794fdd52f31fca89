// The main window's colours, fonts, help, About, "Program VKS" and
// additional-settings commands: what reaches the settings file and the next
// start, the help page of the language, and the port choice waiting for the
// "Program VKS" window shown after start.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <vector>

#include "app/HelpPages.h"
#include "app/Hyperlink.h"
#include "base/ProgramVersion.h"
#include "settings/Settings.h"
#include "app/widgets/AboutDialog.h"
#include "app/widgets/AdditionalSettingsDialog.h"
#include "app/widgets/HelpWindow.h"
#include "app/widgets/LinkStatic.h"
#include "app/widgets/MainWindow.h"
#include "app/widgets/PromotionDialog.h"
#include "base/IniFile.h"
#include "base/StringTable.h"
#include "base/TimerIds.h"
#include "support/ScriptedMessageBoxes.h"
#include "base/widgets/QtTimerService.h"
#include "link/widgets/PortDialog.h"
#include "support/RecordingOpener.h"
#include "support/ScriptedChoosers.h"
#include "support/TestApplication.h"
#include "support/TestSupport.h"
#include "ui/MenuTable.h"
#include "ui/widgets/ColourSwatch.h"
#include "ui/widgets/ColoursDialog.h"
#include "ui/widgets/FontsDialog.h"
#include "ui/widgets/ValuePane.h"

using namespace mr420;

namespace {
using mr420::test::app;
using mr420::test::pumpFor;
using mr420::test::pumpUntil;

using test::RecordingOpener;

void click(QWidget* w) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}

template <typename D>
D* openDialog() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<D*>(w); d && d->isVisible()) return d;
    return nullptr;
}

// Runs `user` on the dialog of type D from a polling timer in its own loop.
template <typename D>
struct WhenOpen {
    QTimer timer;
    int seen = 0;
    explicit WhenOpen(std::function<void(D*)> user) {
        QObject::connect(&timer, &QTimer::timeout, [this, user] {
            if (D* d = openDialog<D>()) {
                ++seen;
                timer.stop();
                user(d);
            }
        });
        timer.start(5);
    }
};

// A window without a port whose port choice is put aside.
struct Started {
    ScriptedMessageBoxes boxes;
    std::unique_ptr<MainWindow> window;
    explicit Started(AppSettings& settings) {
        app();
        window = std::make_unique<MainWindow>(settings, std::map<int, std::string>{}, boxes);
        window->setPortEntrySource([] { return std::vector<std::string>{}; });
        window->initialise();
        window->timers().stopTimer(timer_id::kPortChoiceRetry);
        window->show();
        pumpFor(20);
    }
};

// Settings written at exit and read at the next start, through a file.
AppSettings throughTheSettingsFile(MainWindow& w, const std::string& name) {
    const std::string path = test::makeTempDir(name) + "/mr420.ini";
    AppSettings out = defaultSettings();
    w.storeSettings(out);
    {
        IniFile ini;
        EXPECT_TRUE(ini.open(path, true, true, true, false));
        writeSettings(ini, out);
        ini.close();
    }
    IniFile ini;
    EXPECT_TRUE(ini.open(path, false, false, true, false));
    AppSettings in = defaultSettings();
    readSettings(ini, in);
    in.showAdv = 0;  // the next start without the window after start
    return in;
}

AppSettings quietSettings() {
    AppSettings s = defaultSettings();
    s.showAdv = 0;
    return s;
}
}  // namespace

TEST(PeripheralCommands, AColourKeptWithOkShowsAfterARestartCancelledOneDoesNot) {
    AppSettings settings = quietSettings();
    Started s(settings);
    test::ScriptedPaneChooser chooser;
    s.window->setPaneChooser(&chooser);
    const QColor oldTemp1 = s.window->pane(kChannelTemp1)->backgroundColour;
    // Cancelled: TEMP1's background is put back.
    chooser.colour = QColor(250, 1, 2);
    WhenOpen<ColoursDialog> cancel([](ColoursDialog* d) {
        click(d->swatch(1040));
        d->cancelButton()->click();
    });
    s.window->action(menu_id::kColours)->trigger();
    ASSERT_EQ(cancel.seen, 1);
    EXPECT_EQ(s.window->pane(kChannelTemp1)->backgroundColour, oldTemp1);
    // Kept: DP's text colour.
    chooser.colour = QColor(12, 34, 56);
    WhenOpen<ColoursDialog> ok([](ColoursDialog* d) {
        click(d->swatch(1049));
        d->okButton()->click();
    });
    s.window->action(menu_id::kColours)->trigger();
    ASSERT_EQ(ok.seen, 1);

    AppSettings next = throughTheSettingsFile(*s.window, "colours-restart");
    EXPECT_EQ(next.panes[kChannelDp].text, rgbFromColour(QColor(12, 34, 56)));
    EXPECT_EQ(next.panes[kChannelTemp1].background, rgbFromColour(oldTemp1));
    Started again(next);
    EXPECT_EQ(again.window->pane(kChannelDp)->textColour, QColor(12, 34, 56));
    EXPECT_EQ(again.window->pane(kChannelTemp1)->backgroundColour, oldTemp1);
}

TEST(PeripheralCommands, AFontKeptWithOkShowsAfterARestartWithoutUnderline) {
    AppSettings settings = quietSettings();
    Started s(settings);
    test::ScriptedPaneChooser chooser;
    chooser.font = QFont(QStringLiteral("DejaVu Serif"));
    chooser.font.setPixelSize(28);
    chooser.font.setWeight(QFont::Bold);
    chooser.font.setItalic(true);
    chooser.font.setUnderline(true);
    s.window->setPaneChooser(&chooser);
    const LogicalFont oldTemp1 = s.window->pane(kChannelTemp1)->valueLogFont;
    WhenOpen<FontsDialog> cancel([](FontsDialog* d) {
        click(d->sampleById(1039));
        d->close();  // the close box
    });
    s.window->action(menu_id::kFonts)->trigger();
    ASSERT_EQ(cancel.seen, 1);
    EXPECT_EQ(s.window->pane(kChannelTemp1)->valueLogFont, oldTemp1);

    WhenOpen<FontsDialog> ok([](FontsDialog* d) {
        click(d->sampleById(1043));
        d->okButton()->click();
    });
    s.window->action(menu_id::kFonts)->trigger();
    ASSERT_EQ(ok.seen, 1);
    const LogicalFont chosen = s.window->pane(kChannelDp)->valueLogFont;
    EXPECT_EQ(chosen.underline, 1);  // shown in this run

    AppSettings next = throughTheSettingsFile(*s.window, "fonts-restart");
    EXPECT_EQ(next.panes[kChannelDp].fontName, chosen.faceName);
    EXPECT_EQ(next.panes[kChannelDp].fontHeight, chosen.height);
    EXPECT_EQ(next.panes[kChannelDp].fontWeight, int(QFont::Bold));
    EXPECT_EQ(next.panes[kChannelDp].fontItalic, 1);
    Started again(next);
    const LogicalFont restarted = again.window->pane(kChannelDp)->valueLogFont;
    EXPECT_EQ(restarted.faceName, chosen.faceName);
    EXPECT_EQ(restarted.height, chosen.height);
    EXPECT_EQ(restarted.weight, chosen.weight);
    EXPECT_EQ(restarted.italic, 1);
    EXPECT_EQ(restarted.underline, 0);  // not kept across runs
    EXPECT_EQ(again.window->pane(kChannelTemp1)->valueLogFont, oldTemp1);
}

TEST(PeripheralCommands, HelpShowsThePageOfTheLanguageInTheProgramsOwnWindow) {
    struct Case {
        const char* marker;
        const char* page;
    };
    for (const Case& c : {Case{"PL", "pl/index.html"}, Case{"EN", "en/index.html"}}) {
        const std::string marker = c.marker;
        setStringOverride([marker](int id) -> std::optional<std::string> {
            if (id == string_id::kLanguageMarker) return marker;
            return std::nullopt;
        });
        AppSettings settings = quietSettings();
        Started s(settings);
        RecordingOpener opener;
        s.window->setLinkOpener(&opener);
        s.window->action(menu_id::kHelp)->trigger();
        setStringOverride({});
        EXPECT_TRUE(opener.targets.empty()) << c.marker;
        auto* help = s.window->findChild<HelpWindow*>();
        ASSERT_NE(help, nullptr) << c.marker;
        EXPECT_TRUE(help->isVisible());
        const QString target = help->browser()->source().toLocalFile();
        EXPECT_TRUE(target.endsWith(QStringLiteral("/help/") + QLatin1String(c.page))) << target.toStdString();
        // The page is there, whether the test runs from the build tree or installed.
        EXPECT_TRUE(std::filesystem::is_regular_file(target.toStdString())) << target.toStdString();
        EXPECT_TRUE(s.boxes.shown.empty());
    }
}

TEST(PeripheralCommands, AboutShowsTheProgramsVersionAndLinksToItsOwnPages) {
    AppSettings settings = quietSettings();
    Started s(settings);
    RecordingOpener opener;
    s.window->setLinkOpener(&opener);
    QString version, helpTarget, pictureTarget, shownHelp;
    WhenOpen<AboutDialog> about([&](AboutDialog* d) {
        version = d->versionLabel()->text();
        helpTarget = d->helpLink()->target();
        pictureTarget = d->pictureLink()->target();
        click(d->helpLink());
        if (auto* help = d->findChild<HelpWindow*>()) shownHelp = help->browser()->source().toLocalFile();
        click(d->pictureLink());
        d->okButton()->click();
    });
    s.window->action(menu_id::kAbout)->trigger();
    ASSERT_EQ(about.seen, 1);
    EXPECT_EQ(version, QStringLiteral("MR420, wersja ") + QStringLiteral(MR420_VERSION));
    EXPECT_TRUE(helpTarget.endsWith(QStringLiteral("/help/pl/index.html")));
    EXPECT_TRUE(pictureTarget.endsWith(QStringLiteral("/README.md")));
    EXPECT_TRUE(std::filesystem::is_regular_file(helpTarget.toStdString()));
    EXPECT_TRUE(std::filesystem::is_regular_file(pictureTarget.toStdString()));
    // The help page in the program's help window, the rest on the desktop.
    EXPECT_EQ(shownHelp, helpTarget);
    EXPECT_EQ(opener.targets, (std::vector<QString>{pictureTarget}));
}

TEST(PeripheralCommands, ThePromotionAfterStartHoldsThePortChoiceUntilItCloses) {
    app();
    AppSettings settings = defaultSettings();  // SHOW_ADV on, no port
    ScriptedMessageBoxes boxes;
    MainWindow w(settings, {}, boxes);
    RecordingOpener opener;
    w.setLinkOpener(&opener);
    w.setPortEntrySource([] { return std::vector<std::string>{"COM1"}; });
    EXPECT_TRUE(w.showPromotionAtStart());
    w.initialise();
    EXPECT_TRUE(w.timers().isActive(timer_id::kPromotion));
    EXPECT_TRUE(w.timers().isActive(timer_id::kPortChoiceRetry));

    // What was open, in the order it opened.
    std::vector<std::string> events;
    bool portWhilePromotion = false;
    QElapsedTimer promotionOpen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        PromotionDialog* promotion = openDialog<PromotionDialog>();
        PortDialog* port = openDialog<PortDialog>();
        if (promotion && port) portWhilePromotion = true;
        if (promotion) {
            if (events.empty() || events.back() != "promotion") {
                events.push_back("promotion");
                EXPECT_TRUE(w.startPromotionShowing());
                EXPECT_FALSE(w.timers().isActive(timer_id::kPromotion));
                promotionOpen.start();
            }
            // Open for longer than two port-choice retries.
            if (promotionOpen.elapsed() > 1300) promotion->closeButton()->click();
        }
        if (port) {
            events.push_back("port");
            EXPECT_FALSE(w.startPromotionShowing());
            port->cancelButton()->click();
        }
    });
    watch.start(20);
    w.show();
    ASSERT_TRUE(pumpUntil([&] { return !events.empty() && events.back() == "port"; }, 6000));
    watch.stop();
    EXPECT_EQ(events, (std::vector<std::string>{"promotion", "port"}));
    EXPECT_FALSE(portWhilePromotion);
    EXPECT_FALSE(w.startPromotionShowing());
    EXPECT_FALSE(w.timers().isActive(timer_id::kPortChoiceRetry));
    // Shown once only.
    pumpFor(300);
    EXPECT_EQ(openDialog<PromotionDialog>(), nullptr);
    w.requestClose();
}

TEST(PeripheralCommands, WithoutShowAdvNoPromotionAtStart) {
    AppSettings settings = quietSettings();
    Started s(settings);
    EXPECT_FALSE(s.window->timers().isActive(timer_id::kPromotion));
    pumpFor(250);
    EXPECT_EQ(openDialog<PromotionDialog>(), nullptr);
}

TEST(PeripheralCommands, AdditionalSettingsDriveShowAdvCancelChangesNothing) {
    AppSettings settings = defaultSettings();
    settings.showAdv = 1;
    ScriptedMessageBoxes boxes;
    app();
    MainWindow w(settings, {}, boxes);  // not initialised: no window after start
    bool startedChecked = true;
    WhenOpen<AdditionalSettingsDialog> cancel([&](AdditionalSettingsDialog* d) {
        startedChecked = d->checkBox()->isChecked();
        d->checkBox()->setChecked(true);
        d->cancelButton()->click();
    });
    w.action(menu_id::kAdditionalSettings)->trigger();
    ASSERT_EQ(cancel.seen, 1);
    EXPECT_FALSE(startedChecked);  // SHOW_ADV on: unchecked
    EXPECT_TRUE(w.showPromotionAtStart());

    WhenOpen<AdditionalSettingsDialog> ok([](AdditionalSettingsDialog* d) {
        d->checkBox()->setChecked(true);
        d->okButton()->click();
    });
    w.action(menu_id::kAdditionalSettings)->trigger();
    ASSERT_EQ(ok.seen, 1);
    EXPECT_FALSE(w.showPromotionAtStart());
    AppSettings out = defaultSettings();
    w.storeSettings(out);
    EXPECT_EQ(out.showAdv, 0);

    WhenOpen<AdditionalSettingsDialog> back([&](AdditionalSettingsDialog* d) {
        startedChecked = d->checkBox()->isChecked();
        d->checkBox()->setChecked(false);
        d->okButton()->click();
    });
    w.action(menu_id::kAdditionalSettings)->trigger();
    EXPECT_TRUE(startedChecked);
    w.storeSettings(out);
    EXPECT_EQ(out.showAdv, 1);
}

TEST(PeripheralCommands, ThePromotionTextCanBeReadButNotClickedInto) {
    app();
    RecordingOpener opener;
    ScriptedMessageBoxes boxes;
    PromotionDialog d(QStringLiteral("/x/help/pl/index.html"), opener, boxes);
    d.show();
    pumpFor(20);
    EXPECT_TRUE(d.document()->isReadOnly());
    EXPECT_EQ(d.document()->textInteractionFlags(), Qt::NoTextInteraction);
    EXPECT_FALSE(d.document()->toPlainText().isEmpty());
    EXPECT_EQ(d.document()->focusPolicy(), Qt::NoFocus);
    // Presses, double clicks and the context menu go nowhere: nothing is selected.
    QWidget* view = d.document()->viewport();
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        const QPointF at(30, 12);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick}) {
            QMouseEvent e(type, at, view->mapToGlobal(at), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
            QApplication::sendEvent(view, &e);
        }
    }
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(30, 12), view->mapToGlobal(QPoint(30, 12)));
    QApplication::sendEvent(view, &menu);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    // The text scrolls.
    d.resize(300, 200);
    pumpFor(20);
    EXPECT_GT(d.document()->verticalScrollBar()->maximum(), 0);
    EXPECT_TRUE(d.document()->textCursor().selectedText().isEmpty());
    EXPECT_EQ(d.link()->target(), QStringLiteral("/x/help/pl/index.html"));
    click(d.link());
    EXPECT_EQ(opener.targets.size(), 1u);
    EXPECT_TRUE(d.link()->visited());
    d.closeButton()->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
}
