#include "cli/WatchLines.h"

#include <gtest/gtest.h>

namespace mr420::cli {
namespace {

// Three panes shown, the pressure without a value; the other three hidden.
std::array<ValuePaneModel, kChannelCount> panes() {
    std::array<ValuePaneModel, kChannelCount> p;
    for (int c = 0; c < kChannelCount; ++c) {
        ValuePaneModel& pane = p[static_cast<std::size_t>(c)];
        pane.title = channelName(c);
        pane.setKind(channelInfo(c).displayKind, channelInfo(c).displayKind, true);
        pane.visible = c == kChannelTemp1 || c == kChannelRh || c == kChannelPressure;
    }
    p[kChannelTemp1].setValue(21.5);
    p[kChannelRh].setValue(45.3);
    return p;
}

TEST(WatchLines, EachFormatPrintsTheShownPanesOnly) {
    const struct {
        WatchFormat format;
        std::string first, second;
    } cases[] = {
        {WatchFormat::Text, "T1\tTEMP1: 21.5 °C\tRH: 45.3 %\tPRESSURE: ???", "T2\tTEMP1: 21.5 °C\tRH: 45.3 %\tPRESSURE: ???"},
        {WatchFormat::Csv, "time,TEMP1,RH,PRESSURE\nT1,21.5,45.3,???", "T2,21.5,45.3,???"},
        {WatchFormat::Json, R"({"time":"T1","TEMP1":21.5,"RH":45.3,"PRESSURE":null})",
         R"({"time":"T2","TEMP1":21.5,"RH":45.3,"PRESSURE":null})"},
    };
    for (const auto& c : cases) {
        WatchLines lines(c.format);
        EXPECT_EQ(lines.next("T1", panes()), c.first);
        EXPECT_EQ(lines.next("T2", panes()), c.second);
    }
}

TEST(WatchLines, CsvHeaderComesAgainWhenTheChannelsChange) {
    WatchLines lines(WatchFormat::Csv);
    auto p = panes();
    lines.next("T1", p);
    p[kChannelPressure].visible = false;
    EXPECT_EQ(lines.next("T2", p), "time,TEMP1,RH\nT2,21.5,45.3");
}

TEST(WatchLines, JsonStringsEscapeQuotesBackslashesAndControls) {
    EXPECT_EQ(jsonString("a\"b\\c\n"), R"("a\"b\\c\u000a")");
}

}  // namespace
}  // namespace mr420::cli
