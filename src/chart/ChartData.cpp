#include "chart/ChartData.h"

#include <algorithm>
#include <ctime>

namespace mr420 {

ChartUnit unitOf(int channel) {
    switch (channel) {
    case kChannelRh: return ChartUnit::Percent;
    case kChannelPressure: return ChartUnit::Hectopascal;
    case kChannelWb: return ChartUnit::Ppm;
    default: return ChartUnit::Celsius;
    }
}

const char* unitText(ChartUnit unit) {
    switch (unit) {
    case ChartUnit::Celsius: return "°C";
    case ChartUnit::Percent: return "%";
    case ChartUnit::Hectopascal: return "hPa";
    case ChartUnit::Ppm: return "ppm";
    }
    return "";
}

bool ChartData::hasChannel(int channel) const {
    if (channel < 0 || channel >= kChannelCount) return false;
    for (const ChartPoint& p : series[static_cast<std::size_t>(channel)])
        if (!p.gap()) return true;
    return false;
}

bool ChartData::empty() const {
    for (int c = 0; c < kChannelCount; ++c)
        if (hasChannel(c)) return false;
    return true;
}

std::int64_t ChartData::firstTime() const {
    bool any = false;
    std::int64_t t = 0;
    for (const auto& s : series)
        if (!s.empty() && (!any || s.front().time < t)) {
            t = s.front().time;
            any = true;
        }
    return t;
}

std::int64_t ChartData::lastTime() const {
    bool any = false;
    std::int64_t t = 0;
    for (const auto& s : series)
        if (!s.empty() && (!any || s.back().time > t)) {
            t = s.back().time;
            any = true;
        }
    return t;
}

std::size_t ChartData::valueCount() const {
    std::size_t n = 0;
    for (const auto& s : series)
        for (const ChartPoint& p : s) n += p.gap() ? 0 : 1;
    return n;
}

std::int64_t msecsOfLocalTime(const LocalTime& t) {
    std::tm tm = tmOf(t);
    const std::time_t s = std::mktime(&tm);
    return static_cast<std::int64_t>(s) * 1000;
}

LocalTime localTimeOfMsecs(std::int64_t msecs) {
    std::int64_t s = msecs / 1000;
    if (msecs % 1000 < 0) --s;
    return localTimeOf(static_cast<std::time_t>(s));
}

std::int64_t typicalStep(const std::vector<ChartRow>& rows) {
    std::vector<std::int64_t> steps;
    steps.reserve(rows.size());
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const std::int64_t d = rows[i].time - rows[i - 1].time;
        if (d > 0) steps.push_back(d);
    }
    if (steps.empty()) return 0;
    auto mid = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
    std::nth_element(steps.begin(), mid, steps.end());
    return *mid;
}

ChartData buildChart(std::vector<ChartRow> rows, std::int64_t interval, double gapFactor) {
    std::stable_sort(rows.begin(), rows.end(), [](const ChartRow& a, const ChartRow& b) { return a.time < b.time; });
    if (interval <= 0) interval = typicalStep(rows);
    const double limit = static_cast<double>(interval) * gapFactor;

    std::array<bool, kChannelCount> used{};
    for (const ChartRow& r : rows)
        for (int c = 0; c < kChannelCount; ++c)
            if (!std::isnan(r.values[static_cast<std::size_t>(c)])) used[static_cast<std::size_t>(c)] = true;

    ChartData data;
    for (int c = 0; c < kChannelCount; ++c) {
        const auto ci = static_cast<std::size_t>(c);
        if (!used[ci]) continue;
        std::vector<ChartPoint>& out = data.series[ci];
        out.reserve(rows.size() + rows.size() / 8);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (i > 0 && interval > 0) {
                const std::int64_t step = rows[i].time - rows[i - 1].time;
                if (static_cast<double>(step) > limit && (out.empty() || !out.back().gap()))
                    out.push_back({rows[i - 1].time + interval, kNoReading});
            }
            const double v = rows[i].values[ci];
            // Consecutive gaps say no more than one.
            if (std::isnan(v) && !out.empty() && out.back().gap()) continue;
            out.push_back({rows[i].time, std::isfinite(v) ? v : kNoReading});
        }
    }
    return data;
}

