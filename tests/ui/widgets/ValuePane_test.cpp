// The value pane: repaint rules, blinking, colours and fonts, what it draws.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>

#include "ui/widgets/ValuePane.h"
#include "support/ScriptedChoosers.h"
#include "support/TestApplication.h"

using namespace mr420;

namespace {
using mr420::test::pumpFor;
using mr420::test::app;

// Pixels of a colour inside a rectangle.
int countColour(const QImage& img, const QRect& r, const QColor& c) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (img.pixelColor(x, y) == c) ++n;
    return n;
}

struct AppFirst {
    AppFirst() { app(); }
};
struct Shown : AppFirst {
    ValuePane pane;
    Shown() {
        pane.model().title = "Temperatura";
        pane.resize(300, 100);
        pane.show();
        pumpFor(20);
    }
};
}  // namespace

TEST(ValuePane, FreshPaneShowsTitleStripAndQuestionMarksOnly) {
    Shown s;
    ValuePane& p = s.pane;
    EXPECT_FALSE(p.model().hasValue);
    EXPECT_EQ(p.model().displayKind, 0);
    QImage img = p.render();
    const int strip = p.titleStripHeight();
    ASSERT_GT(strip, 10);
    ASSERT_LT(strip, 40);
    // The strip is filled with the text colour, the rest with the background.
    EXPECT_EQ(img.pixelColor(2, strip / 2), p.textColour);
    EXPECT_EQ(img.pixelColor(2, strip + 3), p.backgroundColour);
    // The title is drawn in the background colour inside the strip.
    EXPECT_GT(countColour(img, QRect(0, 0, 300, strip), p.backgroundColour), 10);
    // "???" in the value area.
    EXPECT_GT(countColour(img, QRect(0, strip + 1, 300, 100 - strip - 1), p.textColour), 50);
}

TEST(ValuePane, SetValueRepaintsOnlyOnChangeOrAfterNoValue) {
    Shown s;
    ValuePane& p = s.pane;
    int before = p.paintCount();
    p.setValue(21.5);
    EXPECT_EQ(p.paintCount(), before + 1);
    p.setValue(21.5);
    EXPECT_EQ(p.paintCount(), before + 1);
    p.setNoValue();
    EXPECT_EQ(p.paintCount(), before + 2);
    p.setNoValue();  // always repaints
    EXPECT_EQ(p.paintCount(), before + 3);
    p.setValue(21.5);  // same value, but the no-value state is cleared
    EXPECT_EQ(p.paintCount(), before + 4);
    EXPECT_TRUE(p.model().hasValue);
    p.setKind(3, 3, true);
    EXPECT_EQ(p.paintCount(), before + 5);
    p.setKind(3, 3, true);
    p.setTwoDecimals(false);
    EXPECT_EQ(p.paintCount(), before + 5);
    p.setTwoDecimals(true);
    EXPECT_EQ(p.paintCount(), before + 6);
}

TEST(ValuePane, DrawsTheModelsFormattedValueAndNothingForAnUnknownKind) {
    Shown s;
    ValuePane& p = s.pane;
    const int strip = p.titleStripHeight();
    const QRect area(0, strip + 1, 300, 100 - strip - 1);
    p.setKind(3, 3, true);
    p.setValue(23.47);
    EXPECT_EQ(p.valueText(), QString::fromUtf8("23.4 °C"));
    EXPECT_GT(countColour(p.render(), area, p.textColour), 50);
    p.setTwoDecimals(true);
    EXPECT_EQ(p.valueText(), QString::fromUtf8("23.47 °C"));
    p.setKind(8, 8, true);
    p.setValue(1234.4);
    EXPECT_EQ(p.valueText(), QStringLiteral("1234 ppm"));
    // Kind outside 1..8: nothing in the value area, the last text is kept.
    p.setKind(9, 9, true);
    EXPECT_EQ(countColour(p.render(), area, p.textColour), 0);
    EXPECT_EQ(p.valueText(), QStringLiteral("1234 ppm"));
    // Without a value "???" is drawn whatever the kind.
    p.setNoValue();
    EXPECT_GT(countColour(p.render(), area, p.textColour), 50);
}

TEST(ValuePane, RaisedTwoIsDrawnAboveTheLine) {
    Shown s;
    ValuePane& p = s.pane;
    LogicalFont f;
    f.height = 40;
    p.setValueFont(f);
    p.setKind(1, 1, true);
    p.setValue(12.5);
    EXPECT_EQ(p.valueText(), QStringLiteral("12.5 W/m2"));
    QImage raised = p.render();
    p.setKind(6, 6, true);  // "12.5 m/s": the same line, nothing raised
    QImage flat = p.render();
    // The topmost text pixel of the raised drawing lies higher than the flat one.
    auto topText = [&](const QImage& img) {
        for (int y = p.titleStripHeight() + 1; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixelColor(x, y) == p.textColour) return y;
        return img.height();
    };
    EXPECT_LT(topText(raised), topText(flat));
}

