#pragma once
// The alarm thresholds the live chart draws as lines: the panel's enabled
// lower and upper thresholds of temperature 1 and 2, humidity and pressure,
// each only once both its value and the enable flags arrived in this run.

#include <vector>

#include "protocol/PanelState.h"

namespace mr420 {

// A dashed line across the chart at a value of a channel.
struct ChartThreshold {
    int channel = 0;
    double value = 0;
};

std::vector<ChartThreshold> alarmThresholdLines(const PanelState& state);

}  // namespace mr420