ChartData chartFromMemory(const std::vector<MemoryRecord>& records) {
    std::vector<ChartRow> rows;
    rows.reserve(records.size());
    for (const MemoryRecord& r : records) {
        ChartRow row;
        row.time = msecsOfLocalTime(r.time);
        auto set = [&row](int channel, bool present, bool error, double value) {
            if (present && !error && std::isfinite(value)) row.values[static_cast<std::size_t>(channel)] = value;
        };
        set(kChannelTemp1, r.temperature1Present, r.temperature1Error, r.temperature1);
        set(kChannelTemp2, r.temperature2Present, r.temperature2Error, r.temperature2);
        set(kChannelRh, r.humidityPresent, r.humidityError, r.humidity);
        set(kChannelPressure, r.pressurePresent, r.pressureError, r.pressure);
        set(kChannelDp, r.dewPointComputed, false, r.dewPoint);
        set(kChannelWb, r.vapourComputed, false, r.vapourPpm);
        rows.push_back(row);
    }
    return buildChart(std::move(rows));
}

namespace {

// The points of one series that a plot of `columns` columns over [from, to]
// needs; see thinForDrawing.
std::vector<ChartPoint> thinSeries(const std::vector<ChartPoint>& pts, std::int64_t from, std::int64_t to, int columns) {
    const auto inside = [&](const ChartPoint& p) { return p.time >= from && p.time <= to; };
    auto first = std::lower_bound(pts.begin(), pts.end(), from, [](const ChartPoint& p, std::int64_t t) { return p.time < t; });
    auto last = std::upper_bound(pts.begin(), pts.end(), to, [](std::int64_t t, const ChartPoint& p) { return t < p.time; });
    if (first != pts.begin()) --first;   // one point beyond each end
    if (last != pts.end()) ++last;
    const auto count = static_cast<std::size_t>(last - first);
    if (count <= static_cast<std::size_t>(columns) * 4) return {first, last};

    std::vector<ChartPoint> out;
    out.reserve(static_cast<std::size_t>(columns) * 4 + 4);
    const double width = static_cast<double>(to - from) / columns;
    auto column = [&](const ChartPoint& p) {
        return inside(p) ? std::min<std::int64_t>(columns - 1, static_cast<std::int64_t>((p.time - from) / width)) : -1;
    };
    auto it = first;
    while (it != last) {
        // One column, or one point outside the range, or one gap.
        if (it->gap() || !inside(*it)) {
            out.push_back(*it++);
            continue;
        }
        const std::int64_t c = column(*it);
        auto end = it;
        while (end != last && !end->gap() && inside(*end) && column(*end) == c) ++end;
        auto low = it, high = it;
        for (auto p = it; p != end; ++p) {
            if (p->value < low->value) low = p;
            if (p->value > high->value) high = p;
        }
        // First, lowest, highest, last: in time order, each once.
        std::array<decltype(it), 4> keep = {it, low, high, end - 1};
        std::sort(keep.begin(), keep.end());
        for (std::size_t k = 0; k < keep.size(); ++k)
            if (k == 0 || keep[k] != keep[k - 1]) out.push_back(*keep[k]);
        it = end;
    }
    return out;
}

}  // namespace

ChartData thinForDrawing(const ChartData& data, std::int64_t from, std::int64_t to, int columns) {
    ChartData out;
    out.title = data.title;
    if (columns < 1 || to <= from) return data;
    for (std::size_t c = 0; c < data.series.size(); ++c) out.series[c] = thinSeries(data.series[c], from, to, columns);
    return out;
}

}  // namespace mr420
