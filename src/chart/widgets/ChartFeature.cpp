#include "chart/widgets/ChartFeature.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "base/widgets/WindowFit.h"
#include "chart/ChartThresholds.h"
#include "recording/widgets/MemoryDialog.h"
#include "ui/MenuTable.h"

namespace mr420 {

namespace {

QSettings places() {
    return QSettings(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QStringLiteral("/mr420/chart-windows.ini"),
                     QSettings::IniFormat);
}

}  // namespace

ChartWindow::ChartWindow(const QString& title, QWidget* parent, const QString& name)
    : QWidget(parent, Qt::Window), name_(name) {
    setWindowTitle(title);
    openWideEnough(this);
    view_ = new ChartView(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(view_);
    resize(1000, 620);
}

QRect ChartWindow::placeIn(const QRect& available, const QRect& remembered, const QSize& minimum) {
    if (remembered.isValid() && available.contains(remembered)) return remembered;
    const QSize size = QSize(1000, 620).expandedTo(remembered.isValid() ? remembered.size() : QSize())
                           .boundedTo(available.size() * 9 / 10)
                           .expandedTo(minimum)
                           .boundedTo(available.size());
    QRect r(QPoint(0, 0), size);
    r.moveCenter(available.center());
    return r;
}

void ChartWindow::showEvent(QShowEvent* e) {
    if (!placed_) {
        placed_ = true;
        QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            // The frame's own size is not known before it is mapped: leave it room.
            const QRect available = screen->availableGeometry().adjusted(8, 32, -8, -8);
            setGeometry(placeIn(available, places().value(name_ + QStringLiteral("/geometry")).toRect(),
                                minimumSizeHint()));
        }
    }
    QWidget::showEvent(e);
}

void ChartWindow::hideEvent(QHideEvent* e) {
    places().setValue(name_ + QStringLiteral("/geometry"), geometry());
    QWidget::hideEvent(e);
}

ChartFeature::ChartFeature(Colours colours, QWidget* parent)
    : QObject(parent), colours_(std::move(colours)), parent_(parent) {
    clock_ = [] { return static_cast<std::int64_t>(QDateTime::currentMSecsSinceEpoch()); };
    timer_ = new QTimer(this);
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, &ChartFeature::refreshLive);
}

ChartFeature::~ChartFeature() { delete live_.data(); }

ChartColours ChartFeature::colours() const {
    ChartColours c = defaultChartColours();
    if (colours_)
        for (int i = 0; i < kChannelCount; ++i) c[static_cast<std::size_t>(i)] = colours_(i);
    return c;
}

void ChartFeature::onCycle(bool connected, const LiveReadings& panes) { buffer_.addCycle(clock_(), connected, panes); }

std::vector<int> ChartFeature::commands() const { return {menu_id::kChart}; }

void ChartFeature::run(int menuId) {
    if (menuId == menu_id::kChart) openLive();
}

void ChartFeature::openLive() {
    if (!live_) {
        live_ = new ChartWindow(tr("Wykres"), parent_, QStringLiteral("live"));
        live_->setAttribute(Qt::WA_DeleteOnClose);
        connect(live_, &QObject::destroyed, timer_, &QTimer::stop);
        drawnRevision_ = 0;
    }
    live_->view()->setColours(colours());
    drawnRevision_ = buffer_.revision() - 1;   // draw at once
    drawnAt_ = kNeverDrawn;
    refreshLive();
    live_->show();
    live_->raise();
    live_->activateWindow();
    timer_->start();
}

void ChartFeature::refreshLive() {
    if (!live_ || buffer_.revision() == drawnRevision_) return;
    // A redraw shows something new once the readings have moved on by a
    // pixel column of the range on screen: the first minutes redraw every
    // second, a whole day about every minute and a half.
    ChartView& view = *live_->view();
    const std::int64_t perColumn = (view.rangeEnd() - view.rangeStart()) / std::max(200, view.width());
    const std::int64_t now = clock_();
    if (now >= drawnAt_ && now - drawnAt_ < perColumn) return;
    drawnAt_ = now;
    drawnRevision_ = buffer_.revision();
    ChartData data = buffer_.chart();
    live_->view()->setThresholds(state_ ? alarmThresholdLines(*state_) : std::vector<ChartThreshold>{});
    live_->view()->setData({std::move(data)});
}

ChartWindow* ChartFeature::openMemoryChart(const std::vector<MemoryRecord>& records, QWidget* owner) {
    // A child of the (modal) memory dialog, so it takes input while the
    // dialog is open, and closes with it.
    auto* window = new ChartWindow(tr("Wykres"), owner, QStringLiteral("memory"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->view()->setColours(colours());
    window->view()->setData({chartFromMemory(records)});
    window->show();
    return window;
}

void ChartFeature::attach(MemoryDialog& dialog) {
    dialog.setChartHandler(
        [this](QWidget* owner, const MemoryReadout& readout) { openMemoryChart(readout.records(), owner); });
}

}  // namespace mr420
