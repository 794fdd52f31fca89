#pragma once
// The plot of a ChartView: the wheel zooms the time axis around the mouse,
// the left button draws a rubber band, the right or middle button pans, the
// keys do both. ChartPlot.cpp also holds ChartView's zoom and pan.

#include <QChartView>

namespace mr420 {

class ChartView;

class ChartPlot : public QChartView {
public:
    ChartPlot(QChart* chart, ChartView& owner);

protected:
    void wheelEvent(QWheelEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    qint64 timeAtX(double x) const;

    ChartView& owner_;
    bool panning_ = false;
    double lastX_ = 0;
};

}  // namespace mr420