TEST(ValuePane, BlinkingHidesTheValueAndStopsVisibleAgain) {
    Shown s;
    ValuePane& p = s.pane;
    p.setValue(1.0);
    p.setBlinking(true);
    p.setBlinking(true);
    EXPECT_TRUE(p.isBlinking());
    QElapsedTimer t;
    t.start();
    while (!p.model().blinkHidden && t.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_TRUE(p.model().blinkHidden);
    const qint64 firstHide = t.elapsed();
    EXPECT_GE(firstHide, 400);  // one timer of 500 ms, not two
    QImage hidden = p.render();
    const int strip = p.titleStripHeight();
    EXPECT_EQ(countColour(hidden, QRect(0, strip + 1, 300, 100 - strip - 1), p.textColour), 0);
    EXPECT_GT(countColour(hidden, QRect(0, 0, 300, strip), p.textColour), 100);  // title strip stays
    EXPECT_TRUE(p.model().blinking);

    const int before = p.paintCount();
    p.setBlinking(false);
    EXPECT_FALSE(p.isBlinking());
    EXPECT_FALSE(p.model().blinkHidden);
    EXPECT_EQ(p.paintCount(), before + 1);  // reappears at once
    p.setBlinking(false);  // not blinking, not hidden: nothing to do
    EXPECT_EQ(p.paintCount(), before + 1);
}

TEST(ValuePane, ColourChoiceRepaintsEvenOnCancelAndFontChoiceKeepsFields) {
    Shown s;
    ValuePane& p = s.pane;
    test::ScriptedPaneChooser chooser;
    chooser.answer = false;
    const QColor oldBg = p.backgroundColour;
    int before = p.paintCount();
    p.chooseBackgroundColour(chooser);
    EXPECT_EQ(p.backgroundColour, oldBg);
    EXPECT_EQ(p.paintCount(), before + 1);

    chooser.answer = true;
    chooser.colour = QColor(10, 20, 30);
    p.chooseTextColour(chooser);
    EXPECT_EQ(p.textColour, QColor(10, 20, 30));
    EXPECT_EQ(rgbFromColour(p.textColour), 10u + 256u * 20u + 65536u * 30u);

    chooser.answer = false;
    before = p.paintCount();
    const LogicalFont oldFont = p.valueLogFont;
    p.chooseValueFont(chooser);
    EXPECT_EQ(p.valueLogFont, oldFont);
    EXPECT_EQ(p.paintCount(), before);  // Cancel: nothing changes

    chooser.answer = true;
    chooser.font = QFont(QStringLiteral("DejaVu Serif"));
    chooser.font.setPixelSize(30);
    chooser.font.setItalic(true);
    p.chooseValueFont(chooser);
    EXPECT_EQ(p.valueLogFont.italic, 1);
    EXPECT_EQ(p.valueLogFont.charSet, 238);
    EXPECT_GT(p.valueLogFont.height, 25);
    EXPECT_EQ(p.paintCount(), before + 1);
}

TEST(ValuePane, LogicalFontHeightsAndColourConversion) {
    app();
    LogicalFont lf;
    lf.height = 60;  // cell height
    EXPECT_NEAR(QFontMetrics(fontFromLogical(lf)).height(), 60, 3);
    lf.height = -40;  // character height
    EXPECT_EQ(fontFromLogical(lf).pixelSize(), 40);
    lf.weight = 700;
    lf.italic = 1;
    QFont f = fontFromLogical(lf);
    EXPECT_EQ(f.weight(), QFont::Bold);
    EXPECT_TRUE(f.italic());
    EXPECT_EQ(colourFromRgb(16770250), QColor(202, 228, 255));
    EXPECT_EQ(rgbFromColour(QColor(0, 64, 128)), 8404992u);
}

TEST(ValuePane, AHiddenPaneKeepsItsTextButPaintsNothingUntilShown) {
    Shown s;
    ValuePane& p = s.pane;
    p.setKind(3, 3, true);
    p.hide();
    const int before = p.paintCount();
    p.setValue(21.5);
    p.setValue(22.5);
    p.setNoValue();
    p.setBlinking(true);
    EXPECT_EQ(p.paintCount(), before);
    EXPECT_EQ(p.valueText(), QString::fromUtf8("22.5 °C"));
    p.show();
    pumpFor(20);
    EXPECT_GT(p.paintCount(), before);
}
