// The rows of the colours and fonts dialogs: captions, control ids, panes.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/Channel.h"
#include "ui/PaneStyleRows.h"

using namespace mr420;

TEST(PaneStyleRows, ColourRowsNameTheirSwatchesAndPanes) {
    const ColourDialogRow expected[] = {
        {"Temperatura 1", 1040, 1046, kChannelTemp1},  {"Temperatura 2", 1041, 1047, kChannelTemp2},
        {"Wilg. względna", 1042, 1048, kChannelRh},    {"Ciśnienie", 1044, 1050, kChannelPressure},
        {"Punkt rosy", 1043, 1049, kChannelDp},        {"Zaw. pary wodnej", 1045, 1051, kChannelWb},
    };
    const auto& rows = colourDialogRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(std::string(rows[i].caption), expected[i].caption) << i;
        EXPECT_EQ(rows[i].backgroundSwatchId, expected[i].backgroundSwatchId) << i;
        EXPECT_EQ(rows[i].textSwatchId, expected[i].textSwatchId) << i;
        EXPECT_EQ(rows[i].channel, expected[i].channel) << i;
    }
}

TEST(PaneStyleRows, FontRowsNameTheirSamplesAndPanes) {
    const FontDialogRow expected[] = {
        {"Temperatura 1", 1039, kChannelTemp1}, {"Temperatura 2", 1041, kChannelTemp2},
        {"Wilg. względna", 1042, kChannelRh},   {"Ciśnienie", 1044, kChannelPressure},
        {"Punkt rosy", 1043, kChannelDp},       {"Zaw. pary wodnej", 1040, kChannelWb},
    };
    const auto& rows = fontDialogRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(std::string(rows[i].caption), expected[i].caption) << i;
        EXPECT_EQ(rows[i].sampleId, expected[i].sampleId) << i;
        EXPECT_EQ(rows[i].channel, expected[i].channel) << i;
    }
}

TEST(PaneStyleRows, EveryPaneHasOneRowAndIdsAreUnique) {
    std::set<int> channels, swatches, fontChannels, samples;
    for (const auto& r : colourDialogRows()) {
        channels.insert(r.channel);
        swatches.insert(r.backgroundSwatchId);
        swatches.insert(r.textSwatchId);
    }
    for (const auto& r : fontDialogRows()) {
        fontChannels.insert(r.channel);
        samples.insert(r.sampleId);
    }
    EXPECT_EQ(channels.size(), std::size_t(kChannelCount));
    EXPECT_EQ(fontChannels.size(), std::size_t(kChannelCount));
    EXPECT_EQ(swatches.size(), 12u);
    EXPECT_EQ(samples.size(), 6u);
}
