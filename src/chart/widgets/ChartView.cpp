#include "chart/widgets/ChartView.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QDateTime>
#include <QDateTimeAxis>
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
        if (band) {
            owner_.setZoomed(true);
            owner_.updateTimeFormat();
        }
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
    chart_->setMargins(QMargins(4, 4, 4, 4));
    timeAxis_ = new QDateTimeAxis;
    timeAxis_->setTickCount(7);
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    redraw_ = new QTimer(this);
    redraw_->setSingleShot(true);
    redraw_->setInterval(80);
    connect(redraw_, &QTimer::timeout, this, [this] { rebuild(); });
    connect(timeAxis_, &QDateTimeAxis::rangeChanged, this, [this] { onTimeRangeChanged(); });
    plot_ = new ChartPlot(chart_, *this);

    cursorLine_ = new QGraphicsLineItem;
    cursorLine_->setPen(QPen(QColor(120, 120, 120), 1, Qt::DashLine));
    cursorLine_->setZValue(100);
    cursorLine_->setVisible(false);
    chart_->scene()->addItem(cursorLine_);

    auto* boxes = new QVBoxLayout;
    for (int c = 0; c < kChannelCount; ++c) {
        auto* box = new QCheckBox(channelTitle(c), this);
        box->setChecked(true);
        boxes_[static_cast<std::size_t>(c)] = box;
        connect(box, &QCheckBox::toggled, this, [this, c](bool on) { setChannelShown(c, on); });
        boxes->addWidget(box);
    }
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

    cursorLabel_ = new QLabel(this);
    cursorLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cursorLabel_->setMinimumHeight(cursorLabel_->fontMetrics().height() + 4);

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
    files_ = std::move(files);
    rebuild();
}

int ChartView::lineCount() const { return static_cast<int>(chart_->series().size()); }

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
    for (auto& l : lines_) l.clear();
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
    int placed = 0;
    for (int u = 0; u < kChartUnitCount; ++u) {
        const auto ui = static_cast<std::size_t>(u);
        if (!(lo[ui] <= hi[ui])) continue;
        auto* axis = new QValueAxis;
        axis->setTitleText(QString::fromUtf8(unitText(static_cast<ChartUnit>(u))));
        double a = lo[ui], b = hi[ui];
        if (b - a < 1e-9) {
            a -= 1;
            b += 1;
        }
        const double margin = (b - a) * 0.05;
        axis->setRange(a - margin, b + margin);
        axis->applyNiceNumbers();
        chart_->addAxis(axis, placed % 2 == 0 ? Qt::AlignLeft : Qt::AlignRight);
        valueAxes_[ui] = axis;
        ++placed;
    }

    const bool legend = files_.size() > 1;
    for (std::size_t fi = 0; fi < files_.size(); ++fi) {
        const ChartData f = thinForDrawing(files_[fi], drawnFrom_, drawnTo_, columns);
        for (int c = 0; c < kChannelCount; ++c) {
            const auto ci = static_cast<std::size_t>(c);
            const std::vector<ChartPoint>& pts = f.series[ci];
            QPen pen(lineColours_[ci], 1.5, kFileStyles[fi % kFileStyles.size()]);
            const QString name = (legend ? qs(f.title) + QStringLiteral(": ") : QString()) + channelTitle(c);
            bool first = true;
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
                s->setName(name);
                chart_->addSeries(s);
                s->attachAxis(timeAxis_);
                s->attachAxis(valueAxes_[static_cast<std::size_t>(unitOf(c))]);
                s->setVisible(shown_[ci]);
                if (legend)
                    for (QLegendMarker* m : chart_->legend()->markers(s)) m->setVisible(first);
                first = false;
                lines_[ci].push_back(s);
                i = j;
            }
        }
    }
    chart_->legend()->setVisible(legend);
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
        timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(keepStart), QDateTime::fromMSecsSinceEpoch(keepEnd));
        for (int u = 0; u < kChartUnitCount; ++u)
            if (QValueAxis* a = valueAxes_[static_cast<std::size_t>(u)]; a && keepValues[static_cast<std::size_t>(u)].second > keepValues[static_cast<std::size_t>(u)].first)
                a->setRange(keepValues[static_cast<std::size_t>(u)].first, keepValues[static_cast<std::size_t>(u)].second);
    } else {
        fitRanges();
    }
    if (hasCursor_) setCursorTime(cursorTime_);
    rebuilding_ = false;
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
    timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(a), QDateTime::fromMSecsSinceEpoch(b));
    updateTimeFormat();
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

void ChartView::updateTimeFormat() {
    const qint64 span = rangeEnd() - rangeStart();
    if (span <= 2LL * 3600 * 1000)
        timeAxis_->setFormat(QStringLiteral("HH:mm:ss"));
    else if (span <= 14LL * 24 * 3600 * 1000)   // ticks fall between midnights: the hour tells them apart
        timeAxis_->setFormat(QStringLiteral("dd.MM HH:mm"));
    else
        timeAxis_->setFormat(QStringLiteral("dd.MM.yyyy"));
}

qint64 ChartView::rangeStart() const { return timeAxis_->min().toMSecsSinceEpoch(); }
qint64 ChartView::rangeEnd() const { return timeAxis_->max().toMSecsSinceEpoch(); }

void ChartView::setZoomed(bool zoomed) {
    if (zoomed_ == zoomed) return;
    zoomed_ = zoomed;
    resetButton_->setEnabled(zoomed);
    emit zoomChanged(zoomed);
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
    timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(na), QDateTime::fromMSecsSinceEpoch(nb));
    setZoomed(true);
    updateTimeFormat();
}

void ChartView::panTime(double share) {
    const qint64 a = rangeStart(), b = rangeEnd();
    const auto d = static_cast<qint64>(double(b - a) * share);
    if (d == 0) return;
    timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(a + d), QDateTime::fromMSecsSinceEpoch(b + d));
    setZoomed(true);
}

void ChartView::setChannelShown(int channel, bool shown) {
    const auto ci = static_cast<std::size_t>(channel);
    shown_[ci] = shown;
    if (boxes_[ci]->isChecked() != shown) boxes_[ci]->setChecked(shown);
    for (QAbstractSeries* s : lines_[ci]) s->setVisible(shown);
    if (hasCursor_) setCursorTime(cursorTime_);
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
            if (!shown_[ci] || !files_[fi].hasChannel(c)) continue;
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
