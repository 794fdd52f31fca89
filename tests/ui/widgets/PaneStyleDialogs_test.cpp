// "Kolory" and "Czcionki": swatches and samples start from the panes, a click
// lets the pane choose and the control follows at once, Cancel and the close
// box put every pane back, OK keeps the choices.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

#include "base/Channel.h"
#include "base/widgets/ProgramArt.h"
#include "support/ScriptedChoosers.h"
#include "support/TestApplication.h"
#include "ui/PaneStyleRows.h"
#include "ui/widgets/ColourSwatch.h"
#include "ui/widgets/ColoursDialog.h"
#include "ui/widgets/FontsDialog.h"
#include "ui/widgets/ValuePane.h"

using namespace mr420;

namespace {
using mr420::test::app;
using mr420::test::pumpFor;

void click(QWidget* w) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    const QPointF global = w->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}

struct AppFirst {
    AppFirst() { app(); }
};

// Six shown panes with distinct colours and fonts.
struct Panes : AppFirst {
    QWidget host;
    PaneSet panes{};
    Panes() {
        for (int c = 0; c < kChannelCount; ++c) {
            auto* p = new ValuePane(nullptr, &host);
            p->setGeometry(0, c * 60, 300, 58);
            p->backgroundColour = QColor(10 * c, 20 + c, 30 + c);
            p->textColour = QColor(200 - c, 100 + c, 50 + c);
            LogicalFont f;
            f.height = 40 + c;
            p->setValueFont(f);
            panes[std::size_t(c)] = p;
        }
        host.resize(300, 360);
        host.show();
        pumpFor(20);
    }
};

// Runs `user` on the modal dialog of type D once it is open.
template <typename D>
void whenOpen(std::function<void(D*)> user) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, user] {
        if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget()); d && d->isVisible()) {
            poll->stop();
            poll->deleteLater();
            user(d);
        }
    });
    poll->start(5);
}
}  // namespace

TEST(ColoursDialog, SwatchesStartWithTheirPanesColoursUnderTheirIds) {
    Panes p;
    test::ScriptedPaneChooser chooser;
    ColoursDialog dialog(p.panes, chooser);
    for (const ColourDialogRow& r : colourDialogRows()) {
        ValuePane* pane = p.panes[std::size_t(r.channel)];
        ASSERT_NE(dialog.swatch(r.backgroundSwatchId), nullptr) << r.backgroundSwatchId;
        ASSERT_NE(dialog.swatch(r.textSwatchId), nullptr) << r.textSwatchId;
        EXPECT_EQ(dialog.swatch(r.backgroundSwatchId), dialog.backgroundSwatch(r.channel));
        EXPECT_EQ(dialog.swatch(r.backgroundSwatchId)->colour(), pane->backgroundColour) << r.caption;
        EXPECT_EQ(dialog.swatch(r.textSwatchId)->colour(), pane->textColour) << r.caption;
    }
    EXPECT_EQ(dialog.swatch(1039), nullptr);
    EXPECT_TRUE(dialog.okButton()->isDefault());
}

TEST(ColoursDialog, ASwatchClickAppliesToThePaneAtOnce) {
    Panes p;
    test::ScriptedPaneChooser chooser;
    ColoursDialog dialog(p.panes, chooser);
    dialog.show();
    pumpFor(20);
    ValuePane* dp = p.panes[kChannelDp];
    const QColor old = dp->textColour;
    const int panePaints = dp->paintCount();
    ColourSwatch* swatch = dialog.swatch(1049);  // DP text
    click(swatch);
    EXPECT_EQ(chooser.offered, old);  // preset with the current colour
    EXPECT_EQ(dp->textColour, QColor(255, 0, 0));
    EXPECT_EQ(swatch->colour(), QColor(255, 0, 0));
    EXPECT_GT(dp->paintCount(), panePaints);
    // The same colour again still repaints swatch and pane.
    const int swatchPaints = swatch->paintCount();
    const int again = dp->paintCount();
    click(swatch);
    EXPECT_GT(swatch->paintCount(), swatchPaints);
    EXPECT_GT(dp->paintCount(), again);
    // A cancelled chooser leaves the pane; the swatch is refreshed anyway.
    chooser.answer = false;
    const int beforeCancel = swatch->paintCount();
    click(swatch);
    EXPECT_EQ(dp->textColour, QColor(255, 0, 0));
    EXPECT_GT(swatch->paintCount(), beforeCancel);
    EXPECT_EQ(chooser.calls, 3);
}

