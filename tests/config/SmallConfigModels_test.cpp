// The numeric field's reading rule and the models of the clock, auto-off and
// default-pressure dialogs.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <string_view>

#include "base/StringTable.h"
#include "config/NumericText.h"
#include "config/SmallConfigModels.h"

namespace mr420 {
namespace {

TEST(NumericText, ReadingAndRewriting) {
    struct Case {
        const char* text;
        int decimals;
        double value;
        const char* shown;
        bool error;
    };
    const Case cases[] = {
        {"12,34", 1, 12.3, "12.3", false},   // cut, not rounded; the comma becomes a full stop
        {"12.39", 1, 12.3, "12.3", false},
        {"-0.5", 1, -0.5, "-0.5", false},
        {"1013", 0, 1013, "1013", false},
        {"12,99", 0, 12, "12", false},
        {"7", 2, 7, "7.00", false},
        {"", 0, 0, "0", false},
        {"-", 0, 0, "0", false},
        {".", 1, 0, "0.0", false},
        {"12abc", 0, 12, "12", false},
        {"1.2.3", 1, 0, "1.2.3", true},
        {"1,2.3", 1, 0, "1,2.3", true},
        {"5-", 0, 0, "5-", true},
        {"--5", 0, 0, "--5", true},
    };
    for (const Case& c : cases) {
        const NumericReading r = readNumericText(c.text, c.decimals);
        EXPECT_DOUBLE_EQ(r.value, c.value) << c.text;
        EXPECT_EQ(r.text, c.shown) << c.text;
        EXPECT_EQ(static_cast<bool>(r.error), c.error) << c.text;
        if (c.error) {
            EXPECT_EQ(r.error, (UserMessage{315, MessageIcon::Exclamation}));
        }
    }
}

TEST(NumericText, AnyLengthStaysFinite) {
    const NumericReading many = readNumericText(std::string(400, '9') + "," + std::string(400, '9'), 1);
    EXPECT_EQ(many.value, 999999999999999.9);
    EXPECT_EQ(many.text, "999999999999999.9");
    EXPECT_FALSE(many.error);
    EXPECT_EQ(readNumericText(std::string(50, ','), 1).text, std::string(50, ','));
}

TEST(NumericText, KeysThatReachTheField) {
    for (char32_t c : std::u32string_view(U"0123456789.,-\b")) EXPECT_TRUE(numericKeyAccepted(c)) << static_cast<int>(c);
    for (char32_t c : std::u32string_view(U"aZ +e;ą")) EXPECT_FALSE(numericKeyAccepted(c)) << static_cast<int>(c);
}

TEST(ClockModel, FollowsItsSourceUntilTheUserChangesTheTime) {
    ClockModel m;
    m.reset(PanelState{});
    const LocalTime panel{2026, 12, 8, 10, 0, 0};
    EXPECT_TRUE(m.follow(panel));   // the first step always shows
    EXPECT_FALSE(m.follow(panel));
    EXPECT_TRUE(m.follow({2026, 12, 8, 10, 0, 1}));
    EXPECT_TRUE(m.followPc());
    EXPECT_FALSE(m.followPc());   // once a showing
    EXPECT_EQ(m.source(), ClockModel::Source::Pc);
    m.stopFollowing();
    EXPECT_FALSE(m.follow({2030, 1, 1, 0, 0, 0}));
    m.reset(PanelState{});
    EXPECT_EQ(m.source(), ClockModel::Source::Panel);
    EXPECT_TRUE(m.follow(panel));
}

TEST(ClockModel, ADateBefore2000IsRefusedBeforeAnythingIsSent) {
    ClockModel m;
    m.setTime({1999, 12, 31, 23, 59, 59});
    EXPECT_EQ(m.accept(), (UserMessage{316, MessageIcon::Information}));
    m.setTime({2000, 1, 1, 0, 0, 0});
    EXPECT_FALSE(m.accept());
    WriteArguments args;
    args.clockSeconds = 99;
    m.store(args);
    EXPECT_EQ(args.clockSeconds, 0u);
}

TEST(AutoOffModel, SecondsToUnitsOfFive) {
    struct Case {
        int seconds;
        int units;
    };
    for (const Case& c : {Case{0, 0}, Case{3, 1}, Case{5, 1}, Case{7, 1}, Case{10, 2}, Case{1255, 251}, Case{5000, 251}}) {
        AutoOffModel m;
        m.setSeconds(c.seconds);
        WriteArguments args;
        m.store(args);
        EXPECT_EQ(args.autoOffTime, static_cast<std::uint32_t>(c.units)) << c.seconds;
    }
}

TEST(AutoOffModel, ARepliedValueBeyondTheRangeShowsTheNearest) {
    PanelState s;
    AutoOffModel m;
    s.autoOffTime = 36;
    m.fill(s);
    EXPECT_EQ(m.seconds(), 180);
    s.autoOffTime = 255;   // 21:15, beyond 20:55
    m.fill(s);
    EXPECT_EQ(m.seconds(), 20 * 60 + 55);
    EXPECT_EQ(m.units(), 251);
    m.reset(s);
    EXPECT_EQ(m.seconds(), 0);
}

TEST(DefaultPressureModel, HectopascalsToCodes) {
    struct Case {
        double entered;
        int shown;
        int code;
    };
    const Case cases[] = {{1013, 1013, 161}, {1201, 1200, 255}, {1200, 1200, 255}, {600, 690, 0},
                          {691, 691, 0},     {692.9, 692, 1},   {-5, 690, 0},      {NAN, 690, 0}};
    for (const Case& c : cases) {
        DefaultPressureModel m;
        m.setHpa(c.entered);
        EXPECT_EQ(m.hpa(), c.shown) << c.entered;
        WriteArguments args;
        m.store(args);
        EXPECT_EQ(args.defaultPressure, static_cast<std::uint32_t>(c.code)) << c.entered;
    }
}

TEST(DefaultPressureModel, FillsFromTheCodeWithinTheRange) {
    PanelState s;
    DefaultPressureModel m;
    s.defaultPressure = 161;
    m.fill(s);
    EXPECT_EQ(m.hpa(), 1012);   // 1013 written comes back as 1012
    s.defaultPressure = 255;
    m.fill(s);
    EXPECT_EQ(m.hpa(), 1200);
    s.defaultPressure = 65535;
    m.fill(s);
    EXPECT_EQ(m.hpa(), 1200);
    m.reset(s);
    EXPECT_EQ(m.hpa(), 690);   // OK before the settings arrive writes 690 hPa
}

TEST(ClockModel, ATimePastThePanelsCountIsRefusedLikeOneBefore2000) {
    // The panel counts 2100 as a leap year: 0xFFFFFFFF is 2136-02-06 06:28:15.
    const std::pair<LocalTime, int> cases[] = {{{2136, 2, 6, 6, 28, 15}, 0},
                                               {{2136, 2, 6, 6, 28, 16}, string_id::kDateAfterPanelCount}};
    for (const auto& [time, refusal] : cases) {
        ClockModel m;
        m.setTime(time);
        EXPECT_EQ(m.accept().stringId, refusal) << time.year;
        if (!refusal) {
            EXPECT_EQ(panelSecondsSince2000(m.result()), UINT32_MAX);
        }
    }
}

}  // namespace
}  // namespace mr420
