// ChartView's axes: a value axis per unit on the side the user picks, the
// time axis's range, and the ticks and labels of both as the plot's size
// allows.

#include "chart/widgets/ChartView.h"

#include <QCategoryAxis>
#include <QChart>
#include <QComboBox>
#include <QDateTime>
#include <QResizeEvent>
#include <QValueAxis>

#include <algorithm>
#include <limits>

#include "chart/ChartTicks.h"
#include "chart/widgets/ChartLabels.h"

namespace mr420 {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// Labels of a category axis must differ; a run of zero-width spaces makes
// equal texts ("12:00" on two days) distinct without changing their look.
QString distinct(const QString& label, int index) { return label + QString(index, QChar(0x200B)); }

}  // namespace

// One value axis for each unit with data (its range takes in the threshold
// lines the user wants to see), placed on its side.
void ChartView::makeValueAxes() {
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

}  // namespace mr420
