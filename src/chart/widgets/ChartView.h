#pragma once
// A chart of the six channels over time: the time axis in local time with
// ticks at round times, at most two value axes (left and right, one unit
// each, as the user picks), check boxes grouped by unit, a legend naming
// every curve (click an entry to hide or show it), zoom with the mouse wheel
// and a rubber band, panning, a reset to the whole range, a cursor whose
// read-out has a fixed place above the plot, threshold lines, export to PNG
// and SVG with the legend, and printing. Several files share one time axis;
// each gets its own line style.

#include <QColor>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "chart/ChartData.h"
#include "chart/ChartThresholds.h"

class QCheckBox;
class QComboBox;
class QTimer;
class QLabel;
class QPushButton;
class QGraphicsLineItem;
class QChart;
class QChartView;
class QCategoryAxis;
class QValueAxis;
class QAbstractSeries;

namespace mr420 {

// A pane's colours; a line takes the one that stands out on white.
struct ChannelColours {
    QColor text;
    QColor background;
};
using ChartColours = std::array<ChannelColours, kChannelCount>;
ChartColours defaultChartColours();
// From the settings' form: red + 256 green + 65536 blue.
ChannelColours chartColours(unsigned textRgb, unsigned backgroundRgb);
QColor lineColour(const ChannelColours& colours);
// The six curves' colours: each channel's pane colour (the darker of its
// two), unless it is hard to tell from a channel before it (the default
// panes are all shades of one blue); that channel then takes a colour of a
// fixed palette of six that are easy to tell apart.
std::array<QColor, kChannelCount> lineColours(const ChartColours& colours);

class ChartPlot;

class ChartView : public QWidget {
    Q_OBJECT
public:
    explicit ChartView(QWidget* parent = nullptr);
    ~ChartView() override;

    void setColours(const ChartColours& colours);
    // Draws the data. Unless the user zoomed or panned, the axes cover all of
    // it; a zoomed view keeps its ranges (a live chart then stops following).
    void setData(std::vector<ChartData> files);
    // Reads a span of a reduced file again, in full or reduced to `columns`.
    using SpanReader = std::function<ChartData(std::size_t file, qint64 from, qint64 to, int columns)>;
    void setSpanReader(SpanReader reader) { spanReader_ = std::move(reader); }
    const std::vector<ChartData>& data() const { return files_; }

    bool zoomed() const { return zoomed_; }
    // Draws at once what a zoom or pan would draw once the user pauses.
    void redrawNow() { rebuild(); }
    void resetZoom();
    // Narrows (factor < 1) or widens the time range around a time.
    void zoomTime(double factor, qint64 centre);
    // Moves the time range by a share of its width (negative: earlier).
    void panTime(double share);
    qint64 rangeStart() const;
    qint64 rangeEnd() const;

    void setChannelShown(int channel, bool shown);
    bool channelShown(int channel) const;
    QCheckBox* channelBox(int channel) const { return boxes_[static_cast<std::size_t>(channel)]; }

    // The curve of a channel of a file, as its legend entry hides and shows it.
    void setCurveHidden(std::size_t file, int channel, bool hidden);
    bool curveHidden(std::size_t file, int channel) const;
    // The legend's name of a curve: the channel, after the file's name when
    // several files are drawn.
    QString curveName(std::size_t file, int channel) const;
    QStringList legendNames() const;   // the entries the legend shows, in order

    // The units on the left and right axis; -1: none on that side. A unit
    // without data is refused.
    void setAxisUnits(int left, int right);
    int axisUnit(int side) const { return sideUnit_[static_cast<std::size_t>(side)]; }
    QComboBox* axisChoice(int side) const { return sideBoxes_[static_cast<std::size_t>(side)]; }

    // Threshold lines; their check box shows while there are any.
    void setThresholds(std::vector<ChartThreshold> thresholds);
    void setThresholdsShown(bool shown);
    bool thresholdsShown() const { return thresholdsShown_; }
    int thresholdLineCount() const;   // drawn and visible
    QCheckBox* thresholdBox() const { return thresholdBox_; }

    // The labels of the time axis as drawn, in order, and the date they leave out.
    QStringList timeLabels() const;
    QString timeOrigin() const;

    // The cursor at a time: the text names the time and the value of each
    // shown channel there (the last point at or before it, none in a gap).
    void setCursorTime(qint64 msecs);
    QString cursorText() const;

    bool exportPng(const QString& path);
    bool exportSvg(const QString& path);
    void print();

    QChart* chart() const;
    QChartView* plot() const;
    int lineCount() const;   // drawn series, for tests and the benchmark

private:
    friend class ChartPlot;
    // ChartDrawing.cpp: the series, thresholds and exports.
    void rebuild();
    // The whole time range of the data.
    std::pair<qint64, qint64> fullRange() const;
    void fitRanges();
    // The range changed by a zoom or pan: the points are thinned again for
    // it once the user pauses.
    void onTimeRangeChanged();
    void setZoomed(bool zoomed);
    void onHover(const QPointF& scenePos);
    void chooseAndExport(bool svg);
    // ChartAxes.cpp.
    void makeValueAxes();
    void updateTimeTicks();
    void updateValueTicks();
    void chooseDefaultSides();
    void applyVisibility();
    void drawThresholds();
    void resizeEvent(QResizeEvent* e) override;

    // The data drawn of a file: its own, or for a reduced file the span read again.
    const ChartData& detailOf(std::size_t file, int columns);

    std::vector<ChartData> files_;
    SpanReader spanReader_;
    struct Detail {
        qint64 from = 0, to = 0;
        ChartData data;
    };
    std::vector<std::optional<Detail>> details_;
    ChartColours colours_;
    std::array<QColor, kChannelCount> lineColours_;
    std::array<bool, kChannelCount> shown_{true, true, true, true, true, true};
    std::array<QCheckBox*, kChannelCount> boxes_{};
    // The runs of one channel of one file; the first carries the legend entry.
    struct Curve {
        std::size_t file = 0;
        int channel = 0;
        std::vector<QAbstractSeries*> runs;
    };
    std::vector<Curve> curves_;
    std::vector<std::array<bool, kChannelCount>> hidden_;   // per file, by the legend
    std::array<QValueAxis*, kChartUnitCount> valueAxes_{};
    std::array<int, 2> sideUnit_{-1, -1};
    std::array<QComboBox*, 2> sideBoxes_{};
    std::vector<ChartThreshold> thresholds_;
    std::vector<QAbstractSeries*> thresholdLines_;
    bool thresholdsShown_ = true;
    QCheckBox* thresholdBox_ = nullptr;
    QChart* chart_ = nullptr;
    ChartPlot* plot_ = nullptr;
    QCategoryAxis* timeAxis_ = nullptr;
    QString timeOrigin_;
    bool ticking_ = false;
    QGraphicsLineItem* cursorLine_ = nullptr;
    QLabel* cursorLabel_ = nullptr;
    QPushButton* resetButton_ = nullptr;
    qint64 cursorTime_ = 0;
    bool hasCursor_ = false;
    bool zoomed_ = false;
    bool rebuilding_ = false;
    // The time range and width the series were thinned for.
    qint64 drawnFrom_ = 0, drawnTo_ = 0;
    QTimer* redraw_ = nullptr;
};

}  // namespace mr420
