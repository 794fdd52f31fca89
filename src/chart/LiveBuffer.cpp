#include "chart/LiveBuffer.h"

#include <cmath>

namespace mr420 {

namespace {

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

}  // namespace

void LiveBuffer::addCycle(std::int64_t time, bool connected, const LiveReadings& panes) {
    LiveSample s;
    s.time = time;
    if (connected)
        for (int c = 0; c < kChannelCount; ++c) {
            const LiveReading& r = panes[static_cast<std::size_t>(c)];
            if (r.present && r.valid() && std::isfinite(r.value)) s.values[static_cast<std::size_t>(c)] = r.value;
        }
    add(s);
}

void LiveBuffer::add(const LiveSample& sample) {
    ++revision_;
    recent_.push_back(sample);
    // Older than the full-rate span (counted from the newest sample), or over
    // the full-rate capacity: into the thinned part.
    while (!recent_.empty() && (sample.time - recent_.front().time > limits_.fullRateSpan ||
                                recent_.size() > limits_.fullRateCapacity)) {
        thin(recent_.front());
        recent_.pop_front();
    }
}

void LiveBuffer::thin(const LiveSample& s) {
    const std::int64_t step = limits_.thinnedStep > 0 ? limits_.thinnedStep : 1;
    if (!thinned_.empty() && floorDiv(thinned_.back().time, step) == floorDiv(s.time, step)) {
        // The same step: the later value stands for it, but a gap anywhere in
        // the step stays a gap so that no line is drawn across it.
        LiveSample& kept = thinned_.back();
        for (std::size_t c = 0; c < kept.values.size(); ++c)
            if (!std::isnan(kept.values[c])) kept.values[c] = s.values[c];
        return;
    }
    thinned_.push_back(s);
    while (thinned_.size() > limits_.thinnedCapacity) thinned_.pop_front();
}

ChartData LiveBuffer::chart() const {
    std::vector<ChartRow> rows;
    rows.reserve(size());
    forEach([&rows](const LiveSample& s) {
        ChartRow r;
        r.time = s.time;
        r.values = s.values;
        rows.push_back(r);
    });
    // Cycles come a fraction of a second apart, thinned samples a second:
    // only a real silence breaks the line.
    return buildChart(std::move(rows), limits_.silenceGap, 1.0);
}

}  // namespace mr420
