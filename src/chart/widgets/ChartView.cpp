// ChartView's controls and state: the channels' check boxes and the axis
// choices, the data and colours, what is shown and hidden (legend
// included), and the cursor's read-out. The drawing, the axes and the
// mouse each have a file of their own (ChartDrawing, ChartAxes, ChartPlot).

#include "chart/widgets/ChartView.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCategoryAxis>
#include <QComboBox>
#include <QDateTime>
#include <QGroupBox>
#include <QLegend>
#include <QGraphicsLineItem>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

#include "base/StringTable.h"
#include "chart/widgets/ChartLabels.h"
#include "chart/widgets/ChartPlot.h"

namespace mr420 {

namespace {

QString qs(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QColor fromRgb(unsigned v) { return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF)); }

double luminance(const QColor& c) { return 0.299 * c.redF() + 0.587 * c.greenF() + 0.114 * c.blueF(); }

QString valueText(int channel, double v) {
    const int decimals = channel == kChannelWb ? 0 : channel == kChannelTemp1 || channel == kChannelTemp2 ? 2 : 1;
    return QString::number(v, 'f', decimals) + QLatin1Char(' ') + QString::fromUtf8(unitText(unitOf(channel)));
}

// The value at or before a time: none before the first point or in a gap.
std::optional<double> valueAt(const std::vector<ChartPoint>& points, std::int64_t t) {
    auto it = std::upper_bound(points.begin(), points.end(), t,
                               [](std::int64_t x, const ChartPoint& p) { return x < p.time; });
    if (it == points.begin()) return std::nullopt;
    --it;
    if (it->gap()) return std::nullopt;
    return it->value;
}

}  // namespace

ChartColours defaultChartColours() {
    ChartColours c;
    for (int i = 0; i < kChannelCount; ++i)
        c[static_cast<std::size_t>(i)] = {fromRgb(channelInfo(i).defaultText), fromRgb(channelInfo(i).defaultBackground)};
    return c;
}

ChannelColours chartColours(unsigned textRgb, unsigned backgroundRgb) { return {fromRgb(textRgb), fromRgb(backgroundRgb)}; }

QColor lineColour(const ChannelColours& colours) {
    // Against the white plot the darker of the two colours shows.
    return luminance(colours.text) <= luminance(colours.background) ? colours.text : colours.background;
}

std::array<QColor, kChannelCount> lineColours(const ChartColours& colours) {
    static const std::array<QColor, kChannelCount> kDistinct = {
        QColor(31, 78, 156), QColor(178, 24, 43), QColor(27, 120, 55),
        QColor(118, 42, 131), QColor(224, 130, 20), QColor(1, 102, 94)};
    auto distance = [](const QColor& a, const QColor& b) {
        const int r = a.red() - b.red(), g = a.green() - b.green(), bl = a.blue() - b.blue();
        return r * r + g * g + bl * bl;
    };
    constexpr int kTooClose = 90 * 90;
    std::array<QColor, kChannelCount> out;
    for (std::size_t c = 0; c < out.size(); ++c) {
        QColor chosen = lineColour(colours[c]);
        for (std::size_t before = 0; before < c; ++before)
            if (distance(chosen, out[before]) < kTooClose) chosen = kDistinct[c];
        out[c] = chosen;
    }
    return out;
}

