#pragma once
// The six measured quantities and everything fixed about each: its settings
// name, its titles, how its value is shown and its default colours. The
// settings, the panes, registration and the data server all read this table.

#include <array>
#include <cstddef>

#include "base/ValueFormat.h"

namespace mr420 {

// In the order of the settings sections and of the colours and fonts dialogs.
enum Channel : int {
    kChannelTemp1 = 0,
    kChannelTemp2 = 1,
    kChannelRh = 2,
    kChannelPressure = 3,
    kChannelDp = 4,
    kChannelWb = 5,
    kChannelCount = 6,
};

struct ChannelInfo {
    const char* name;            // settings section and key suffix: "TEMP1" ...
    int titleStringId;           // pane title
    int topicStringId;           // data-server topic base name
    int displayKind;             // display_kind::
    int controlId;               // the pane's control id in the main window
    unsigned defaultBackground;  // red + 256 green + 65536 blue
    unsigned defaultText;
};

constexpr unsigned rgb(unsigned r, unsigned g, unsigned b) { return r + 256u * g + 65536u * b; }

inline constexpr std::array<ChannelInfo, kChannelCount> kChannels = {{
    {"TEMP1", 154, 145, display_kind::kTemperature, 1003, rgb(202, 228, 255), rgb(0, 64, 128)},
    {"TEMP2", 155, 146, display_kind::kTemperature, 1004, rgb(184, 218, 255), rgb(0, 50, 100)},
    {"RH", 157, 147, display_kind::kHumidity, 1007, rgb(184, 218, 255), rgb(0, 50, 100)},
    {"PRESSURE", 156, 150, display_kind::kPressure, 1005, rgb(164, 208, 255), rgb(0, 36, 72)},
    {"DP", 158, 148, display_kind::kTemperature, 1006, rgb(164, 208, 208), rgb(24, 48, 48)},
    {"WB", 159, 149, display_kind::kPpm, 1008, rgb(200, 228, 228), rgb(30, 60, 60)},
}};

constexpr const ChannelInfo& channelInfo(int channel) { return kChannels[static_cast<std::size_t>(channel)]; }

// Settings key suffix and section name; empty for a number out of range.
constexpr const char* channelName(int channel) {
    return channel >= 0 && channel < kChannelCount ? kChannels[static_cast<std::size_t>(channel)].name : "";
}

}  // namespace mr420
