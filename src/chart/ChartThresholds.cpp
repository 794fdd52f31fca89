#include "chart/ChartThresholds.h"

#include "base/Channel.h"
#include "protocol/PanelCommand.h"

namespace mr420 {

std::vector<ChartThreshold> alarmThresholdLines(const PanelState& state) {
    // Slots in the panel's order: lower and upper of each channel.
    static constexpr int kSlotChannel[] = {kChannelTemp1, kChannelTemp1, kChannelTemp2, kChannelTemp2,
                                           kChannelRh,    kChannelRh,    kChannelPressure, kChannelPressure};
    std::vector<ChartThreshold> lines;
    if (!state.received.has(static_cast<int>(PanelCommand::ReadThresholdFlags))) return lines;
    for (int slot = 0; slot < 8; ++slot) {
        const bool enabled = (state.alarmThresholdFlags >> slot & 1) != 0;
        if (!enabled || !state.received.has(static_cast<int>(PanelCommand::ReadThreshold), slot)) continue;
        lines.push_back({kSlotChannel[slot], state.alarmThresholds[static_cast<std::size_t>(slot)] / 10.0});
    }
    return lines;
}

}  // namespace mr420
