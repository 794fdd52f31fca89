#include "ui/MainLayout.h"

#include <gtest/gtest.h>

namespace mr420 {
namespace {

LayoutConditions connectedWith(bool t1, bool t2, bool rh, bool pressure) {
    LayoutConditions c;
    c.connected = true;
    c.temperature1Available = t1;
    c.temperature2Available = t2;
    c.humidityAvailable = rh;
    c.pressureAbsent = !pressure;
    return c;
}

TEST(MainLayout, NotConnectedGivesTwoColumns) {
    MainLayout l = computeMainLayout(600, 400, 4, 20, LayoutConditions{});
    EXPECT_EQ(l.statusField, (Rect{4, 4, 472, 20}));
    EXPECT_EQ(l.clockField, (Rect{480, 4, 116, 20}));
    // T = 26, B = 396, D = 370; thirds at 149 and 272, halves at 211.
    EXPECT_EQ(l.panes[kChannelTemp1], (Rect{4, 30, 296, 119}));
    EXPECT_EQ(l.panes[kChannelRh], (Rect{4, 153, 296, 119}));
    EXPECT_EQ(l.panes[kChannelPressure], (Rect{4, 276, 296, 120}));
    EXPECT_EQ(l.panes[kChannelDp], (Rect{304, 30, 292, 181}));
    EXPECT_EQ(l.panes[kChannelWb], (Rect{304, 215, 292, 181}));
    EXPECT_FALSE(l.panes[kChannelTemp2].has_value());
}

TEST(MainLayout, OddWidthAndFrameLimits) {
    MainLayout l = computeMainLayout(601, 400, 0, 20, LayoutConditions{});   // F limited to 2
    EXPECT_EQ(l.statusField, (Rect{2, 2, 477, 20}));
    EXPECT_EQ(l.clockField, (Rect{481, 2, 118, 20}));
    EXPECT_EQ(l.panes[kChannelTemp1]->x, 2);
    EXPECT_EQ(l.panes[kChannelTemp1]->width, 298);
    EXPECT_EQ(l.panes[kChannelDp]->x, 302);
    EXPECT_EQ(l.panes[kChannelDp]->width, 297);
    // A wider clock text takes its width from the status field.
    const MainLayout wide = computeMainLayout(601, 400, 0, 20, LayoutConditions{}, 230);
    EXPECT_EQ(wide.statusField, (Rect{2, 2, 367, 20}));
    EXPECT_EQ(wide.clockField, (Rect{371, 2, 228, 20}));
    EXPECT_EQ(frameSpacing(25), 20);
    EXPECT_EQ(frameSpacing(7), 7);
}

TEST(MainLayout, TemperaturesAndPressureInThreeFullRows) {
    MainLayout l = computeMainLayout(600, 400, 4, 20, connectedWith(true, true, false, true));
    EXPECT_EQ(l.panes[kChannelTemp1], (Rect{4, 30, 592, 119}));
    EXPECT_EQ(l.panes[kChannelTemp2], (Rect{4, 153, 592, 119}));
    EXPECT_EQ(l.panes[kChannelPressure], (Rect{4, 276, 592, 120}));
    EXPECT_FALSE(l.panes[kChannelRh].has_value());
    EXPECT_FALSE(l.panes[kChannelDp].has_value());
}

TEST(MainLayout, RowChoice) {
    auto placed = [](const LayoutConditions& c) {
        MainLayout l = computeMainLayout(600, 400, 4, 20, c);
        std::string s;
        for (int ch = 0; ch < kChannelCount; ++ch) s += l.panes[ch] ? '1' : '0';
        return s;   // TEMP1 TEMP2 RH PRESSURE DP WB
    };
    EXPECT_EQ(placed(connectedWith(true, false, true, true)), "101111");
    EXPECT_EQ(placed(connectedWith(true, false, false, true)), "100100");
    EXPECT_EQ(placed(connectedWith(true, false, true, false)), "101011");
    EXPECT_EQ(placed(connectedWith(true, true, false, false)), "110000");
    EXPECT_EQ(placed(connectedWith(true, false, false, false)), "100000");
    EXPECT_EQ(placed(connectedWith(false, false, false, true)), "000100");
    EXPECT_EQ(placed(connectedWith(false, false, true, true)), "000100");
    EXPECT_EQ(placed(connectedWith(false, false, true, false)), "000000");
    EXPECT_EQ(placed(connectedWith(false, false, false, false)), "101011");

    // A single pane fills the pane area; two share it in halves.
    MainLayout one = computeMainLayout(600, 400, 4, 20, connectedWith(true, false, false, false));
    EXPECT_EQ(one.panes[kChannelTemp1], (Rect{4, 30, 592, 366}));
    MainLayout two = computeMainLayout(600, 400, 4, 20, connectedWith(true, false, false, true));
    EXPECT_EQ(two.panes[kChannelPressure], (Rect{4, 215, 592, 181}));
}

TEST(WindowSizeState, RecordsSizesAndReactions) {
    WindowSizeState s;
    auto r = s.onSize(SizeKind::Restored, 600, 400, true);
    EXPECT_FALSE(r.layOut);
    EXPECT_FALSE(r.recordWindowRect);
    EXPECT_EQ(s.restoredWidth, 600);

    r = s.onSize(SizeKind::Maximised, 1920, 1000, false);
    EXPECT_TRUE(r.layOut);
    EXPECT_FALSE(r.recordWindowRect);
    EXPECT_TRUE(s.maximised);
    EXPECT_EQ(s.currentWidth(), 1920);
    EXPECT_EQ(s.restoredWidth, 600);
    EXPECT_FALSE(recordsPositionOnMove(false, s.maximised));

    r = s.onSize(SizeKind::Minimised, 0, 0, false);
    EXPECT_FALSE(s.maximised);
    EXPECT_EQ(s.currentHeight(), 400);

    r = s.onSize(SizeKind::Restored, 640, 480, false);
    EXPECT_TRUE(r.recordWindowRect);
    EXPECT_EQ(s.currentWidth(), 640);
    EXPECT_TRUE(recordsPositionOnMove(false, false));
    EXPECT_FALSE(recordsPositionOnMove(true, false));
}

TEST(WindowRectCorrection, MovesBackOntoTheScreen) {
    EXPECT_EQ(correctWindowRect({100, 100, 700, 500}, 1920, 1080), (WindowRect{100, 100, 700, 500}));
    EXPECT_EQ(correctWindowRect({1500, 900, 2100, 1300}, 1920, 1080), (WindowRect{1320, 680, 1920, 1080}));
    EXPECT_EQ(correctWindowRect({1500, 100, 1930, 500}, 1920, 1080), (WindowRect{1500, 100, 1930, 500}));
    EXPECT_EQ(correctWindowRect({-50, -11, 500, 400}, 1920, 1080), (WindowRect{0, 0, 500, 400}));
    EXPECT_EQ(correctWindowRect({-10, -10, 500, 400}, 1920, 1080), (WindowRect{-10, -10, 500, 400}));
    EXPECT_EQ(centredIconOffset(100, 32), 34);
}

}  // namespace
}  // namespace mr420

namespace mr420 {
namespace {

TEST(RecordedWindowRect, KeepsTheRestoredRectangleWhateverTheOrderOfNotifications) {
    const Rect work{0, 0, 1920, 1050};
    RecordedWindowRect r({100, 100, 600, 400});
    r.record({150, 120, 600, 400});
    // State change first: nothing was recorded from the maximised geometry.
    r.windowMaximised(work);
    EXPECT_EQ(r.current(), (Rect{150, 120, 600, 400}));
    // Geometry first: the maximised frame arrives as if restored, perhaps twice.
    r.record({-4, -4, 1928, 1058});
    r.record({0, 0, 1920, 1050});
    r.windowMaximised(work);
    EXPECT_EQ(r.current(), (Rect{150, 120, 600, 400}));
    // A window that was never anything but large keeps its one rectangle.
    RecordedWindowRect large({0, 0, 1920, 1050});
    large.windowMaximised(work);
    EXPECT_EQ(large.current(), (Rect{0, 0, 1920, 1050}));
}

}  // namespace
}  // namespace mr420
