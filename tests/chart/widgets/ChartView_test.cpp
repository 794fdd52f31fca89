#include <gtest/gtest.h>

#include <QAbstractSeries>
#include <QChart>
#include <QChartView>
#include <QLegend>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLegendMarker>
#include <QStandardPaths>
#include <QPushButton>

#include "chart/widgets/ChartFeature.h"
#include "chart/widgets/ChartView.h"
#include "recording/widgets/MemoryDialog.h"
#include "recording/widgets/MemoryFeature.h"
#include "ui/MenuTable.h"
#include "support/WindowRig.h"
#include <QAction>
#include "support/TestApplication.h"
#include "support/TestSupport.h"

namespace mr420 {
namespace {

constexpr std::int64_t kT0 = 1'700'000'000'000;
constexpr std::int64_t kMinute = 60'000;

ChartData sample() {
    std::vector<ChartRow> rows;
    for (int i = 0; i < 10; ++i) {
        ChartRow r;
        r.time = kT0 + i * kMinute;
        r.values[kChannelTemp1] = i == 4 ? kNoReading : 20.0 + i;   // one gap: two runs
        r.values[kChannelRh] = 40.0 + i;
        r.values[kChannelPressure] = 1013.0;
        rows.push_back(r);
    }
    ChartData d = buildChart(rows);
    d.title = "a.csv";
    return d;
}

// The application exists before the fixture's widgets.
struct WithApplication {
    WithApplication() {
        QStandardPaths::setTestModeEnabled(true);   // window places go to a test folder
        test::app();
    }
};

class ChartViewTest : public ::testing::Test, private WithApplication {
protected:
    ChartViewTest() {
        view.resize(900, 500);
        view.setData({sample()});
        view.show();
        test::pumpFor(20);
    }
    int visibleLines(int) const {
        int n = 0;
        for (QAbstractSeries* s : view.chart()->series()) n += s->isVisible() ? 1 : 0;
        return n;
    }
    ChartView view;
};

TEST(ChartLineColours, PaneColoursUnlessTwoCurvesWouldLookAlike) {
    // The default panes are shades of one blue: every curve after the first
    // needs a colour of its own, and no two curves are alike.
    const auto defaults = lineColours(defaultChartColours());
    EXPECT_EQ(defaults[0], QColor(0, 64, 128));   // TEMP1's text colour
    for (std::size_t a = 0; a < defaults.size(); ++a)
        for (std::size_t b = a + 1; b < defaults.size(); ++b) EXPECT_NE(defaults[a], defaults[b]) << a << " " << b;

    // Colours the user made distinct are kept, the darker of each pane's two.
    ChartColours chosen = defaultChartColours();
    const unsigned text[] = {0x000080, 0x008000, 0x800000, 0x808000, 0x800080, 0x008080};   // BGR as the panes keep them
    for (std::size_t c = 0; c < chosen.size(); ++c) chosen[c] = chartColours(text[c], 0xFFFFFF);
    const auto kept = lineColours(chosen);
    for (std::size_t c = 0; c < kept.size(); ++c) EXPECT_EQ(kept[c], lineColour(chosen[c])) << c;
}

TEST_F(ChartViewTest, AGapSplitsTheLineAndEachUnitHasAnAxis) {
    // temperature 1 in two runs, humidity and pressure in one each; of the
    // three units two have an axis, °C left and % right.
    EXPECT_EQ(view.lineCount(), 4);
    int axes = 0;
    for (QAbstractAxis* a : view.chart()->axes(Qt::Vertical)) axes += a->isVisible() ? 1 : 0;
    EXPECT_EQ(axes, 2);
    EXPECT_EQ(view.axisUnit(0), int(ChartUnit::Celsius));
    EXPECT_EQ(view.axisUnit(1), int(ChartUnit::Percent));
    EXPECT_EQ(view.rangeStart(), kT0);
    EXPECT_EQ(view.rangeEnd(), kT0 + 9 * kMinute);
    EXPECT_FALSE(view.channelBox(kChannelTemp2)->isEnabled());
    EXPECT_TRUE(view.channelBox(kChannelTemp1)->isEnabled());
}

TEST_F(ChartViewTest, ACheckBoxHidesItsChannel) {
    view.channelBox(kChannelTemp1)->setChecked(false);
    EXPECT_EQ(visibleLines(0), 1);
    EXPECT_FALSE(view.channelShown(kChannelTemp1));
    view.channelBox(kChannelTemp1)->setChecked(true);
    EXPECT_EQ(visibleLines(0), 3);   // pressure waits for an axis
}

TEST_F(ChartViewTest, TheUserPicksTheUnitOfEachSideAndTheOthersWait) {
    view.setAxisUnits(int(ChartUnit::Hectopascal), int(ChartUnit::Celsius));
    EXPECT_EQ(visibleLines(0), 3);   // pressure and temperature 1's two runs
    EXPECT_FALSE(view.cursorText().contains(QStringLiteral("%")));
    QComboBox* right = view.axisChoice(1);
    emit right->activated(right->findData(int(ChartUnit::Hectopascal)));   // the left unit: the sides change places
    EXPECT_EQ(view.axisUnit(0), int(ChartUnit::Celsius));
    EXPECT_EQ(view.axisUnit(1), int(ChartUnit::Hectopascal));
    view.setAxisUnits(int(ChartUnit::Ppm), int(ChartUnit::Ppm));   // no vapour in the data
    EXPECT_EQ(view.axisUnit(0), -1);
    EXPECT_EQ(visibleLines(0), 0);
    view.channelBox(kChannelRh)->setChecked(false);
    view.channelBox(kChannelRh)->setChecked(true);   // a channel without an axis takes a free side
    EXPECT_EQ(view.axisUnit(0), int(ChartUnit::Percent));
}

TEST_F(ChartViewTest, TheLegendNamesEveryCurveAndAClickHidesIt) {
    EXPECT_EQ(view.legendNames(), QStringList({view.curveName(0, kChannelTemp1), view.curveName(0, kChannelRh)}));
    QLegendMarker* temp1 = view.chart()->legend()->markers().front();
    emit temp1->clicked();
    EXPECT_TRUE(view.curveHidden(0, kChannelTemp1));
    EXPECT_FALSE(view.cursorText().contains(QStringLiteral("°C")));
    emit temp1->clicked();
    EXPECT_FALSE(view.curveHidden(0, kChannelTemp1));
}

TEST_F(ChartViewTest, ThresholdLinesAreDashedAndSwitchable) {
    EXPECT_FALSE(view.thresholdBox()->isVisibleTo(&view));
    view.setThresholds({{kChannelTemp1, 35.0}, {kChannelRh, 60.0}, {kChannelPressure, 990.0}});
    EXPECT_TRUE(view.thresholdBox()->isVisibleTo(&view));
    EXPECT_EQ(view.thresholdLineCount(), 2);   // pressure has no axis
    EXPECT_GE(view.chart()->axes(Qt::Vertical).front()->property("max").toDouble(), 35.0);
    view.thresholdBox()->setChecked(false);
    EXPECT_EQ(view.thresholdLineCount(), 0);
}

TEST_F(ChartViewTest, TheTimeAxisFollowsTheZoomWithRoundTicks) {
    const QStringList whole = view.timeLabels();
    ASSERT_GE(whole.size(), 2);
    view.zoomTime(0.1, kT0 + 4 * kMinute);
    EXPECT_NE(view.timeLabels(), whole);
    EXPECT_GE(view.timeLabels().size(), 2);
}

TEST_F(ChartViewTest, TheCursorReadOutNeitherWidensNorMovesTheWindow) {
    ChartWindow window(QStringLiteral("t"));
    window.view()->setData({sample(), sample()});
    window.show();
    test::pumpFor(20);
    const QSize before = window.size();
    const QRect plot = window.view()->plot()->geometry();
    window.view()->setCursorTime(kT0 + kMinute);
    test::pumpFor(20);
    EXPECT_EQ(window.size(), before);
    EXPECT_EQ(window.view()->plot()->geometry(), plot);
}

TEST(ChartWindowPlace, InsideTheAvailableAreaAndWhereItWasWhenThatFits) {
    const QRect screen(0, 30, 1280, 690);
    const QRect kept(100, 100, 900, 500), outside(800, 400, 900, 500);
    const QRect small(0, 0, 800, 500);
    EXPECT_EQ(ChartWindow::placeIn(screen, kept, {400, 300}), kept);
    EXPECT_TRUE(screen.contains(ChartWindow::placeIn(screen, outside, {400, 300})));
    EXPECT_TRUE(screen.contains(ChartWindow::placeIn(screen, {}, {400, 300})));
    EXPECT_TRUE(small.contains(ChartWindow::placeIn(small, {}, {400, 300})));
}

TEST_F(ChartViewTest, ZoomPanAndResetMoveTheTimeRange) {
    view.zoomTime(0.5, kT0 + 4 * kMinute);
    EXPECT_TRUE(view.zoomed());
    EXPECT_EQ(view.rangeStart(), kT0 + 2 * kMinute);
    EXPECT_EQ(view.rangeEnd(), kT0 + 4 * kMinute + 150'000);
    view.panTime(0.5);
    EXPECT_GT(view.rangeStart(), kT0 + 2 * kMinute);
    // New data keeps a zoomed range.
    const qint64 start = view.rangeStart();
    view.setData({sample()});
    EXPECT_EQ(view.rangeStart(), start);
    view.resetZoom();
    EXPECT_FALSE(view.zoomed());
    EXPECT_EQ(view.rangeStart(), kT0);
}

TEST_F(ChartViewTest, TheCursorNamesTheTimeAndEachValue) {
    view.setCursorTime(kT0 + 2 * kMinute + 30'000);
    const QString text = view.cursorText();
    EXPECT_TRUE(text.startsWith(QDateTime::fromMSecsSinceEpoch(kT0 + 2 * kMinute + 30'000)
                                    .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("22.00 °C"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("42.0 %"))) << text.toStdString();
    view.setCursorTime(kT0 + 4 * kMinute + 1);   // in the gap of temperature 1
    EXPECT_TRUE(view.cursorText().contains(QStringLiteral("---")));
}

TEST_F(ChartViewTest, ExportsPngAndSvgWithTheLegend) {
    const QString dir = QString::fromStdString(test::makeTempDir("chartexport"));
    ASSERT_TRUE(view.exportPng(dir + "/c.png"));
    ASSERT_TRUE(view.exportSvg(dir + "/c.svg"));
    QFile png(dir + "/c.png"), svg(dir + "/c.svg");
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    EXPECT_TRUE(png.read(8).startsWith("\x89PNG"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray svgText = svg.readAll();
    EXPECT_TRUE(svgText.contains("<svg"));
    // The legend's names are in the picture: its strip differs from the same
    // chart without a legend, and the SVG holds more text.
    const QRectF strip = view.chart()->legend()->geometry();
    ASSERT_GT(strip.height(), 5);
    const QImage with(dir + "/c.png");
    view.chart()->legend()->setVisible(false);
    test::pumpFor(20);
    ASSERT_TRUE(view.exportPng(dir + "/bare.png"));
    ASSERT_TRUE(view.exportSvg(dir + "/bare.svg"));
    const QImage bare(dir + "/bare.png");
    ASSERT_EQ(with.size(), bare.size());
    const QRect r = strip.toAlignedRect() & with.rect();
    EXPECT_NE(with.copy(r), bare.copy(r));
    EXPECT_GT(svgText.size(), QFileInfo(dir + "/bare.svg").size());
}

TEST_F(ChartViewTest, SeveralFilesShareTheTimeAxis) {
    ChartData later = sample();
    for (auto& s : later.series)
        for (ChartPoint& p : s) p.time += 60 * kMinute;
    later.title = "b.csv";
    view.setData({sample(), later});
    EXPECT_EQ(view.lineCount(), 8);
    EXPECT_EQ(view.rangeStart(), kT0);
    EXPECT_EQ(view.rangeEnd(), kT0 + 69 * kMinute);
    EXPECT_TRUE(view.chart()->legend()->isVisible());
}

TEST(ChartFeatureTest, EveryCycleFeedsTheBufferAndTheWindowFollows) {
    test::app();
    QWidget owner;
    ChartFeature feature([](int c) { return chartColours(channelInfo(c).defaultText, 0xFFFFFF); }, &owner);
    std::int64_t now = kT0;
    feature.setClock([&now] { return now; });
    LiveReadings panes{};
    panes[kChannelTemp1] = {true, true, false, 21.5, 3, false};
    feature.onCycle(true, panes);
    now += 200;
    feature.onCycle(false, panes);
    EXPECT_EQ(feature.buffer().size(), 2u);
    EXPECT_EQ(feature.liveWindow(), nullptr);   // fed without a window

    feature.openLive();
    ASSERT_NE(feature.liveWindow(), nullptr);
    EXPECT_EQ(feature.liveWindow()->view()->data().size(), 1u);
    EXPECT_EQ(feature.liveWindow()->view()->data()[0].series[kChannelTemp1].size(), 2u);
    now += 200;
    feature.onCycle(true, panes);
    feature.refreshLive();
    EXPECT_EQ(feature.liveWindow()->view()->data()[0].series[kChannelTemp1].size(), 3u);
    // The line takes the darker of the pane's colours.
    EXPECT_EQ(feature.colours()[kChannelTemp1].text, QColor(0, 64, 128));
}

TEST(ChartFeatureTest, ADayOnScreenRedrawsWhenTheReadingsMoveOnByAPixelColumn) {
    test::app();
    QWidget owner;
    ChartFeature feature({}, &owner);
    std::int64_t now = kT0;
    feature.setClock([&now] { return now; });
    LiveReadings panes{};
    panes[kChannelRh] = {true, true, false, 45.0, 1, false};
    for (int second = 0; second < 24 * 3600; ++second, now += 1000) feature.onCycle(true, panes);
    feature.openLive();
    ChartView& view = *feature.liveWindow()->view();
    view.resize(1000, 600);
    const std::int64_t drawnEnd = view.rangeEnd();

    // A second later the day has not moved by a column (86 s at this width).
    feature.onCycle(true, panes);
    now += 1000;
    feature.refreshLive();
    EXPECT_EQ(view.rangeEnd(), drawnEnd);
    // Two minutes later it has.
    now += 120'000;
    feature.onCycle(true, panes);
    feature.refreshLive();
    EXPECT_GT(view.rangeEnd(), drawnEnd);
}

TEST(ChartInTheWindow, EveryPollCycleFeedsTheLiveChartAndTheMemoryDialogHasAChartButton) {
    test::WindowRig rig("chartwindow", "mr411-baro");
    ASSERT_TRUE(rig.connected);
    ChartFeature& chart = rig.window->chart();
    const std::size_t before = chart.buffer().size();
    EXPECT_GT(before, 0u);
    EXPECT_TRUE(test::pumpUntil([&] { return chart.buffer().size() > before + 2; }, 10000));
    EXPECT_EQ(chart.liveWindow(), nullptr);
    EXPECT_TRUE(rig.window->memory().dialog().chartButton()->isVisibleTo(&rig.window->memory().dialog()));

    QAction* entry = rig.window->action(menu_id::kChart);
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(entry->isEnabled());
    entry->trigger();
    ASSERT_NE(chart.liveWindow(), nullptr);
    EXPECT_TRUE(chart.liveWindow()->isVisible());
    EXPECT_FALSE(chart.liveWindow()->isModal());
    // The panes show no values until the settings are read; a cycle with a
    // value reaches the open window by its own timer.
    LiveReadings panes{};
    panes[kChannelTemp1] = {true, true, false, 21.5, 3, false};
    chart.onCycle(true, panes);
    EXPECT_TRUE(test::pumpUntil([&] { return chart.liveWindow()->view()->data()[0].hasChannel(kChannelTemp1); }, 5000));

    std::vector<MemoryRecord> records(3);
    for (int i = 0; i < 3; ++i) {
        records[std::size_t(i)].time = {2007, 3, 14, 10, i, 0};
        records[std::size_t(i)].temperature1Present = true;
        records[std::size_t(i)].temperature1 = 20 + i;
    }
    ChartWindow* w = chart.openMemoryChart(records, &rig.window->memory().dialog());
    EXPECT_EQ(w->view()->data()[0].valueCount(), 3u);
    EXPECT_EQ(w->parentWidget(), &rig.window->memory().dialog());
}

}  // namespace
}  // namespace mr420
