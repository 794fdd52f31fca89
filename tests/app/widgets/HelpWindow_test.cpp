// The help command and the program's own help window: the page of the
// context, its pictures, back and forward over its links, the desktop's
// browser only on request, and the reason when there are no pages.

#include <gtest/gtest.h>

#include <QImage>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>

#include "app/Hyperlink.h"
#include "app/widgets/HelpCommand.h"
#include "app/widgets/HelpWindow.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/RecordingOpener.h"
#include "support/TestApplication.h"
#include "support/TestSupport.h"

using namespace mr420;

namespace {
using mr420::test::app;
using test::RecordingOpener;
const QString kBin = QStringLiteral(MR420_BINARY_DIR "/bin");

QString shown(const HelpWindow& w) { return w.browser()->source().toLocalFile(); }

TEST(HelpWindow, ShowsThePagesOfTheLanguageAndFollowsTheirLinks) {
    app();
    RecordingOpener opener;
    ScriptedMessageBoxes boxes;
    QWidget owner;   // the main window
    for (const char* language : {"pl", "en"}) {
        const QString page = QStringLiteral("/help/%1/index.html").arg(QLatin1String(language));
        ASSERT_TRUE(linkOpened(showHelp(&owner, language[0] == 'e' ? 1100 : 100, kBin, opener, boxes)));
        HelpWindow& w = helpWindowFor(&owner, opener, boxes);
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(shown(w).endsWith(page)) << shown(w).toStdString();
        const QUrl picture = w.browser()->source().resolved(QStringLiteral("../images/%1/main-window.png").arg(QLatin1String(language)));
        EXPECT_FALSE(w.browser()->document()->resource(QTextDocument::ImageResource, picture).value<QImage>().isNull());
        w.follow(QUrl(QStringLiteral("memory.html#vimo")));
        EXPECT_TRUE(shown(w).endsWith(QStringLiteral("/memory.html")));
        w.backButton()->click();
        EXPECT_TRUE(shown(w).endsWith(page));
        EXPECT_TRUE(w.forwardButton()->isEnabled());
        // Mail and web links, and the browser button, go to the desktop.
        w.follow(QUrl(QStringLiteral("mailto:biuro@example.com")));
        w.browserButton()->click();
        EXPECT_TRUE(shown(w).endsWith(page));
        EXPECT_TRUE(opener.targets.back().endsWith(page));
    }
    EXPECT_EQ(opener.targets.size(), 4u);
    EXPECT_EQ(opener.targets[0], QStringLiteral("mailto:biuro@example.com"));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(HelpWindow, WithoutThePagesTheReasonIsShown) {
    app();
    RecordingOpener opener;
    ScriptedMessageBoxes boxes;
    const QString nowhere = QString::fromStdString(test::makeTempDir("help-nowhere")) + QStringLiteral("/bin");
    EXPECT_EQ(showHelp(nullptr, 100, nowhere, opener, boxes), link_result::kPathNotFound);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Unable to open hyperlink:\n\nThe specified path was not found."));
}

}  // namespace
