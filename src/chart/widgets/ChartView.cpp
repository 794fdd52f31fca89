#include "chart/widgets/ChartView.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QDateTime>
#include <QCategoryAxis>
#include <QComboBox>
#include <QGroupBox>
#include <QLegend>
#include <QResizeEvent>
#include <QFileDialog>
#include <QGraphicsLineItem>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/StringTable.h"
#include "chart/ChartTicks.h"

namespace mr420 {

namespace {

QString qs(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QColor fromRgb(unsigned v) { return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF)); }

double luminance(const QColor& c) { return 0.299 * c.redF() + 0.587 * c.greenF() + 0.114 * c.blueF(); }

constexpr std::size_t kSmoothPointLimit = 20000;

constexpr std::array<Qt::PenStyle, 4> kFileStyles{Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine};

QString channelTitle(int channel) { return qs(str(channelInfo(channel).titleStringId)); }

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

QString unitName(int unit) { return QString::fromUtf8(unitText(static_cast<ChartUnit>(unit))); }

// Labels of a category axis must differ; a run of zero-width spaces makes
// equal texts ("12:00" on two days) distinct without changing their look.
QString distinct(const QString& label, int index) { return label + QString(index, QChar(0x200B)); }

constexpr std::int64_t kFarAway = 100LL * 365 * 24 * 3600 * 1000;   // threshold lines reach past any range

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

// The plot: wheel zooms the time axis around the mouse, the left button
// draws a rubber band, the right or middle button pans, the keys do both.
class ChartPlot : public QChartView {
public:
    ChartPlot(QChart* chart, ChartView& owner) : QChartView(chart), owner_(owner) {
        setRubberBand(QChartView::RectangleRubberBand);
        setRenderHint(QPainter::Antialiasing);
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void wheelEvent(QWheelEvent* e) override {
        const double steps = e->angleDelta().y() / 120.0;
        if (steps == 0) return;
        const qint64 t = timeAtX(e->position().x());
        owner_.zoomTime(std::pow(0.8, steps), t);
        e->accept();
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::RightButton || e->button() == Qt::MiddleButton) {
            panning_ = true;
            lastX_ = e->position().x();
            setCursor(Qt::ClosedHandCursor);
            e->accept();
            return;
        }
        QChartView::mousePressEvent(e);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (panning_) {
            const double width = chart()->plotArea().width();
            if (width > 0) owner_.panTime(-(e->position().x() - lastX_) / width);
            lastX_ = e->position().x();
            e->accept();
            return;
        }
        owner_.onHover(mapToScene(e->position().toPoint()));
        QChartView::mouseMoveEvent(e);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (panning_ && (e->button() == Qt::RightButton || e->button() == Qt::MiddleButton)) {
            panning_ = false;
            unsetCursor();
            e->accept();
            return;
        }
        const bool band = e->button() == Qt::LeftButton;
        QChartView::mouseReleaseEvent(e);
        if (band) owner_.setZoomed(true);
    }
    void keyPressEvent(QKeyEvent* e) override {
        const qint64 centre = (owner_.rangeStart() + owner_.rangeEnd()) / 2;
        switch (e->key()) {
        case Qt::Key_Left: owner_.panTime(-0.1); break;
        case Qt::Key_Right: owner_.panTime(0.1); break;
        case Qt::Key_Plus:
        case Qt::Key_Equal: owner_.zoomTime(0.8, centre); break;
        case Qt::Key_Minus: owner_.zoomTime(1.25, centre); break;
        case Qt::Key_Home:
        case Qt::Key_0: owner_.resetZoom(); break;
        default: QChartView::keyPressEvent(e); return;
        }
        e->accept();
    }

private:
    qint64 timeAtX(double x) const {
        const QRectF area = chart()->plotArea();
        const double share = area.width() > 0 ? (x - area.left()) / area.width() : 0.5;
        const qint64 a = owner_.rangeStart(), b = owner_.rangeEnd();
        return a + static_cast<qint64>(std::clamp(share, 0.0, 1.0) * double(b - a));
    }

