// The menu from the keyboard, in Polish and in English: every title and
// every entry of a menu has a letter of its own, Alt+letter opens a menu,
// F10 the first one, Ctrl+Q ends the program and F1 opens the main window's
// help page.

#include <gtest/gtest.h>

#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTranslator>

#include <set>

#include "app/Settings.h"
#include "app/widgets/MainWindow.h"
#include "app/widgets/Translation.h"
#include "base/TimerIds.h"
#include "base/widgets/MessageBoxes.h"
#include "base/widgets/QtTimerService.h"
#include "support/RecordingOpener.h"
#include "support/TestApplication.h"
#include "ui/MenuTable.h"

namespace mr420 {
namespace {

using test::pumpUntil;

// The window in a language, without a port and with the port choice put aside.
struct Started {
    QTranslator translator;
    bool english;
    AppSettings settings = defaultSettings();
    ScriptedMessageBoxes boxes;
    test::RecordingOpener opener;
    std::unique_ptr<MainWindow> window;

    explicit Started(bool inEnglish) : english(inEnglish) {
        test::app();
        if (english) installTranslation(*qApp, translator, QStringLiteral("en"), QStringLiteral(MR420_BINARY_DIR "/bin"));
        settings.showAdv = 0;
        window = std::make_unique<MainWindow>(settings, std::map<int, std::string>{}, boxes);
        window->setPortEntrySource([] { return std::vector<std::string>{}; });
        window->setLinkOpener(&opener);
        window->initialise();
        window->timers().stopTimer(timer_id::kPortChoiceRetry);
        window->show();
        window->activateWindow();
        pumpUntil([&] { return QApplication::activeWindow() == window.get(); });
    }
    ~Started() {
        window.reset();
        if (english) removeTranslation(*qApp, translator);
    }
    QMenuBar* bar() const { return window->findChild<QMenuBar*>(); }
};

TEST(MenuKeyboard, EveryTitleAndEveryEntryOfAMenuHasALetterOfItsOwn) {
    for (const bool english : {false, true}) {
        Started s(english);
        ASSERT_EQ(menuText(menu_id::kClose), english ? "&Close" : "&Zamknij");
        std::set<QKeySequence> titles;
        for (QAction* title : s.bar()->actions()) {
            const QKeySequence key = QKeySequence::mnemonic(title->text());
            EXPECT_FALSE(key.isEmpty()) << title->text().toStdString();
            EXPECT_TRUE(titles.insert(key).second) << title->text().toStdString();
            std::set<QKeySequence> entries;
            for (QAction* entry : title->menu()->actions()) {
                if (entry->isSeparator()) continue;
                const QKeySequence letter = QKeySequence::mnemonic(entry->text());
                EXPECT_FALSE(letter.isEmpty()) << entry->text().toStdString();
                EXPECT_TRUE(entries.insert(letter).second) << entry->text().toStdString();
            }
        }
        EXPECT_EQ(titles.size(), mainMenu().size());
    }
}

TEST(MenuKeyboard, KeysOpenTheMenusEndTheProgramAndOpenHelp) {
    struct Case {
        bool english;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int menu;   // the popup that opens, -1 for none
    };
    const Case cases[] = {
        {false, Qt::Key_P, Qt::AltModifier, 0},  {false, Qt::Key_A, Qt::AltModifier, 3},
        {false, Qt::Key_C, Qt::AltModifier, 5},  {false, Qt::Key_F10, Qt::NoModifier, 0},
        {true, Qt::Key_S, Qt::AltModifier, 2},   {true, Qt::Key_H, Qt::AltModifier, 5},
        {false, Qt::Key_F1, Qt::NoModifier, -1}, {true, Qt::Key_F1, Qt::NoModifier, -1},
        {false, Qt::Key_Q, Qt::ControlModifier, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QKeySequence(c.key | c.modifiers).toString().toStdString() + (c.english ? " en" : " pl"));
        Started s(c.english);
        QMenu* popup = c.menu < 0 ? nullptr : s.bar()->actions().at(c.menu)->menu();
        QTest::keyClick(s.window.get(), c.key, c.modifiers);
        if (popup) {
            EXPECT_TRUE(pumpUntil([&] { return popup->isVisible(); }));
            popup->hide();
        } else if (c.key == Qt::Key_F1) {
            const QString page = c.english ? "/help/en/index.html" : "/help/pl/index.html";
            EXPECT_TRUE(s.opener.last().endsWith(page)) << s.opener.last().toStdString();
        } else {
            EXPECT_TRUE(pumpUntil([&] { return !s.window->isVisible(); }));
            EXPECT_EQ(s.window->result(), QDialog::Accepted);
        }
    }
}

}  // namespace
}  // namespace mr420
