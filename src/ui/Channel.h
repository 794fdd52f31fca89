#pragma once
// The six measured quantities, in the order of the settings sections and of
// the colours and fonts dialogs.

#include <array>

namespace mr420 {

enum Channel : int {
    kChannelTemp1 = 0,
    kChannelTemp2 = 1,
    kChannelRh = 2,
    kChannelPressure = 3,
    kChannelDp = 4,
    kChannelWb = 5,
    kChannelCount = 6,
};

// Settings key suffixes and section names: "TEMP1", "TEMP2", "RH", "PRESSURE", "DP", "WB".
inline constexpr std::array<const char*, kChannelCount> kChannelNames = {"TEMP1", "TEMP2", "RH", "PRESSURE", "DP", "WB"};

constexpr const char* channelName(int channel) {
    return channel >= 0 && channel < kChannelCount ? kChannelNames[static_cast<std::size_t>(channel)] : "";
}

}  // namespace mr420
