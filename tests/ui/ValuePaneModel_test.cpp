#include "ui/ValuePaneModel.h"

#include <clocale>

#include <gtest/gtest.h>

namespace mr420 {
namespace {

struct RecordingListener : ValuePaneListener {
    int repaints = 0;
    int starts = 0;
    int stops = 0;
    void repaintNow() override { ++repaints; }
    void startBlinkTimer() override { ++starts; }
    void stopBlinkTimer() override { ++stops; }
};

class ValuePaneModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::setlocale(LC_ALL, "C");
        pane.setListener(&listener);
    }
    ValuePaneModel pane;
    RecordingListener listener;
};

TEST_F(ValuePaneModelTest, FreshPaneShowsQuestionMarks) {
    EXPECT_FALSE(pane.hasValue);
    EXPECT_EQ(pane.displayKind, 0);
    EXPECT_EQ(pane.formattedValue(), "???");
    pane.setKind(3, 3, true);
    EXPECT_EQ(pane.formattedValue(), "???");
}

TEST_F(ValuePaneModelTest, SetValueRepaintsOnlyOnChange) {
    pane.setKind(3, 3, true);
    listener.repaints = 0;
    pane.setValue(23.47);
    pane.setValue(23.47);
    EXPECT_EQ(listener.repaints, 1);
    EXPECT_EQ(pane.formattedValue(), "23.4 °C");
    pane.setNoValue();
    pane.setNoValue();   // always repaints
    EXPECT_EQ(listener.repaints, 3);
    pane.setValue(23.47);   // same value, but the no-value state is cleared
    EXPECT_EQ(listener.repaints, 4);
    EXPECT_TRUE(pane.hasValue);
}

TEST_F(ValuePaneModelTest, KindAndTwoDecimalsRepaintOnlyWhenChanged) {
    pane.setKind(3, 3, true);
    pane.setKind(3, 3, true);
    EXPECT_EQ(listener.repaints, 1);
    pane.setTwoDecimals(false);
    EXPECT_EQ(listener.repaints, 1);
    pane.setValue(23.47);
    pane.setTwoDecimals(true);
    EXPECT_EQ(listener.repaints, 3);
    EXPECT_EQ(pane.formattedValue(), "23.47 °C");
}

TEST_F(ValuePaneModelTest, BlinkingKeepsOneTimerAndRevealsHiddenValue) {
    pane.setBlinking(true);
    pane.setBlinking(true);
    EXPECT_EQ(listener.starts, 1);
    EXPECT_TRUE(pane.blinking);
    EXPECT_FALSE(pane.valid());
    pane.blinkTick();
    EXPECT_TRUE(pane.blinkHidden);
    int before = listener.repaints;
    pane.setBlinking(false);
    EXPECT_EQ(listener.stops, 1);
    EXPECT_FALSE(pane.blinkHidden);
    EXPECT_EQ(listener.repaints, before + 1);
    pane.setBlinking(false);   // nothing running, nothing hidden
    EXPECT_EQ(listener.stops, 1);
    EXPECT_EQ(listener.repaints, before + 1);
}

TEST_F(ValuePaneModelTest, UnitConversionBetweenIrradianceAndIlluminance) {
    pane.setValue(100);
    pane.setKind(1, 2, true);
    EXPECT_NEAR(pane.displayValue(), 68.02721088435374, 1e-12);
    pane.setKind(2, 1, true);
    EXPECT_DOUBLE_EQ(pane.displayValue(), 147);
    EXPECT_EQ(pane.formattedValue(), "147.0 W/m2");
    pane.setKind(3, 5, true);
    EXPECT_DOUBLE_EQ(pane.displayValue(), 100);
}

TEST(ChannelTable, TitlesKindsAndControls) {
    EXPECT_STREQ(kChannels[kChannelTemp1].name, "TEMP1");
    EXPECT_EQ(kChannels[kChannelRh].titleStringId, 157);
    EXPECT_EQ(kChannels[kChannelRh].displayKind, 7);
    EXPECT_EQ(kChannels[kChannelPressure].controlId, 1005);
    EXPECT_EQ(kChannels[kChannelDp].displayKind, 3);
    EXPECT_EQ(kChannels[kChannelWb].controlId, 1008);
    EXPECT_EQ(kChannels[kChannelTemp1].defaultBackground, 202u + 256u * 228 + 65536u * 255);
}

}  // namespace
}  // namespace mr420
