// The models of the four alarm dialogs: ranges, conversions to tenths, the
// repeat time, the deferral, the power-loss delay rule, and what their writes
// put on the wire. Frames are compared without their LRC and line end.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "config/AlarmModels.h"
#include "protocol/CommandBuilder.h"
#include "protocol/PanelCommand.h"

namespace mr420 {
namespace {

using Ch = AlarmChannel;

// The frame of `command` without its two LRC digits and CR LF.
std::string body(PanelCommand command, const WriteArguments& a, const ChainCounters& c = {}) {
    const std::string f = CommandBuilder::buildFrame(static_cast<int>(command), a, c);
    return f.size() >= 4 ? f.substr(0, f.size() - 4) : f;
}

std::string thresholdFrame(const WriteArguments& a, int index) {
    ChainCounters c;
    c.thresholdIndex = index;
    return body(PanelCommand::WriteThreshold, a, c);
}

std::string exceedanceFrame(const WriteArguments& a, int index) {
    ChainCounters c;
    c.exceedanceIndex = index;
    return body(PanelCommand::WriteExceedanceLimit, a, c);
}

TEST(AlarmThresholdSlots, SlotOrderChannelsAndBits) {
    struct Case {
        Ch channel;
        bool upper;
        std::uint32_t bit;
    };
    const Case expected[kThresholdSlotCount] = {
        {Ch::Temperature1, false, 1},     {Ch::Temperature1, true, 2},     {Ch::Temperature2, false, 4},
        {Ch::Temperature2, true, 8},      {Ch::RelativeHumidity, false, 16}, {Ch::RelativeHumidity, true, 32},
        {Ch::Pressure, false, 64},        {Ch::Pressure, true, 128},
    };
    for (int s = 0; s < kThresholdSlotCount; ++s) {
        const ThresholdSlot& slot = kThresholdSlots[static_cast<std::size_t>(s)];
        EXPECT_EQ(slot.channel, expected[s].channel) << s;
        EXPECT_EQ(slot.upper, expected[s].upper) << s;
        EXPECT_EQ(slot.bit, expected[s].bit) << s;
    }
}

TEST(AlarmThresholdRanges, TenthsCutTowardsZero) {
    struct Case {
        double display;
        std::int64_t tenths;
    };
    const Case cases[] = {
        {1013.2, 10132}, {-12.5, -125}, {550.0, 5500}, {99.9, 999}, {0.3, 3},  {0.7, 7},
        {12.39, 123},    {-12.59, -125}, {-0.05, 0},   {8.2, 82},   {NAN, 0}, {1e300, 1000000000000000},
        {-1e300, -1000000000000000},
    };
    for (const Case& c : cases) EXPECT_EQ(tenthsFromDisplay(c.display), c.tenths) << c.display;
}

TEST(AlarmThresholdRanges, LeavingAFieldOutsideItsRangeGivesTheRangesText) {
    struct Case {
        bool hysteresis;
        Ch channel;
        double value;
        const char* text;   // nullptr: the field keeps its text
    };
    const Case cases[] = {
        {false, Ch::Temperature1, 550.1, "550.0"},   {false, Ch::Temperature1, 550.0, nullptr},
        {false, Ch::Temperature2, -200.1, "-200.0"}, {false, Ch::Temperature2, -200.0, nullptr},
        {false, Ch::RelativeHumidity, 100, "99.9"},  {false, Ch::RelativeHumidity, -0.1, "0.0"},
        {false, Ch::Pressure, 1300, "1200.0"},       {false, Ch::Pressure, 0, "500.0"},
        {false, Ch::Pressure, 1013.2, nullptr},      {true, Ch::Temperature1, 100.0, nullptr},
        {true, Ch::Temperature1, 100.1, "100.0"},    {true, Ch::Pressure, -0.1, "0.0"},
        {true, Ch::RelativeHumidity, 100.0, "99.9"}, {true, Ch::RelativeHumidity, 99.9, nullptr},
    };
    for (const Case& c : cases) {
        const TenthsRange& r = c.hysteresis ? hysteresisRange(c.channel) : thresholdRange(c.channel);
        const char* got = r.correctionFor(c.value);
        if (c.text == nullptr)
            EXPECT_EQ(got, nullptr) << c.value;
        else
            EXPECT_STREQ(got, c.text) << c.value;
    }
}

TEST(ModemThresholdsModel, ThresholdsAndHysteresisOnTheWire) {
    struct Case {
        int slot;   // 64..67: hysteresis
        double entered;
        const char* frame;
    };
    const Case cases[] = {
        {0, -12.5, "025E0000FFFF83"},   // -125 + 16777216
        {0, 550.0, "025E000000157C"},
        {1, 1300, "025E000100157C"},    // held at 550.0
        {2, -300, "025E0002FFF830"},    // held at -200.0
        {3, -0.05, "025E0003000000"},
        {4, -5, "025E0004000000"},
        {5, 99.95, "025E00050003E7"},
        {6, 1013.2, "025E0006002794"},
        {7, 1300, "025E0007002EE0"},   // held at 1200.0
        {64, 150, "025E00400003E8"},    // held at 100.0
        {65, -3, "025E0041000000"},
        {66, 100.0, "025E00420003E7"},  // RH: held at 99.9
        {67, 12.34, "025E004300007B"},
    };
    for (const Case& c : cases) {
        ModemThresholdsModel m;
        m.reset(PanelState{});
        if (c.slot >= 64)
            m.setHysteresis(static_cast<Ch>(c.slot - 64), c.entered);
        else
            m.thresholds().setValue(c.slot, c.entered);
        WriteArguments a;
        m.store(a);
        EXPECT_EQ(thresholdFrame(a, c.slot), c.frame) << c.slot << " " << c.entered;
    }
}

TEST(ExceedanceModel, LimitsFlagsAndDeferralOnTheWire) {
    ExceedanceModel m;
    m.reset(PanelState{});
    m.thresholds().setValue(0, -12.5);
    m.thresholds().setValue(6, 1013.2);
    m.thresholds().setValue(5, 250);
    for (int slot : {0, 3, 7}) m.thresholds().setEnabled(slot, true);
    m.thresholds().setEnabled(3, false);
    m.thresholds().setEnabled(4, true);
    WriteArguments a;
    struct Case {
        std::int64_t deferral;
        const char* frame;
    };
    for (const Case& c : {Case{95, "026D00005A"}, Case{90, "026D00005A"}, Case{45, "026D00002D"},
                          Case{-1, "026D000000"}, Case{0, "026D000000"}}) {
        m.setDeferral(c.deferral);
        m.store(a);
        EXPECT_EQ(body(PanelCommand::WriteExceedanceDelay, a), c.frame) << c.deferral;
    }
    EXPECT_EQ(exceedanceFrame(a, 0), "02690000FFFF83");
    EXPECT_EQ(exceedanceFrame(a, 5), "026900050003E7");
    EXPECT_EQ(exceedanceFrame(a, 6), "02690006002794");
    EXPECT_EQ(exceedanceFrame(a, 7), "02690007001388");   // an empty field: 500.0
    EXPECT_EQ(body(PanelCommand::WriteExceedanceFlags, a), "026B000091");
}

TEST(ModemThresholdsModel, RepeatTimeFromTheFields) {
    struct Case {
        std::int64_t hours, minutes;
        RepeatTime kept;
        const char* frame;
    };
    const Case cases[] = {
        {1, 5, {1, 10}, "0253000007"},   {0, 3, {0, 10}, "0253000001"},   {25, 0, {24, 0}, "0253000090"},
        {24, 50, {24, 50}, "0253000095"}, {24, 59, {24, 50}, "0253000095"}, {2, 55, {2, 50}, "0253000011"},
        {0, 0, {0, 0}, "0253000000"},    {0, 60, {0, 50}, "0253000005"},   {-3, -15, {0, 0}, "0253000000"},
        {0, 10, {0, 10}, "0253000001"},  {0, 9, {0, 10}, "0253000001"},   {3, 1, {3, 10}, "0253000013"},
        {99999999999, 99999999999, {24, 50}, "0253000095"},
    };
    for (const Case& c : cases) {
        ModemThresholdsModel m;
        m.setRepeatTime(c.hours, c.minutes);
        EXPECT_EQ(m.repeatTime(), c.kept) << c.hours << ":" << c.minutes;
        WriteArguments a;
        m.store(a);
        EXPECT_EQ(body(PanelCommand::WriteAlarmRepeatTime, a), c.frame) << c.hours << ":" << c.minutes;
    }
}

TEST(ModemThresholdsModel, RepeatTimeFromThePanel) {
    struct Case {
        std::int32_t units;
        RepeatTime shown;
        const char* frame;   // OK straight away
    };
    const Case cases[] = {
        {160, {24, 40}, "0253000094"},   {7, {1, 10}, "0253000007"},     {149, {24, 50}, "0253000095"},
        {65535, {24, 30}, "0253000093"}, {0, {0, 0}, "0253000000"},      {-6, {0, 0}, "0253000000"},
    };
    for (const Case& c : cases) {
        PanelState s;
        s.alarmRepeatTime = c.units;
        ModemThresholdsModel m;
        m.fill(s);
        EXPECT_EQ(m.repeatTime(), c.shown) << c.units;
        WriteArguments a;
        m.store(a);
        EXPECT_EQ(body(PanelCommand::WriteAlarmRepeatTime, a), c.frame) << c.units;
    }
}

TEST(ModemThresholdsModel, BadPanelValuesComeBackInRange) {
    PanelState s;
    s.alarmThresholds = {-3000, 6000, -2001, 5501, -1, 1000, 400, 20000};
    s.alarmHysteresis = {1001, -5, 1000, 0x7FFFFFFF};
    s.alarmThresholdFlags = 0xFF05;
    s.alarmRepeatTime = 65535;
    ModemThresholdsModel m;
    m.fill(s);
    WriteArguments a;
    m.store(a);
    const char* frames[] = {"025E0000FFF830", "025E000100157C", "025E0002FFF830", "025E000300157C",
                            "025E0004000000", "025E00050003E7", "025E0006001388", "025E0007002EE0"};
    for (int slot = 0; slot < kThresholdSlotCount; ++slot) EXPECT_EQ(thresholdFrame(a, slot), frames[slot]) << slot;
    const char* hysteresis[] = {"025E00400003E8", "025E0041000000", "025E00420003E7", "025E00430003E8"};
    for (int i = 0; i < kAlarmChannelCount; ++i) EXPECT_EQ(thresholdFrame(a, 64 + i), hysteresis[i]) << i;
    EXPECT_EQ(body(PanelCommand::WriteThresholdFlags, a), "0261000005");
    EXPECT_EQ(body(PanelCommand::WriteAlarmRepeatTime, a), "0253000093");
    EXPECT_TRUE(m.thresholds().enabled(0));
    EXPECT_FALSE(m.thresholds().enabled(1));
    EXPECT_TRUE(m.thresholds().enabled(2));
}

TEST(ExceedanceModel, BadPanelValuesComeBackInRange) {
    PanelState s;
    s.exceedanceLimits = {-100000, 100000, 125, -125, -7, 5000, 4999, 12001};
    s.exceedanceFlags = 0x1C0;
    s.exceedanceDelay = 65535;
    ExceedanceModel m;
    m.fill(s);
    WriteArguments a;
    m.store(a);
    const char* frames[] = {"02690000FFF830", "0269000100157C", "0269000200007D", "02690003FFFF83",
                            "02690004000000", "026900050003E7", "02690006001388", "02690007002EE0"};
    for (int slot = 0; slot < kThresholdSlotCount; ++slot) EXPECT_EQ(exceedanceFrame(a, slot), frames[slot]) << slot;
    EXPECT_EQ(body(PanelCommand::WriteExceedanceFlags, a), "026B0000C0");
    EXPECT_EQ(body(PanelCommand::WriteExceedanceDelay, a), "026D00005A");
    EXPECT_EQ(m.deferral(), 90);
}

TEST(ThresholdModels, OpeningClearsWhatTheLastShowingLeft) {
    PanelState s;
    s.alarmThresholds = {10, 20, 30, 40, 50, 60, 10000, 11000};
    s.alarmHysteresis = {1, 2, 3, 4};
    s.alarmThresholdFlags = 0xFF;
    s.alarmRepeatTime = 7;
    s.exceedanceLimits = s.alarmThresholds;
    s.exceedanceFlags = 0xFF;
    s.exceedanceDelay = 30;
    ModemThresholdsModel modem;
    ExceedanceModel exceedance;
    modem.fill(s);
    exceedance.fill(s);
    modem.reset(s);
    exceedance.reset(s);
    WriteArguments a;
    modem.store(a);
    exceedance.store(a);
    const std::array<std::int32_t, 8> empty{0, 0, 0, 0, 0, 0, 5000, 5000};   // pressure at 500.0
    EXPECT_EQ(a.alarmThresholds, empty);
    EXPECT_EQ(a.exceedanceLimits, empty);
    EXPECT_EQ(a.alarmHysteresis, (std::array<std::int32_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(a.alarmThresholdFlags, 0u);
    EXPECT_EQ(a.exceedanceFlags, 0u);
    EXPECT_EQ(a.alarmRepeatTime, 0u);
    EXPECT_EQ(a.exceedanceDelay, 0u);
}

TEST(BatteryAlarmModel, OnlyOnWrites01) {
    struct Case {
        AlarmSwitch alarm;
        const char* frame;
    };
    for (const Case& c : {Case{AlarmSwitch::On, "02670001"}, Case{AlarmSwitch::Off, "02670000"},
                          Case{AlarmSwitch::Unset, "02670000"}}) {
        BatteryAlarmModel m;
        m.setAlarm(c.alarm);
        WriteArguments a;
        m.store(a);
        EXPECT_EQ(body(PanelCommand::WriteBatteryAlarm, a), c.frame) << static_cast<int>(c.alarm);
    }
    PanelState s;
    s.batteryAlarm = 7;
    BatteryAlarmModel m;
    m.fill(s);
    EXPECT_EQ(m.alarm(), AlarmSwitch::On);
    m.reset(s);   // OK before the settings arrive writes 00
    WriteArguments a;
    a.batteryAlarm = 1;
    m.store(a);
    EXPECT_EQ(a.batteryAlarm, 0u);
    s.batteryAlarm = 0;
    m.fill(s);
    EXPECT_EQ(m.alarm(), AlarmSwitch::Off);
}

TEST(PowerLossModel, TheDelayCountsOnlyWithTheAlarmOn) {
    struct Case {
        AlarmSwitch chosen;
        std::int64_t field;
        bool refused;
        const char* alarmFrame;
        const char* delayFrame;
    };
    // The panel reported the alarm on with 15 minutes.
    const Case cases[] = {
        {AlarmSwitch::On, 61, true, "02720001", "027300000F"},
        {AlarmSwitch::On, -1, true, "02720001", "027300000F"},
        {AlarmSwitch::On, 60, false, "02720001", "027300003C"},
        {AlarmSwitch::On, 0, false, "02720001", "0273000000"},
        {AlarmSwitch::Off, 999, false, "02720000", "027300000F"},
        {AlarmSwitch::Off, 30, false, "02720000", "027300000F"},
        {AlarmSwitch::Unset, 61, false, "02720000", "027300000F"},
    };
    for (const Case& c : cases) {
        PanelState s;
        s.powerLossAlarm = 1;
        s.powerLossDelay = 15;
        PowerLossModel m;
        m.fill(s);
        m.setAlarm(c.chosen);
        m.setDelayField(c.field);
        const UserMessage message = m.accept();
        if (c.refused)
            EXPECT_EQ(message, (UserMessage{321, MessageIcon::None})) << c.field;
        else
            EXPECT_FALSE(message) << c.field;
        WriteArguments a;
        m.store(a);
        EXPECT_EQ(body(PanelCommand::WritePowerLossAlarm, a), c.alarmFrame) << c.field;
        EXPECT_EQ(body(PanelCommand::WritePowerLossDelay, a), c.delayFrame) << c.field;
    }
}

TEST(PowerLossModel, TheLastConfirmedDelayOutlivesTheShowing) {
    PanelState s;
    s.powerLossAlarm = 0;
    s.powerLossDelay = 20;
    PowerLossModel m;
    m.fill(s);
    EXPECT_EQ(m.alarm(), AlarmSwitch::Off);
    m.setAlarm(AlarmSwitch::On);
    m.setDelayField(45);
    EXPECT_FALSE(m.accept());
    m.reset(s);   // the next showing, before the settings arrive
    EXPECT_EQ(m.alarm(), AlarmSwitch::Unset);
    EXPECT_EQ(m.delay(), 45);
    m.setAlarm(AlarmSwitch::Off);
    m.setDelayField(7);
    EXPECT_FALSE(m.accept());
    WriteArguments a;
    m.store(a);
    EXPECT_EQ(a.powerLossAlarm, 0u);
    EXPECT_EQ(a.powerLossDelay, 45u);
}

}  // namespace
}  // namespace mr420
