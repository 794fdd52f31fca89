// The hyperlink control: look, size, tooltip, hover; visited only after a
// successful open; a failure beeps and names its reason.

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>

#include <fstream>
#include <vector>

#include "app/Hyperlink.h"
#include "app/widgets/LinkStatic.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/RecordingOpener.h"
#include "support/TestApplication.h"
#include "support/TestSupport.h"

using namespace mr420;

namespace {
using mr420::test::app;
using mr420::test::pumpFor;

using test::RecordingOpener;

struct AppFirst {
    AppFirst() { app(); }
};

struct Rig : AppFirst {
    RecordingOpener opener;
    ScriptedMessageBoxes boxes;
    int beeps = 0;
    LinkStatic* link;
    QWidget host;
    explicit Rig(const QString& text = QStringLiteral("pomoc.html")) {
        link = new LinkStatic(text, &host);
        link->setOpener(&opener);
        link->setMessageBoxes(&boxes);
        link->setBeep([this] { ++beeps; });
        link->move(150, 60);  // away from the pointer of the offscreen screen
        host.resize(400, 100);
        host.show();
        pumpFor(10);
    }
};

void mouse(QWidget* w, QEvent::Type type, QPointF at) {
    QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton,
                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
}  // namespace

TEST(LinkStatic, UnderlinedBlueWithHandCursorTooltipAndTextSize) {
    Rig r(QStringLiteral("Kliknij tutaj"));
    LinkStatic* l = r.link;
    EXPECT_TRUE(l->font().underline());
    EXPECT_EQ(l->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(l->currentColour(), QColor(0, 0, 238));
    EXPECT_EQ(l->palette().color(QPalette::WindowText), QColor(0, 0, 238));
    // Without a target of its own, the text is the target.
    EXPECT_EQ(l->target(), QStringLiteral("Kliknij tutaj"));
    EXPECT_EQ(l->toolTip(), QStringLiteral("Kliknij tutaj"));
    const int textWidth = QFontMetrics(l->font()).horizontalAdvance(l->text());
    EXPECT_GE(l->width(), textWidth);
    EXPECT_LE(l->width(), textWidth + 8);
    l->setTarget(QStringLiteral("/usr/share/mr420/help/pl/index.html"));
    EXPECT_EQ(l->target(), QStringLiteral("/usr/share/mr420/help/pl/index.html"));
    EXPECT_EQ(l->toolTip(), l->target());
}

TEST(LinkStatic, VisitedOnlyAfterASuccessfulOpen) {
    Rig r;
    r.opener.result = link_result::kNoAssociation;
    r.link->activate();
    EXPECT_FALSE(r.link->visited());
    EXPECT_EQ(r.link->currentColour(), QColor(0, 0, 238));
    r.opener.result = link_result::kOpened;
    r.link->activate();
    EXPECT_TRUE(r.link->visited());
    EXPECT_EQ(r.link->currentColour(), QColor(85, 26, 139));
    EXPECT_EQ(r.link->palette().color(QPalette::WindowText), QColor(85, 26, 139));
    ASSERT_EQ(r.opener.targets.size(), 2u);
    EXPECT_EQ(r.opener.targets[1], QStringLiteral("pomoc.html"));
    EXPECT_EQ(r.boxes.shown.size(), 1u);  // only the failure
}

TEST(LinkStatic, AFailureBeepsAndNamesItsReason) {
    const std::pair<int, const char*> cases[] = {
        {link_result::kNoAssociation, "There is no application associated\nwith the given filename extension."},
        {link_result::kFileNotFound, "The specified file was not found."},
        {link_result::kPathNotFound, "The specified path was not found."},
        {link_result::kAccessDenied, "The operating system denied\naccess to the specified file."},
        {12, "Unknown Error (12) occurred."},
    };
    for (const auto& [code, reason] : cases) {
        Rig r;
        r.opener.result = code;
        EXPECT_EQ(r.link->activate(), code);
        EXPECT_EQ(r.beeps, 1) << code;
        ASSERT_EQ(r.boxes.shown.size(), 1u) << code;
        EXPECT_EQ(r.boxes.shown[0].text, QStringLiteral("Unable to open hyperlink:\n\n") + QString::fromUtf8(reason));
        EXPECT_EQ(r.boxes.shown[0].icon, BoxIcon::Warning);
        EXPECT_EQ(r.boxes.shown[0].buttons, BoxButtons::Ok);
        EXPECT_FALSE(r.link->visited());
    }
}

TEST(LinkStatic, AClickOpensAReleaseOutsideDoesNot) {
    Rig r;
    const QPointF inside(r.link->width() / 2.0, r.link->height() / 2.0);
    mouse(r.link, QEvent::MouseButtonPress, inside);
    mouse(r.link, QEvent::MouseButtonRelease, QPointF(r.link->width() + 20, 2));
    EXPECT_TRUE(r.opener.targets.empty());
    mouse(r.link, QEvent::MouseButtonPress, inside);
    mouse(r.link, QEvent::MouseButtonRelease, inside);
    EXPECT_EQ(r.opener.targets.size(), 1u);
    EXPECT_TRUE(r.link->visited());
}

TEST(LinkStatic, HoverColourWhileTheMouseIsOver) {
    Rig r;
    r.link->hoverColour = QColor(200, 0, 0);
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), r.link->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(r.link, &enter);
    EXPECT_TRUE(r.link->hovering());
    EXPECT_EQ(r.link->currentColour(), QColor(200, 0, 0));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(r.link, &leave);
    EXPECT_FALSE(r.link->hovering());
    EXPECT_EQ(r.link->currentColour(), QColor(0, 0, 238));
}

TEST(LinkStatic, TheDesktopOpenerReportsAMissingFileOrFolderWithoutOpening) {
    app();
    const std::string dir = test::makeTempDir("linkstatic");
    EXPECT_EQ(desktopLinkOpener().open(QString::fromStdString(dir + "/missing.html")), link_result::kFileNotFound);
    EXPECT_EQ(desktopLinkOpener().open(QString::fromStdString(dir + "/none/missing.html")), link_result::kPathNotFound);
    EXPECT_EQ(desktopLinkOpener().open(QStringLiteral("file://") + QString::fromStdString(dir + "/gone.html")),
              link_result::kFileNotFound);
}