ChartView::ChartView(QWidget* parent) : QWidget(parent), colours_(defaultChartColours()) {
    chart_ = new QChart;
    chart_->legend()->setVisible(false);
    chart_->legend()->setAlignment(Qt::AlignBottom);
    chart_->legend()->setShowToolTips(true);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    timeAxis_ = new QCategoryAxis;
    timeAxis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    redraw_ = new QTimer(this);
    redraw_->setSingleShot(true);
    redraw_->setInterval(80);
    connect(redraw_, &QTimer::timeout, this, [this] { rebuild(); });
    connect(timeAxis_, &QValueAxis::rangeChanged, this, [this] {
        updateTimeTicks();
        onTimeRangeChanged();
    });
    plot_ = new ChartPlot(chart_, *this);
    connect(chart_, &QChart::plotAreaChanged, this, [this] {
        updateTimeTicks();
        updateValueTicks();
    });

    cursorLine_ = new QGraphicsLineItem;
    cursorLine_->setPen(QPen(QColor(120, 120, 120), 1, Qt::DashLine));
    cursorLine_->setZValue(100);
    cursorLine_->setVisible(false);
    chart_->scene()->addItem(cursorLine_);

    // The channels' check boxes, grouped by unit; the two axes' units.
    auto* boxes = new QVBoxLayout;
    for (int u = 0; u < kChartUnitCount; ++u) {
        auto* group = new QGroupBox(unitName(u), this);
        auto* inGroup = new QVBoxLayout(group);
        inGroup->setContentsMargins(6, 2, 6, 2);
        for (int c = 0; c < kChannelCount; ++c) {
            if (static_cast<int>(unitOf(c)) != u) continue;
            auto* box = new QCheckBox(channelTitle(c), group);
            box->setChecked(true);
            boxes_[static_cast<std::size_t>(c)] = box;
            connect(box, &QCheckBox::toggled, this, [this, c](bool on) { setChannelShown(c, on); });
            inGroup->addWidget(box);
        }
        boxes->addWidget(group);
    }
    for (int side = 0; side < 2; ++side) {
        auto* choice = new QComboBox(this);
        sideBoxes_[static_cast<std::size_t>(side)] = choice;
        boxes->addWidget(new QLabel(qs(str(side == 0 ? string_id::kChartLeftAxis : string_id::kChartRightAxis)), this));
        boxes->addWidget(choice);
        connect(choice, &QComboBox::activated, this, [this, side, choice](int index) {
            // The unit of the other side changes places with this side's.
            std::array<int, 2> units = sideUnit_;
            const int picked = choice->itemData(index).toInt();
            if (units[static_cast<std::size_t>(1 - side)] == picked) units[static_cast<std::size_t>(1 - side)] = units[static_cast<std::size_t>(side)];
            units[static_cast<std::size_t>(side)] = picked;
            setAxisUnits(units[0], units[1]);
        });
    }
    thresholdBox_ = new QCheckBox(qs(str(string_id::kChartThresholds)), this);
    thresholdBox_->setChecked(true);
    thresholdBox_->setVisible(false);
    connect(thresholdBox_, &QCheckBox::toggled, this, &ChartView::setThresholdsShown);
    boxes->addWidget(thresholdBox_);
    boxes->addStretch(1);
    resetButton_ = new QPushButton(tr("Cały zakres"), this);
    auto* png = new QPushButton(tr("Zapisz PNG..."), this);
    auto* svg = new QPushButton(tr("Zapisz SVG..."), this);
    auto* printButton = new QPushButton(tr("Drukuj..."), this);
    for (QPushButton* b : {resetButton_, png, svg, printButton}) boxes->addWidget(b);
    connect(resetButton_, &QPushButton::clicked, this, &ChartView::resetZoom);
    connect(png, &QPushButton::clicked, this, [this] { chooseAndExport(false); });
    connect(svg, &QPushButton::clicked, this, [this] { chooseAndExport(true); });
    connect(printButton, &QPushButton::clicked, this, &ChartView::print);

    // The read-out keeps its place and height whatever it says: a long text
    // is cut at the edge rather than widening the window.
    cursorLabel_ = new QLabel(this);
    cursorLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cursorLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    cursorLabel_->setFixedHeight(cursorLabel_->fontMetrics().height() + 4);

    auto* right = new QVBoxLayout;
    right->addWidget(cursorLabel_);
    right->addWidget(plot_, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(boxes);
    layout->addLayout(right, 1);
    setColours(colours_);
    resetButton_->setEnabled(false);
}

ChartView::~ChartView() = default;

QChart* ChartView::chart() const { return chart_; }
QChartView* ChartView::plot() const { return plot_; }

void ChartView::setColours(const ChartColours& colours) {
    colours_ = colours;
    lineColours_ = lineColours(colours);
    for (int c = 0; c < kChannelCount; ++c) {
        const auto ci = static_cast<std::size_t>(c);
        QPalette p = boxes_[ci]->palette();
        p.setColor(QPalette::WindowText, lineColours_[ci]);
        boxes_[ci]->setPalette(p);
    }
    if (!files_.empty()) rebuild();
}

void ChartView::setData(std::vector<ChartData> files) {
    const bool sameFiles = files.size() == files_.size();
    files_ = std::move(files);
    details_.assign(files_.size(), std::nullopt);
    if (!sameFiles) hidden_.assign(files_.size(), {});
    rebuild();
}

int ChartView::lineCount() const {
    int n = 0;
    for (const Curve& c : curves_) n += static_cast<int>(c.runs.size());
    return n;
}

QString ChartView::curveName(std::size_t file, int channel) const {
    const QString title = channelTitle(channel);
    if (files_.size() < 2 || file >= files_.size()) return title;
    return qs(files_[file].title) + QStringLiteral(": ") + title;
}

void ChartView::applyVisibility() {
    // An axis shows on its side; the curves of a unit without a side wait
    // until it gets one.
    for (int u = 0; u < kChartUnitCount; ++u) {
        QValueAxis* axis = valueAxes_[static_cast<std::size_t>(u)];
        if (!axis) continue;
        const bool left = sideUnit_[0] == u, right = sideUnit_[1] == u;
        const Qt::Alignment want = right ? Qt::AlignRight : Qt::AlignLeft;
        if (axis->alignment() != want) {
            QList<QAbstractSeries*> attached;
            for (QAbstractSeries* s : chart_->series())
                if (s->attachedAxes().contains(axis)) attached.append(s);
            chart_->removeAxis(axis);
            chart_->addAxis(axis, want);
            for (QAbstractSeries* s : attached) s->attachAxis(axis);
        }
        axis->setVisible(left || right);
        axis->setGridLineVisible(left);
    }
    auto onAxis = [this](int channel) {
        const int u = static_cast<int>(unitOf(channel));
        return u == sideUnit_[0] || u == sideUnit_[1];
    };
    for (const Curve& curve : curves_) {
        const bool visible = shown_[static_cast<std::size_t>(curve.channel)] && onAxis(curve.channel);
        const bool hidden = curveHidden(curve.file, curve.channel);
        for (std::size_t r = 0; r < curve.runs.size(); ++r) {
            QAbstractSeries* s = curve.runs[r];
            s->setVisible(visible);
            s->setOpacity(hidden ? 0.0 : 1.0);
            // One legend entry per curve, dimmed while it is hidden.
            for (QLegendMarker* m : chart_->legend()->markers(s)) {
                m->setVisible(visible && r == 0);
                m->setLabelBrush(hidden ? QBrush(Qt::gray) : QBrush(Qt::black));
            }
        }
    }
    for (QAbstractSeries* s : thresholdLines_) {
        const int channel = s->property("channel").toInt();
        s->setVisible(thresholdsShown_ && shown_[static_cast<std::size_t>(channel)] && onAxis(channel));
        for (QLegendMarker* m : chart_->legend()->markers(s)) m->setVisible(false);
    }
    chart_->legend()->setVisible(!curves_.empty());
    if (hasCursor_) setCursorTime(cursorTime_);
}

QStringList ChartView::legendNames() const {
    QStringList names;
    for (QLegendMarker* m : chart_->legend()->markers())
        if (m->isVisible()) names << m->label();
    return names;
}

void ChartView::setCurveHidden(std::size_t file, int channel, bool hidden) {
    if (file >= hidden_.size() || channel < 0 || channel >= kChannelCount) return;
    hidden_[file][static_cast<std::size_t>(channel)] = hidden;
    applyVisibility();
}

bool ChartView::curveHidden(std::size_t file, int channel) const {
    return file < hidden_.size() && channel >= 0 && channel < kChannelCount && hidden_[file][static_cast<std::size_t>(channel)];
}

void ChartView::setThresholds(std::vector<ChartThreshold> thresholds) {
    const bool same = thresholds.size() == thresholds_.size() &&
                      std::equal(thresholds.begin(), thresholds.end(), thresholds_.begin(), [](const auto& a, const auto& b) {
                          return a.channel == b.channel && a.value == b.value;
                      });
    if (same) return;
    thresholds_ = std::move(thresholds);
    thresholdBox_->setVisible(!thresholds_.empty());
    if (!files_.empty()) rebuild();
}

void ChartView::setThresholdsShown(bool shown) {
    thresholdsShown_ = shown;
    if (thresholdBox_->isChecked() != shown) thresholdBox_->setChecked(shown);
    applyVisibility();
}

int ChartView::thresholdLineCount() const {
    int n = 0;
    for (QAbstractSeries* s : thresholdLines_) n += s->isVisible() ? 1 : 0;
    return n;
}

void ChartView::setChannelShown(int channel, bool shown) {
    const auto ci = static_cast<std::size_t>(channel);
    shown_[ci] = shown;
    if (boxes_[ci]->isChecked() != shown) boxes_[ci]->setChecked(shown);
    // A channel of a unit without a side takes a free side.
    const int u = static_cast<int>(unitOf(channel));
    if (shown && valueAxes_[static_cast<std::size_t>(u)] && u != sideUnit_[0] && u != sideUnit_[1]) {
        if (sideUnit_[0] < 0)
            setAxisUnits(u, sideUnit_[1]);
        else if (sideUnit_[1] < 0)
            setAxisUnits(sideUnit_[0], u);
    }
    applyVisibility();
}

bool ChartView::channelShown(int channel) const { return shown_[static_cast<std::size_t>(channel)]; }

void ChartView::setCursorTime(qint64 msecs) {
    cursorTime_ = msecs;
    hasCursor_ = true;
    QString text = QDateTime::fromMSecsSinceEpoch(msecs).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    for (std::size_t fi = 0; fi < files_.size(); ++fi) {
        if (files_.size() > 1) text += QStringLiteral("   [") + qs(files_[fi].title) + QLatin1Char(']');
        for (int c = 0; c < kChannelCount; ++c) {
            const auto ci = static_cast<std::size_t>(c);
            const int u = static_cast<int>(unitOf(c));
            if (!shown_[ci] || !files_[fi].hasChannel(c) || curveHidden(fi, c) || (u != sideUnit_[0] && u != sideUnit_[1])) continue;
            const std::optional<double> v = valueAt(files_[fi].series[ci], msecs);
            text += QStringLiteral("   ") + channelTitle(c) + QStringLiteral(": ") +
                    (v ? valueText(c, *v) : QStringLiteral("---"));
        }
    }
    cursorLabel_->setText(text);
    const QRectF area = chart_->plotArea();
    const qint64 a = rangeStart(), b = rangeEnd();
    if (b > a && msecs >= a && msecs <= b) {
        const double x = area.left() + area.width() * double(msecs - a) / double(b - a);
        cursorLine_->setLine(x, area.top(), x, area.bottom());
        cursorLine_->setVisible(true);
    } else {
        cursorLine_->setVisible(false);
    }
}

QString ChartView::cursorText() const { return cursorLabel_->text(); }

}  // namespace mr420
