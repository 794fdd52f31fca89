// The help command and the program's own help window: the page of the
// context, back and forward over the links between pages, the pictures, the
// desktop's browser only on request, and the reason when there are no pages.

#include <gtest/gtest.h>

#include <QImage>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>

#include <vector>

#include "app/Hyperlink.h"
#include "app/widgets/HelpCommand.h"
#include "app/widgets/HelpWindow.h"
#include "base/widgets/MessageBoxes.h"
#include "support/TestApplication.h"
#include "support/TestSupport.h"

using namespace mr420;

namespace {
using mr420::test::app;

struct RecordingOpener : LinkOpener {
    std::vector<QString> targets;
    int open(const QString& target) override {
        targets.push_back(target);
        return link_result::kOpened;
    }
};

const QString kBin = QStringLiteral(MR420_BINARY_DIR "/bin");

QString shown(const HelpWindow& w) { return w.browser()->source().toLocalFile(); }

TEST(HelpWindow, ShowsThePagesOfTheLanguageAndFollowsTheirLinks) {
    app();
    RecordingOpener opener;
    ScriptedMessageBoxes boxes;
    QWidget owner;   // the main window
    struct Case {
        int context;
        const char* page;
        const char* picture;
    };
    for (const Case& c : {Case{100, "/help/pl/index.html", "../images/pl/main-window.png"},
                          Case{1100, "/help/en/index.html", "../images/en/main-window.png"}}) {
        ASSERT_TRUE(linkOpened(showHelp(&owner, c.context, kBin, opener, boxes)));
        HelpWindow& w = helpWindowFor(&owner, opener, boxes);
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(shown(w).endsWith(QLatin1String(c.page))) << shown(w).toStdString();
        const QVariant picture = w.browser()->document()->resource(
            QTextDocument::ImageResource, w.browser()->source().resolved(QUrl(QString::fromLatin1(c.picture))));
        EXPECT_FALSE(picture.value<QImage>().isNull()) << c.picture;

        w.follow(QUrl(QStringLiteral("memory.html#vimo")));
        EXPECT_TRUE(shown(w).endsWith(QStringLiteral("/memory.html")));
        ASSERT_TRUE(w.backButton()->isEnabled());
        w.backButton()->click();
        EXPECT_TRUE(shown(w).endsWith(QLatin1String(c.page)));
        EXPECT_TRUE(w.forwardButton()->isEnabled());
        // Mail and web links, and the browser button, go to the desktop.
        w.follow(QUrl(QStringLiteral("mailto:biuro@example.com")));
        w.browserButton()->click();
        EXPECT_TRUE(shown(w).endsWith(QLatin1String(c.page)));
    }
    ASSERT_EQ(opener.targets.size(), 4u);
    EXPECT_EQ(opener.targets[0], QStringLiteral("mailto:biuro@example.com"));
    EXPECT_TRUE(opener.targets[1].endsWith(QStringLiteral("/help/pl/index.html")));
    EXPECT_TRUE(opener.targets[3].endsWith(QStringLiteral("/help/en/index.html")));
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
    EXPECT_TRUE(opener.targets.empty());
}

}  // namespace
