// The please-wait window: modal loop, closing once, events going on inside it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTimer>

#include "base/widgets/WaitWindow.h"
#include "support/TestApplication.h"

using namespace mr420;

namespace {
using mr420::test::app;
}  // namespace

TEST(WaitWindow, CloseWhileNotShownDoesNothing) {
    app();
    WaitWindow w(QStringLiteral("Proszę czekać..."));
    w.close();
    w.close();
    EXPECT_FALSE(w.isShown());
    EXPECT_EQ(w.closeCount(), 0);
}

TEST(WaitWindow, AcknowledgementThenTimeOutCloseItOnceAndTimersRunInsideTheLoop) {
    app();
    WaitWindow w(QStringLiteral("Proszę czekać..."));
    int ticks = 0;
    QTimer poll;  // stands for the session's timers, which must keep running
    QObject::connect(&poll, &QTimer::timeout, [&] { ++ticks; });
    poll.start(5);
    bool shownInside = false;
    QTimer::singleShot(60, [&] {
        shownInside = w.isShown() && w.isVisible();
        w.close();  // acknowledgement
        w.close();  // time-out right after it
    });
    w.show();  // returns only when closed
    EXPECT_TRUE(shownInside);
    EXPECT_FALSE(w.isShown());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.closeCount(), 1);
    EXPECT_GE(ticks, 3);

    // Shown again for the next write.
    QTimer::singleShot(20, [&] { w.close(); });
    w.show();
    EXPECT_EQ(w.closeCount(), 2);
}

TEST(WaitWindow, EscapeAndCloseRequestsDoNotEndItAndItPaintsTheText) {
    app();
    WaitWindow w(QStringLiteral("Proszę czekać..."));
    bool stillShown = false;
    QTimer::singleShot(30, [&] {
        QWidget& asWidget = w;
        asWidget.close();  // a close request from the window system
        stillShown = w.isVisible() && w.isShown();
        QImage img = w.grab().toImage();
        // The background colour and some dark text pixels in the 110..130 band.
        EXPECT_EQ(img.pixelColor(2, 2), QColor(254, 254, 243));
        int dark = 0;
        for (int y = 110; y < 130; ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixelColor(x, y).lightness() < 100) ++dark;
        EXPECT_GT(dark, 20);
        w.close();
    });
    w.show();
    EXPECT_TRUE(stillShown);
}
