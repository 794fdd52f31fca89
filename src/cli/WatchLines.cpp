#include "cli/WatchLines.h"

#include <cstdio>

#include "base/ValueFormat.h"
#include "recording/RegistrationLog.h"
#include "ui/LiveReadings.h"

namespace mr420::cli {

namespace {

// The pane's number without its unit, as it shows it.
std::string paneNumber(const ValuePaneModel& pane) {
    return formatPaneValue(pane.displayKind, pane.displayValue(), false, pane.twoDecimals).text;
}

}  // namespace

std::string nowText() {
    const LocalTime t = localTimeNow();
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
            continue;
        }
        out += c;
    }
    return out + "\"";
}

std::string WatchLines::next(const std::string& time, const std::array<ValuePaneModel, kChannelCount>& panes) {
    std::string out;
    if (format_ == WatchFormat::Json) {
        out = "{\"time\":" + jsonString(time);
        for (int c = 0; c < kChannelCount; ++c) {
            const ValuePaneModel& p = panes[static_cast<std::size_t>(c)];
            if (!p.visible) continue;
            std::string number = paneNumber(p);
            for (char& ch : number)
                if (ch == ',') ch = '.';
            out += std::string(",\"") + channelName(c) + "\":" + (p.hasValue && !number.empty() ? number : "null");
        }
        return out + "}";
    }
    if (format_ == WatchFormat::Csv) {
        std::string header = "time";
        out = time;
        for (int c = 0; c < kChannelCount; ++c) {
            const ValuePaneModel& p = panes[static_cast<std::size_t>(c)];
            if (!p.visible) continue;
            header += std::string(",") + channelName(c);
            out += "," + quoteField(p.hasValue ? paneNumber(p) : "???", ',');
        }
        // A header before the first line and whenever the channels change.
        if (header != lastHeader_) {
            lastHeader_ = header;
            out = header + "\n" + out;
        }
        return out;
    }
    out = time;
    for (const ValuePaneModel& p : panes) {
        if (!p.visible) continue;
        out += "\t" + p.title + ": " + p.formattedValue();
    }
    return out;
}

}  // namespace mr420::cli
