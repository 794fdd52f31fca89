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

class QTimer;
class QWidget;

namespace mr420 {

class MemoryDialog;

// A top-level window over one ChartView.
class ChartWindow : public QWidget {
    Q_OBJECT
public:
    explicit ChartWindow(const QString& title, QWidget* parent = nullptr);
    ChartView* view() const { return view_; }

private:
    ChartView* view_ = nullptr;
};

class ChartFeature : public QObject {
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
    // The chart of downloaded records, a window of its own above `owner`.
    ChartWindow* openMemoryChart(const std::vector<MemoryRecord>& records, QWidget* owner);
    // Gives the memory dialog its "Wykres" button.
    void attach(MemoryDialog& dialog);

    ChartColours colours() const;
    void setClock(Clock clock) { clock_ = std::move(clock); }
    LiveBuffer& buffer() { return buffer_; }
    ChartWindow* liveWindow() const { return live_; }
    // Redraws the live window when new samples came (the window's timer
    // calls it every second).
    void refreshLive();

private:
    Colours colours_;
    Clock clock_;
    QWidget* parent_;
    LiveBuffer buffer_;
    QPointer<ChartWindow> live_;
    QTimer* timer_ = nullptr;
    std::uint64_t drawnRevision_ = 0;
    static constexpr std::int64_t kNeverDrawn = -(std::int64_t{1} << 62);
    std::int64_t drawnAt_ = kNeverDrawn;   // clock time of the last redraw
};

}  // namespace mr420