    ChartView& owner_;
    bool panning_ = false;
    double lastX_ = 0;
};

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

void ChartView::rebuild() {
    redraw_->stop();
    rebuilding_ = true;
    const qint64 keepStart = rangeStart(), keepEnd = rangeEnd();
    // The range shown afterwards, for which the points are thinned: a plot
    // draws at most a few points per pixel column, however long the data.
    const bool keep = zoomed_ && keepEnd > keepStart;
    const auto [fullFrom, fullTo] = fullRange();
    drawnFrom_ = keep ? keepStart : fullFrom;
    drawnTo_ = keep ? keepEnd : fullTo;
    const int columns = std::max(200, plot_->viewport()->width());
    std::array<std::pair<double, double>, kChartUnitCount> keepValues{};
    for (int u = 0; u < kChartUnitCount; ++u)
        if (QValueAxis* a = valueAxes_[static_cast<std::size_t>(u)]) keepValues[static_cast<std::size_t>(u)] = {a->min(), a->max()};

    chart_->removeAllSeries();
    curves_.clear();
    thresholdLines_.clear();
    for (QValueAxis*& a : valueAxes_) {
        if (a) {
            chart_->removeAxis(a);
            delete a;
            a = nullptr;
        }
    }

    // Units in use, each with the range of its values.
    std::array<double, kChartUnitCount> lo, hi;
    lo.fill(std::numeric_limits<double>::infinity());
    hi.fill(-std::numeric_limits<double>::infinity());
    for (const ChartData& f : files_)
        for (int c = 0; c < kChannelCount; ++c)
            for (const ChartPoint& p : f.series[static_cast<std::size_t>(c)]) {
                if (p.gap()) continue;
                const auto u = static_cast<std::size_t>(unitOf(c));
                lo[u] = std::min(lo[u], p.value);
                hi[u] = std::max(hi[u], p.value);
            }
    for (const ChartThreshold& t : thresholds_) {
        const auto u = static_cast<std::size_t>(unitOf(t.channel));
        if (lo[u] <= hi[u] && thresholdsShown_) {   // a line the user wants to see stays inside
            lo[u] = std::min(lo[u], t.value);
            hi[u] = std::max(hi[u], t.value);
        }
    }
    for (int u = 0; u < kChartUnitCount; ++u) {
        const auto ui = static_cast<std::size_t>(u);
        if (!(lo[ui] <= hi[ui])) continue;
        auto* axis = new QValueAxis;
        axis->setTitleText(unitName(u));
        double a = lo[ui], b = hi[ui];
        const double margin = b - a < 1e-9 ? 1 : (b - a) * 0.05;
        const ValueTicks ticks = chooseValueTicks(a - margin, b + margin, 8);
        axis->setRange(ticks.min, ticks.max);
        axis->setTickType(QValueAxis::TicksDynamic);
        axis->setTickAnchor(0);
        valueAxes_[ui] = axis;
    }
    chooseDefaultSides();
    // Each axis goes straight to its side: moving it later lays the chart out again.
    for (int u = 0; u < kChartUnitCount; ++u)
        if (QValueAxis* axis = valueAxes_[static_cast<std::size_t>(u)]) {
            chart_->addAxis(axis, sideUnit_[1] == u ? Qt::AlignRight : Qt::AlignLeft);
            connect(axis, &QValueAxis::rangeChanged, this, [this] { updateValueTicks(); });
        }

    for (std::size_t fi = 0; fi < files_.size(); ++fi) {
        const ChartData f = thinForDrawing(detailOf(fi, columns), drawnFrom_, drawnTo_, columns);
        for (int c = 0; c < kChannelCount; ++c) {
            const auto ci = static_cast<std::size_t>(c);
            const std::vector<ChartPoint>& pts = f.series[ci];
            QPen pen(lineColours_[ci], 1.5, kFileStyles[fi % kFileStyles.size()]);
            Curve curve{fi, c, {}};
            std::size_t i = 0;
            while (i < pts.size()) {
                while (i < pts.size() && pts[i].gap()) ++i;
                std::size_t j = i;
                while (j < pts.size() && !pts[j].gap()) ++j;
                if (j == i) break;
                QList<QPointF> run;
                run.reserve(static_cast<qsizetype>(j - i));
                for (std::size_t k = i; k < j; ++k) run.append(QPointF(double(pts[k].time), pts[k].value));
                QXYSeries* s = nullptr;
                if (run.size() == 1) {
                    auto* dot = new QScatterSeries;
                    dot->setMarkerSize(5);
                    dot->setColor(pen.color());
                    dot->setBorderColor(pen.color());
                    s = dot;
                } else {
                    auto* line = new QLineSeries;
                    line->setPen(pen);
                    s = line;
                }
                s->replace(run);
                s->setName(curveName(fi, c));
                chart_->addSeries(s);
                s->attachAxis(timeAxis_);
                s->attachAxis(valueAxes_[static_cast<std::size_t>(unitOf(c))]);
                curve.runs.push_back(s);
                i = j;
            }
            if (curve.runs.empty()) continue;
            for (QLegendMarker* m : chart_->legend()->markers(curve.runs.front()))
                connect(m, &QLegendMarker::clicked, this, [this, fi, c] { setCurveHidden(fi, c, !curveHidden(fi, c)); });
            curves_.push_back(std::move(curve));
        }
    }
    drawThresholds();
    // Smooth edges cost more than the points themselves once there are
    // many: a long memory or a day of live readings draws without them.
    std::size_t points = 0;
    for (const ChartData& f : files_) points += f.valueCount();
    plot_->setRenderHint(QPainter::Antialiasing, points <= kSmoothPointLimit);
    for (int c = 0; c < kChannelCount; ++c) {
        bool any = false;
        for (const ChartData& f : files_) any |= f.hasChannel(c);
        boxes_[static_cast<std::size_t>(c)]->setEnabled(any);
    }

    if (keep) {
        timeAxis_->setRange(double(keepStart), double(keepEnd));
        for (int u = 0; u < kChartUnitCount; ++u)
            if (QValueAxis* a = valueAxes_[static_cast<std::size_t>(u)]; a && keepValues[static_cast<std::size_t>(u)].second > keepValues[static_cast<std::size_t>(u)].first)
                a->setRange(keepValues[static_cast<std::size_t>(u)].first, keepValues[static_cast<std::size_t>(u)].second);
    } else {
        fitRanges();
    }
    applyVisibility();
    updateTimeTicks();
    updateValueTicks();
    if (hasCursor_) setCursorTime(cursorTime_);
    rebuilding_ = false;
}

const ChartData& ChartView::detailOf(std::size_t file, int columns) {
    const ChartData& whole = files_[file];
    const auto [fullFrom, fullTo] = fullRange();
    const bool closer = drawnTo_ - drawnFrom_ < (fullTo - fullFrom) / 2;
    if (!whole.reduced || !spanReader_ || !closer) return whole;
    std::optional<Detail>& d = details_[file];
    // A span read before serves while the view lies inside it and is not
    // much narrower; else the view and half its width on each side are read.
    const qint64 width = drawnTo_ - drawnFrom_;
    if (!d || drawnFrom_ < d->from || drawnTo_ > d->to || (d->data.reduced && width * 4 < d->to - d->from)) {
        Detail fresh;
        fresh.from = drawnFrom_ - width / 2;
        fresh.to = drawnTo_ + width / 2;
        fresh.data = spanReader_(file, fresh.from, fresh.to, columns * 2);
        d = std::move(fresh);
    }
    return d->data;
}

void ChartView::chooseDefaultSides() {
    // The sides the user picked stay while their units have data; an empty
    // side takes the first unit of a shown channel that has none.
    std::array<int, 2> units = sideUnit_;
    for (int& u : units)
        if (u >= 0 && !valueAxes_[static_cast<std::size_t>(u)]) u = -1;
    for (int c = 0; c < kChannelCount; ++c) {
        const int u = static_cast<int>(unitOf(c));
        if (!valueAxes_[static_cast<std::size_t>(u)] || !shown_[static_cast<std::size_t>(c)] || u == units[0] || u == units[1]) continue;
        if (units[0] < 0)
            units[0] = u;
        else if (units[1] < 0)
            units[1] = u;
    }
    sideUnit_ = units;
    for (int side = 0; side < 2; ++side) {
        QComboBox* choice = sideBoxes_[static_cast<std::size_t>(side)];
        choice->clear();
        if (side == 1) choice->addItem(qs(str(string_id::kChartNoAxis)), -1);
        for (int u = 0; u < kChartUnitCount; ++u)
            if (valueAxes_[static_cast<std::size_t>(u)]) choice->addItem(unitName(u), u);
        choice->setCurrentIndex(std::max(0, choice->findData(units[static_cast<std::size_t>(side)])));
        choice->setEnabled(choice->count() > 1);
    }
}

void ChartView::setAxisUnits(int left, int right) {
    auto usable = [this](int u) { return u >= 0 && u < kChartUnitCount && valueAxes_[static_cast<std::size_t>(u)]; };
    if (!usable(left)) left = -1;
    if (!usable(right) || right == left) right = -1;
    sideUnit_ = {left, right};
    for (int side = 0; side < 2; ++side) {
        QComboBox* choice = sideBoxes_[static_cast<std::size_t>(side)];
        choice->setCurrentIndex(std::max(0, choice->findData(sideUnit_[static_cast<std::size_t>(side)])));
    }
    applyVisibility();
    updateValueTicks();
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

void ChartView::drawThresholds() {
    for (const ChartThreshold& t : thresholds_) {
        QValueAxis* axis = valueAxes_[static_cast<std::size_t>(unitOf(t.channel))];
        if (!axis) continue;
        auto* line = new QLineSeries;
        QPen pen(lineColours_[static_cast<std::size_t>(t.channel)], 1, Qt::DashLine);
        line->setPen(pen);
        const double mid = double(drawnFrom_ + drawnTo_) / 2;
        line->append(mid - double(kFarAway), t.value);
        line->append(mid + double(kFarAway), t.value);
        line->setProperty("channel", t.channel);
        chart_->addSeries(line);
        line->attachAxis(timeAxis_);
        line->attachAxis(axis);
        thresholdLines_.push_back(line);
    }
}

std::pair<qint64, qint64> ChartView::fullRange() const {
    bool any = false;
    qint64 a = 0, b = 0;
    for (const ChartData& f : files_) {
        if (f.firstTime() == 0 && f.lastTime() == 0) continue;
        a = any ? std::min<qint64>(a, f.firstTime()) : f.firstTime();
        b = any ? std::max<qint64>(b, f.lastTime()) : f.lastTime();
        any = true;
    }
    if (!any) {
        b = QDateTime::currentMSecsSinceEpoch();
        a = b - 60 * 1000;
    }
    if (b <= a) b = a + 60 * 1000;
    return {a, b};
}

void ChartView::fitRanges() {
    const auto [a, b] = fullRange();
    timeAxis_->setRange(double(a), double(b));
}

void ChartView::onTimeRangeChanged() {
    if (rebuilding_ || files_.empty()) return;
    // Thinned for a wider range, the series lack the detail of a closer
    // look; outside what was thinned, they lack the points themselves.
    const qint64 a = rangeStart(), b = rangeEnd();
    const bool narrower = (b - a) * 2 < drawnTo_ - drawnFrom_;
    const bool outside = a < drawnFrom_ || b > drawnTo_;
    if (narrower || outside) redraw_->start();
}

void ChartView::updateTimeTicks() {
    if (ticking_) return;
    ticking_ = true;
    const qint64 a = rangeStart(), b = rangeEnd();
    const QFontMetrics metrics(timeAxis_->labelsFont());
    const int width = std::max(1, static_cast<int>(chart_->plotArea().width()));
    const TimeTicks ticks = chooseTimeTicks(a, b, width, [&metrics](std::string_view label) {
        return metrics.horizontalAdvance(QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size())));
    });
    for (const QString& label : timeAxis_->categoriesLabels()) timeAxis_->remove(label);
    timeAxis_->setStartValue(double(a));
    int index = 0;
    for (const TimeTick& t : ticks.ticks) timeAxis_->append(distinct(qs(t.label), index++), double(t.time));
    timeOrigin_ = qs(ticks.origin);
    timeAxis_->setTitleText(timeOrigin_);
    ticking_ = false;
}

