// What ChartView draws: the curves of every file, thinned for the range in
// view, the threshold lines, and the same picture into a PNG or SVG file or
// onto a printer.

#include "chart/widgets/ChartView.h"

#include <QCategoryAxis>
#include <QChart>
#include <QCheckBox>
#include <QFileDialog>
#include <QGraphicsLineItem>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QTimer>
#include <QValueAxis>

#include <algorithm>

#include "chart/widgets/ChartPlot.h"

namespace mr420 {

namespace {

constexpr std::size_t kSmoothPointLimit = 20000;

constexpr std::array<Qt::PenStyle, 4> kFileStyles{Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine};

constexpr std::int64_t kFarAway = 100LL * 365 * 24 * 3600 * 1000;   // threshold lines reach past any range

}  // namespace

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
    makeValueAxes();

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

// --- export and printing ------------------------------------------------

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
