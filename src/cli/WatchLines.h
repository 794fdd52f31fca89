#pragma once
// The lines `mr420-cli watch` prints, one per complete poll cycle, from the
// panes as the window shows them: text (time, then "title: value" per shown
// pane, TAB-separated), CSV (a header before the first line and whenever the
// shown channels change; "???" for a pane without a value) or JSON (one
// object a line, numbers with a decimal point, null without a value).

#include <array>
#include <string>

#include "base/Channel.h"
#include "cli/CliArguments.h"
#include "ui/ValuePaneModel.h"

namespace mr420::cli {

// "2026-12-09 15:50:19": the local time a line carries.
std::string nowText();

// A JSON string literal: quotes, backslashes and control characters escaped.
std::string jsonString(const std::string& s);

class WatchLines {
public:
    explicit WatchLines(WatchFormat format) : format_(format) {}
    // The line (a CSV header and a line when the channels changed) for the
    // panes at `time`, without the final line end.
    std::string next(const std::string& time, const std::array<ValuePaneModel, kChannelCount>& panes);

private:
    WatchFormat format_;
    std::string lastHeader_;
};

}  // namespace mr420::cli