void ChartView::updateValueTicks() {
    const double height = std::max(40.0, chart_->plotArea().height());
    for (QValueAxis* axis : valueAxes_) {
        if (!axis) continue;
        const int most = std::max(2, static_cast<int>(height / (QFontMetrics(axis->labelsFont()).height() * 2.5)));
        const ValueTicks ticks = chooseValueTicks(axis->min(), axis->max(), most);
        axis->setTickInterval(ticks.step);
        axis->setLabelFormat(QStringLiteral("%.") + QString::number(ticks.decimals) + QStringLiteral("f"));
    }
}

QStringList ChartView::timeLabels() const {
    QStringList labels;
    for (QString label : timeAxis_->categoriesLabels()) labels << label.remove(QChar(0x200B));
    return labels;
}

QString ChartView::timeOrigin() const { return timeOrigin_; }

void ChartView::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    updateTimeTicks();
}

qint64 ChartView::rangeStart() const { return static_cast<qint64>(std::llround(timeAxis_->min())); }
qint64 ChartView::rangeEnd() const { return static_cast<qint64>(std::llround(timeAxis_->max())); }

void ChartView::setZoomed(bool zoomed) {
    if (zoomed_ == zoomed) return;
    zoomed_ = zoomed;
    resetButton_->setEnabled(zoomed);
}

