#include "chart/widgets/ChartPlot.h"

#include <QCategoryAxis>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "chart/widgets/ChartView.h"

namespace mr420 {

ChartPlot::ChartPlot(QChart* chart, ChartView& owner) : QChartView(chart), owner_(owner) {
    setRubberBand(QChartView::RectangleRubberBand);
    setRenderHint(QPainter::Antialiasing);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

void ChartPlot::wheelEvent(QWheelEvent* e) {
    const double steps = e->angleDelta().y() / 120.0;
    if (steps == 0) return;
    const qint64 t = timeAtX(e->position().x());
    owner_.zoomTime(std::pow(0.8, steps), t);
    e->accept();
}

void ChartPlot::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton || e->button() == Qt::MiddleButton) {
        panning_ = true;
        lastX_ = e->position().x();
        setCursor(Qt::ClosedHandCursor);
        e->accept();
        return;
    }
    QChartView::mousePressEvent(e);
}

void ChartPlot::mouseMoveEvent(QMouseEvent* e) {
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

void ChartPlot::mouseReleaseEvent(QMouseEvent* e) {
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

void ChartPlot::keyPressEvent(QKeyEvent* e) {
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

qint64 ChartPlot::timeAtX(double x) const {
    const QRectF area = chart()->plotArea();
    const double share = area.width() > 0 ? (x - area.left()) / area.width() : 0.5;
    const qint64 a = owner_.rangeStart(), b = owner_.rangeEnd();
    return a + static_cast<qint64>(std::clamp(share, 0.0, 1.0) * double(b - a));
}

// --- the view's zoom and pan -----------------------------------------------

qint64 ChartView::rangeStart() const { return static_cast<qint64>(std::llround(timeAxis_->min())); }

qint64 ChartView::rangeEnd() const { return static_cast<qint64>(std::llround(timeAxis_->max())); }

void ChartView::onTimeRangeChanged() {
    if (rebuilding_ || files_.empty()) return;
    // Thinned for a wider range, the series lack the detail of a closer
    // look; outside what was thinned, they lack the points themselves.
    const qint64 a = rangeStart(), b = rangeEnd();
    const bool narrower = (b - a) * 2 < drawnTo_ - drawnFrom_;
    const bool outside = a < drawnFrom_ || b > drawnTo_;
    if (narrower || outside) redraw_->start();
}

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

void ChartView::onHover(const QPointF& scenePos) {
    const QRectF area = chart_->plotArea();
    if (!area.contains(scenePos)) return;
    const double share = (scenePos.x() - area.left()) / area.width();
    setCursorTime(rangeStart() + static_cast<qint64>(share * double(rangeEnd() - rangeStart())));
}

}  // namespace mr420
