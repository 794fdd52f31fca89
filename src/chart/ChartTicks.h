#pragma once
// The ticks of a chart's axes, chosen without any drawing: the time axis at
// round local times (1, 2, 5, 10, 15, 30 s; 1, 2, 5, 10, 15, 30 min; 1, 2, 3,
// 6, 12 h; days; weeks; months; years) with the smallest step whose labels
// keep apart at the given width, each label as short as it can be and the
// larger unit written once where it changes ("14:00", "15 Mar", "Apr",
// "2027"); and value axes at round steps (1, 2, 5 times a power of ten).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mr420 {

// The width of a label in pixels, as the axis font draws it (UTF-8).
using LabelWidth = std::function<int(std::string_view)>;

struct TimeTick {
    std::int64_t time = 0;   // ms since the epoch
    std::string label;       // UTF-8
};

struct TimeTicks {
    std::vector<TimeTick> ticks;
    std::int64_t step = 0;   // the nominal step, ms (a month counts 30 days)
    // The date the labels leave out, for the axis title: "14 Mar 2027" under
    // clock times, "Mar 2027" under days, "2027" under months; empty under years.
    std::string origin;
};

// Labels closer than this (pixels) count as touching.
inline constexpr int kTickLabelGap = 12;

// Ticks inside [from, to] for an axis `width` pixels long; no two labels,
// centred on their ticks, come within kTickLabelGap of each other.
TimeTicks chooseTimeTicks(std::int64_t from, std::int64_t to, int width, const LabelWidth& labelWidth);

// The x of a time on an axis [from, to] `width` pixels long.
double tickPosition(std::int64_t time, std::int64_t from, std::int64_t to, int width);

struct ValueTicks {
    double min = 0;    // a multiple of step at or below the lowest value
    double max = 1;    // a multiple of step at or above the highest value
    double step = 1;   // 1, 2 or 5 times a power of ten
    int decimals = 0;  // enough to write every tick exactly
};

// Round ticks covering [low, high] with at most `maxTicks` steps (at least 1).
ValueTicks chooseValueTicks(double low, double high, int maxTicks);

// The abbreviated name of a month (1..12) in the program's language.
std::string monthName(int month);

}  // namespace mr420