void ChartView::resetZoom() {
    setZoomed(false);
    rebuild();
}

void ChartView::zoomTime(double factor, qint64 centre) {
    const qint64 a = rangeStart(), b = rangeEnd();
    qint64 na = centre - static_cast<qint64>(double(centre - a) * factor);
    qint64 nb = centre + static_cast<qint64>(double(b - centre) * factor);
    if (nb - na < 2000) return;   // two seconds at the closest
    timeAxis_->setRange(double(na), double(nb));
    setZoomed(true);
}

void ChartView::panTime(double share) {
    const qint64 a = rangeStart(), b = rangeEnd();
    const auto d = static_cast<qint64>(double(b - a) * share);
    if (d == 0) return;
    timeAxis_->setRange(double(a + d), double(b + d));
    setZoomed(true);
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

void ChartView::onHover(const QPointF& scenePos) {
    const QRectF area = chart_->plotArea();
    if (!area.contains(scenePos)) return;
    const double share = (scenePos.x() - area.left()) / area.width();
    setCursorTime(rangeStart() + static_cast<qint64>(share * double(rangeEnd() - rangeStart())));
}

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

bool ChartView::exportPng(const QString& path) {
    cursorLine_->setVisible(false);
    const QPixmap picture = plot_->grab();
    return picture.save(path, "PNG");
}

bool ChartView::exportSvg(const QString& path) {
    cursorLine_->setVisible(false);
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(plot_->size());
    svg.setViewBox(QRect(QPoint(0, 0), plot_->size()));
    svg.setTitle(windowTitle());
    QPainter painter;
    if (!painter.begin(&svg)) return false;
    plot_->render(&painter);
    return painter.end();
}

void ChartView::print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    cursorLine_->setVisible(false);
    QPainter painter(&printer);
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    plot_->render(&painter, QRectF(0, 0, page.width(), page.height()));
}

void ChartView::chooseAndExport(bool svg) {
    const QString filter = svg ? QStringLiteral("SVG (*.svg)") : QStringLiteral("PNG (*.png)");
    QString path = QFileDialog::getSaveFileName(this, QString(), QString(), filter);
    if (path.isEmpty()) return;
    const QString ext = svg ? QStringLiteral(".svg") : QStringLiteral(".png");
    if (!path.endsWith(ext, Qt::CaseInsensitive)) path += ext;
    if (svg)
        exportSvg(path);
    else
        exportPng(path);
}

}  // namespace mr420
