#pragma once
// The charts the main window offers: the live trend ("Wykres" in "Widok"),
// fed by every poll cycle whether its window is open or not, and the chart
// of the records the memory dialog downloaded.

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <vector>

#include "chart/LiveBuffer.h"
#include "chart/widgets/ChartView.h"
#include "recording/MemoryRecord.h"
#include "ui/MenuCommands.h"

class QTimer;
class QWidget;

namespace mr420 {

class MemoryDialog;
struct PanelState;

// A top-level window over one ChartView. It opens inside the screen's
// available area, where it was last closed when that still fits (the place
// is kept per `name` in chart-windows.ini of the user's configuration
// folder), else centred at a size that fits.
class ChartWindow : public QWidget {
    Q_OBJECT
public:
    explicit ChartWindow(const QString& title, QWidget* parent = nullptr, const QString& name = QStringLiteral("chart"));
    ChartView* view() const { return view_; }
    // The place the window takes when it opens, inside `available`.
    static QRect placeIn(const QRect& available, const QRect& remembered, const QSize& minimum);

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    ChartView* view_ = nullptr;
    QString name_;
    bool placed_ = false;
};

class ChartFeature : public QObject, public MenuCommands {
    Q_OBJECT
public:
    // The colours of a channel's pane as they are now.
    using Colours = std::function<ChannelColours(int channel)>;
    using Clock = std::function<std::int64_t()>;   // ms since the epoch

    ChartFeature(Colours colours, QWidget* parent);
    ~ChartFeature() override;

    // The end of every poll cycle (and the no-communication refresh).
    void onCycle(bool connected, const LiveReadings& panes);
    // "Wykres": opens the live window or brings it to the front.
    void openLive();
    std::vector<int> commands() const override;
    void run(int menuId) override;
    // The chart of downloaded records, a window of its own above `owner`.
    ChartWindow* openMemoryChart(const std::vector<MemoryRecord>& records, QWidget* owner);
    // Gives the memory dialog its "Wykres" button.
    void attach(MemoryDialog& dialog);

    ChartColours colours() const;
    // The panel's alarm thresholds for the live chart, as far as they
    // arrived in this run.
    void setPanelState(const PanelState* state) { state_ = state; }
    void setClock(Clock clock) { clock_ = std::move(clock); }
    LiveBuffer& buffer() { return buffer_; }
    ChartWindow* liveWindow() const { return live_; }
    // Redraws the live window when new samples came (the window's timer
    // calls it every second).
    void refreshLive();

private:
    Colours colours_;
    Clock clock_;
    const PanelState* state_ = nullptr;
    QWidget* parent_;
    LiveBuffer buffer_;
    QPointer<ChartWindow> live_;
    QTimer* timer_ = nullptr;
    std::uint64_t drawnRevision_ = 0;
    static constexpr std::int64_t kNeverDrawn = -(std::int64_t{1} << 62);
    std::int64_t drawnAt_ = kNeverDrawn;   // clock time of the last redraw
};

}  // namespace mr420
