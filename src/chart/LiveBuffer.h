#pragma once
// The live readings since the program started, one sample per poll cycle,
// for the trend chart. The last ten minutes keep every cycle; older samples
// are thinned to one per second, and the oldest go once the buffer holds
// its capacity (by default a little over 24 hours of thinned samples). A
// cycle without communication, or a pane without a valid value, is a gap.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>

#include "chart/ChartData.h"
#include "ui/LiveReadings.h"

namespace mr420 {

struct LiveSample {
    std::int64_t time = 0;   // ms since the epoch
    std::array<double, kChannelCount> values{kNoReading, kNoReading, kNoReading,
                                             kNoReading, kNoReading, kNoReading};
};

class LiveBuffer {
public:
    struct Limits {
        std::int64_t fullRateSpan = 10 * 60 * 1000;   // every cycle is kept this long
        std::int64_t thinnedStep = 1000;              // one sample per step beyond it
        std::size_t thinnedCapacity = 25 * 3600;      // thinned samples kept
        std::size_t fullRateCapacity = 10 * 60 * 20;  // cycles kept at most (20 per second)
        // A stretch longer than this without any cycle (the poll paused for
        // a memory read-out, the program was suspended) breaks the lines.
        std::int64_t silenceGap = 5000;
    };

    LiveBuffer() = default;
    explicit LiveBuffer(Limits limits) : limits_(limits) {}

    // One poll cycle. Without communication every channel is a gap; else a
    // channel has its pane's value when the pane is shown and valid.
    void addCycle(std::int64_t time, bool connected, const LiveReadings& panes);
    void add(const LiveSample& sample);

    std::size_t size() const { return thinned_.size() + recent_.size(); }
    std::size_t thinnedSize() const { return thinned_.size(); }
    std::size_t recentSize() const { return recent_.size(); }
    // Grows with every sample; a view redraws when it changed.
    std::uint64_t revision() const { return revision_; }
    const Limits& limits() const { return limits_; }

    // Oldest first: the thinned samples, then the recent ones.
    template <typename F>
    void forEach(F&& f) const {
        for (const LiveSample& s : thinned_) f(s);
        for (const LiveSample& s : recent_) f(s);
    }

    // The samples as chart series: a gap for every missing value and for
    // every silence longer than silenceGap.
    ChartData chart() const;

private:
    void thin(const LiveSample& sample);

    Limits limits_;
    std::deque<LiveSample> thinned_;
    std::deque<LiveSample> recent_;
    std::uint64_t revision_ = 0;
};

}  // namespace mr420