TEST(ColoursDialog, CancelAndTheCloseBoxPutAllTwelveColoursBackOkKeepsThem) {
    enum class End { Cancel, CloseBox, Ok };
    for (End end : {End::Cancel, End::CloseBox, End::Ok}) {
        Panes p;
        test::ScriptedPaneChooser chooser;
        std::array<QColor, 6> backgrounds, texts;
        for (int c = 0; c < kChannelCount; ++c) {
            backgrounds[std::size_t(c)] = p.panes[std::size_t(c)]->backgroundColour;
            texts[std::size_t(c)] = p.panes[std::size_t(c)]->textColour;
        }
        whenOpen<ColoursDialog>([&](ColoursDialog* d) {
            chooser.colour = QColor(1, 2, 3);
            click(d->backgroundSwatch(kChannelTemp1));
            chooser.colour = QColor(4, 5, 6);
            click(d->textSwatch(kChannelWb));
            if (end == End::Cancel) d->cancelButton()->click();
            if (end == End::CloseBox) d->close();
            if (end == End::Ok) d->okButton()->click();
        });
        const int paintsBefore = p.panes[kChannelTemp1]->paintCount();
        const bool ok = runColoursCommand(p.panes, chooser, &p.host);
        EXPECT_EQ(ok, end == End::Ok);
        for (int c = 0; c < kChannelCount; ++c) {
            const ValuePane* pane = p.panes[std::size_t(c)];
            QColor bg = backgrounds[std::size_t(c)], fg = texts[std::size_t(c)];
            if (end == End::Ok && c == kChannelTemp1) bg = QColor(1, 2, 3);
            if (end == End::Ok && c == kChannelWb) fg = QColor(4, 5, 6);
            EXPECT_EQ(pane->backgroundColour, bg) << c << " end " << int(end);
            EXPECT_EQ(pane->textColour, fg) << c << " end " << int(end);
        }
        // The pane shows its old background again.
        if (end != End::Ok) {
            EXPECT_GT(p.panes[kChannelTemp1]->paintCount(), paintsBefore + 1);
            const QImage shown = p.panes[kChannelTemp1]->render();
            EXPECT_EQ(shown.pixelColor(shown.width() - 2, shown.height() - 2), backgrounds[kChannelTemp1]);
        }
    }
}

TEST(FontsDialog, SamplesShowTheirPanesFontsUnderTheirIds) {
    Panes p;
    test::ScriptedPaneChooser chooser;
    FontsDialog dialog(p.panes, chooser);
    for (const FontDialogRow& r : fontDialogRows()) {
        FontSample* s = dialog.sampleById(r.sampleId);
        ASSERT_NE(s, nullptr) << r.sampleId;
        EXPECT_EQ(s, dialog.sample(r.channel));
        EXPECT_EQ(s->text(), QStringLiteral("0123456789."));
        EXPECT_EQ(s->font(), p.panes[std::size_t(r.channel)]->valueFont()) << r.caption;
        EXPECT_EQ(s->alignment(), Qt::AlignCenter);
    }
}

TEST(FontsDialog, TheSampleBoxShowsTheWholeTextOfALargeFont) {
    app();
    FontSample sample;
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(10);
    sample.setSampleFont(small);
    EXPECT_EQ(sample.size(), QSize(dluX(170), dluY(30)));  // the box of the form
    QFont large = small;
    large.setPixelSize(60);
    sample.setSampleFont(large);
    const QSize text = QFontMetrics(large).size(Qt::TextSingleLine, sample.text());
    EXPECT_GE(sample.width(), text.width());
    EXPECT_GE(sample.height(), text.height());
    large.setPixelSize(2000);  // held to three times the box
    sample.setSampleFont(large);
    EXPECT_EQ(sample.size(), QSize(3 * dluX(170), 3 * dluY(30)));
}

TEST(FontsDialog, ASampleClickGivesThePaneTheChosenFont) {
    Panes p;
    test::ScriptedPaneChooser chooser;
    chooser.font = QFont(QStringLiteral("DejaVu Serif"));
    chooser.font.setPixelSize(30);
    chooser.font.setBold(true);
    chooser.font.setItalic(true);
    FontsDialog dialog(p.panes, chooser);
    dialog.show();
    pumpFor(20);
    ValuePane* dp = p.panes[kChannelDp];
    click(dialog.sampleById(1043));
    EXPECT_EQ(dp->valueFont(), chooser.font);
    EXPECT_EQ(dialog.sample(kChannelDp)->font(), chooser.font);
    EXPECT_EQ(dp->valueLogFont.italic, 1);
    EXPECT_EQ(dp->valueLogFont.weight, int(QFont::Bold));
    // Cancelling the chooser changes nothing.
    chooser.answer = false;
    const LogicalFont kept = dp->valueLogFont;
    click(dialog.sampleById(1043));
    EXPECT_EQ(dp->valueLogFont, kept);
    EXPECT_EQ(chooser.calls, 2);
}

TEST(FontsDialog, CancelAndTheCloseBoxPutAllSixFontsBackOkKeepsThem) {
    enum class End { Cancel, CloseBox, Ok };
    for (End end : {End::Cancel, End::CloseBox, End::Ok}) {
        Panes p;
        test::ScriptedPaneChooser chooser;
        chooser.font = QFont(QStringLiteral("DejaVu Sans Mono"));
        chooser.font.setPixelSize(25);
        chooser.font.setUnderline(true);
        std::array<LogicalFont, 6> before;
        for (int c = 0; c < kChannelCount; ++c) before[std::size_t(c)] = p.panes[std::size_t(c)]->valueLogFont;
        whenOpen<FontsDialog>([&](FontsDialog* d) {
            click(d->sample(kChannelDp));
            click(d->sample(kChannelTemp2));
            if (end == End::Cancel) d->cancelButton()->click();
            if (end == End::CloseBox) d->close();
            if (end == End::Ok) d->okButton()->click();
        });
        EXPECT_EQ(runFontsCommand(p.panes, chooser, &p.host), end == End::Ok);
        for (int c = 0; c < kChannelCount; ++c) {
            const ValuePane* pane = p.panes[std::size_t(c)];
            const bool changed = end == End::Ok && (c == kChannelDp || c == kChannelTemp2);
            if (changed) {
                EXPECT_EQ(pane->valueFont(), chooser.font) << c;
                EXPECT_EQ(pane->valueLogFont.underline, 1) << c;
            } else {
                EXPECT_EQ(pane->valueLogFont, before[std::size_t(c)]) << c << " end " << int(end);
                EXPECT_EQ(pane->valueFont(), fontFromLogical(before[std::size_t(c)])) << c << " end " << int(end);
            }
        }
    }
}
