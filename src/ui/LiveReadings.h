#pragma once
// What the registration writers and the local data server read from the main
// window's six value panes. The main window fills one entry per pane.

#include <array>
#include <cstdint>

#include "base/Channel.h"
#include "base/PanelCalendar.h"

namespace mr420 {

struct LiveReading {
    bool present = false;      // the pane is shown
    bool hasValue = false;     // the pane's noValue is clear
    bool blinking = false;     // the pane's blink timer runs
    double value = 0;          // the pane's rawValue
    int displayKind = 0;       // 3 temperature, 5 pressure, 7 humidity, 8 ppm
    bool twoDecimals = false;  // the pane's twoDecimals
    // The reply that brought the value shown: a number that grows with
    // every such reply (0: none), and how long ago it came, in ms, when the
    // readings were taken (-1: none).
    std::uint64_t replySerial = 0;
    std::int64_t ageMs = -1;

    // What a file writes as a number rather than "???".
    bool valid() const { return hasValue && !blinking; }
};

using LiveReadings = std::array<LiveReading, kChannelCount>;

}  // namespace mr420
