#pragma once
// The data a chart draws: per channel a run of points in time order, where a
// point without a number (NaN) breaks the line. Times are milliseconds since
// the epoch; they are shown in local time. The builders turn rows of readings
// (live samples, memory records, rows read from files) into such series and
// apply the gap rules.

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "base/Channel.h"
#include "ui/LiveReadings.h"
#include "recording/MemoryRecord.h"

namespace mr420 {

inline constexpr double kNoReading = std::numeric_limits<double>::quiet_NaN();

// The value axes: one per unit.
enum class ChartUnit { Celsius, Percent, Hectopascal, Ppm };
inline constexpr int kChartUnitCount = 4;

ChartUnit unitOf(int channel);
// "°C", "%", "hPa", "ppm" (UTF-8).
const char* unitText(ChartUnit unit);

struct ChartPoint {
    std::int64_t time = 0;   // ms since the epoch
    double value = kNoReading;
    bool gap() const { return std::isnan(value); }
};

// One row of readings at one moment; NaN where a channel has no value.
struct ChartRow {
    std::int64_t time = 0;
    std::array<double, kChannelCount> values{kNoReading, kNoReading, kNoReading,
                                             kNoReading, kNoReading, kNoReading};
};

struct ChartData {
    std::string title;   // a file name, or empty
    // Per column of a long span only the first, lowest, highest and last
    // point: a closer look reads the span again.
    bool reduced = false;
    // Per channel; a channel that never had a value is empty.
    std::array<std::vector<ChartPoint>, kChannelCount> series;

    bool hasChannel(int channel) const;
    bool empty() const;
    // First and last time of any point; {0, 0} when empty.
    std::int64_t firstTime() const;
    std::int64_t lastTime() const;
    // The number of points with a value, over all channels.
    std::size_t valueCount() const;
};

// Milliseconds since the epoch of a local wall-clock time (daylight saving
// as the system's zone has it); and back.
std::int64_t msecsOfLocalTime(const LocalTime& time);
LocalTime localTimeOfMsecs(std::int64_t msecs);

// The step between rows that counts as the regular interval: the median of
// the positive steps; 0 for fewer than two distinct times.
std::int64_t typicalStep(const std::vector<ChartRow>& rows);

// Builds the series from rows (sorted here by time, equal times kept in
// order). A channel gets a series when any row has a value for it; in it a
// row without that value is a gap. A step between two rows larger than
// gapFactor x `interval` (interval 0: the typical step) is a missing stretch:
// every channel gets a gap inside it, so no line crosses it.
ChartData buildChart(std::vector<ChartRow> rows, std::int64_t interval = 0, double gapFactor = 1.5);

// The memory records as a chart: temperature 1 and 2, humidity, pressure,
// and dew point and water-vapour content where they were computed. A value
// in error or not a number is a gap; so is an interval missing from the log.
ChartData chartFromMemory(const std::vector<MemoryRecord>& records);

// What a plot `columns` pixels wide draws of [from, to]: in each column of
// each series the first, lowest, highest and last point in time order (so
// the drawn line looks exactly as with every point), every gap kept as a
// gap, and one point beyond each end so that the lines reach the edges.
// Series of up to four points per column come back unchanged.
ChartData thinForDrawing(const ChartData& data, std::int64_t from, std::int64_t to, int columns);

}  // namespace mr420
