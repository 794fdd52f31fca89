#include "base/ValueFormat.h"
#include "ui/ValuePaneModel.h"
#include "support/TestSupport.h"

#include <clocale>
#include <string>

#include <gtest/gtest.h>

namespace mr420 {
namespace {

using mr420::test::LocaleGuard;

std::string pane(int kind, double v, bool unit = true, bool two = false) {
    return formatPaneValue(kind, v, unit, two).joined();
}

TEST(ValueFormat, CutToTenthsSurvivesFloatingError) {
    LocaleGuard c("C");
    EXPECT_EQ(formatTenthsCut(21.56), "21.5");          // 21.46 after the parser's rounding step
    EXPECT_EQ(formatTenthsCut(21.559999999), "21.5");
    EXPECT_EQ(formatTenthsCut(21.5), "21.5");
    EXPECT_EQ(formatTenthsCut(21.499999999), "21.5");   // 21.5 held with floating error
    EXPECT_EQ(formatTenthsCut(0.1 + 0.2), "0.3");
    EXPECT_EQ(formatTenthsCut(23.47), "23.4");
    EXPECT_EQ(formatTenthsCut(-23.47), "-23.4");
    EXPECT_EQ(formatTenthsCut(-5.37), "-5.3");
    EXPECT_EQ(formatTenthsCut(-0.05), "0.0");            // never "-0.0"
    EXPECT_EQ(formatTenthsCut(-0.15), "-0.1");
    EXPECT_EQ(formatTenthsCut(0.0), "0.0");
    EXPECT_DOUBLE_EQ(cutToTenths(45.46), 45.4);
    EXPECT_DOUBLE_EQ(cutToTenths(-12.99), -12.9);
    EXPECT_DOUBLE_EQ(cutToTenths(1e20), 1e20);
}

TEST(ValueFormat, KindsWithUnit) {
    LocaleGuard c("C");
    EXPECT_EQ(pane(3, 23.47), "23.4 °C");
    EXPECT_EQ(pane(3, 23.47, true, true), "23.47 °C");
    EXPECT_EQ(pane(3, -0.05), "0.0 °C");
    EXPECT_EQ(pane(3, -7.56), "-7.5 °C");
    EXPECT_EQ(pane(5, 1013.27), "1013.3 hPa");   // ordinary rounding
    EXPECT_EQ(pane(5, 1013.25, true, true), "1013.2 hPa");  // twoDecimals does not apply, %.1f of binary 1013.25
    EXPECT_EQ(pane(7, 45.0), "45.0 %");
    EXPECT_EQ(pane(7, 45.46), "45.4 %");         // panel 45.36 %, stored rounded up: no second rounding
    EXPECT_EQ(pane(7, 99.99), "99.9 %");
    EXPECT_EQ(pane(8, 1234.4), "1234 ppm");
    EXPECT_EQ(pane(8, 1234.5), "1234 ppm");      // round half to even of the formatter
    EXPECT_EQ(pane(8, 1234.6), "1235 ppm");
    EXPECT_EQ(pane(2, 1.234), "1.23 kLx");
    EXPECT_EQ(pane(4, 179.6), "180 °");
    EXPECT_EQ(pane(6, 3.46), "3.5 m/s");
    EXPECT_EQ(pane(0, 3.0), "");
    EXPECT_EQ(pane(9, 3.0), "");

    PaneValueText irradiance = formatPaneValue(1, 12.34, true, false);
    EXPECT_EQ(irradiance.text, "12.3 W/m");
    EXPECT_EQ(irradiance.superscript, "2");
}

TEST(ValueFormat, KindsWithoutUnit) {
    LocaleGuard c("C");
    EXPECT_EQ(pane(1, 23.47, false), "23.4");
    EXPECT_EQ(pane(1, 23.47, false, true), "23.47");
    EXPECT_EQ(pane(5, 1013.27, false), "1013.2");   // the one/two-decimal rule cuts
    EXPECT_EQ(pane(7, -23.47, false), "-23.4");
    EXPECT_EQ(pane(2, 1.5, false), "1.50");
    EXPECT_EQ(pane(4, 10.4, false), "10");
    EXPECT_EQ(pane(8, 10.6, false), "11");
    EXPECT_TRUE(formatPaneValue(1, 5, false, false).superscript.empty());
}

TEST(ValueFormat, PolishLocaleUsesComma) {
    LocaleGuard pl("pl_PL.UTF-8");
    if (!pl.ok()) GTEST_SKIP() << "pl_PL.UTF-8 locale not installed";
    EXPECT_EQ(pane(3, 21.56), "21,5 °C");
    EXPECT_EQ(pane(3, 21.37, true, true), "21,37 °C");
    EXPECT_EQ(pane(7, 45.46), "45,4 %");
    EXPECT_EQ(pane(5, 1013.27), "1013,3 hPa");
    EXPECT_EQ(pane(8, 12345.0), "12345 ppm");
    EXPECT_EQ(formatTenthsCut(-0.05), "0,0");
    EXPECT_EQ(formatPaneValue(1, 2.25, true, false).text, "2,2 W/m");
}

}  // namespace
}  // namespace mr420
