// The memory-logging settings model: the flags word and the interval both
// ways, replies no setting can mean, the interval fields' limits, the
// enabling rules, temperature 2 by firmware, the interval message and the
// program's two column choices.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "base/StringTable.h"
#include "config/LoggingSettingsModel.h"
#include "support/PanelStates.h"

namespace mr420 {
namespace {

using Range = LoggingRange;
using Res = LoggingResolution;
using Field = LoggingField;

using test::loggingPanel;

// A model that has shown the settings of `state`, as the dialog's run does.
LoggingSettingsModel filled(const PanelState& state) {
    LoggingSettingsModel m;
    m.reset(state);
    m.fill(state);
    return m;
}

WriteArguments written(const LoggingSettingsModel& m) {
    WriteArguments args;
    args.loggingInterval = 0xDEAD;
    args.loggingFlags = 0xDEAD;
    m.store(args);
    return args;
}

// --- filling ------------------------------------------------------------------------

TEST(LoggingSettingsFill, FlagsSetTheControlsAndOkWritesThemBack) {
    struct Case {
        std::int32_t flags;
        std::int32_t firmware;
        Range range;
        Res resolution;
        bool t1, rh, pressure, t2, overwrite;
        std::uint32_t writtenBack;
    };
    const Case cases[] = {
        // Flags 0: range -40...+85, resolution 0.1, TEMP1, RH and PRESSURE logged.
        {0x0000, 130, Range::Narrow, Res::Tenths, true, true, true, false, false, 0x0000},
        {0x0001, 130, Range::Narrow, Res::Hundredths, true, true, true, false, false, 0x0001},
        {0x0002, 130, Range::Wide, Res::Tenths, true, true, true, false, false, 0x0002},
        {0x0004, 130, Range::Narrow, Res::Tenths, false, true, true, false, false, 0x0004},
        {0x0008, 130, Range::Narrow, Res::Tenths, true, false, true, false, false, 0x0008},
        {0x0010, 130, Range::Narrow, Res::Tenths, true, true, false, false, false, 0x0010},
        {0x0020, 130, Range::Narrow, Res::Tenths, true, true, true, false, true, 0x0020},
        {0x0040, 130, Range::Narrow, Res::Auto, true, true, true, false, false, 0x0040},
        {0x0080, 130, Range::Auto, Res::Tenths, true, true, true, false, false, 0x0080},
        {0x0100, 128, Range::Narrow, Res::Tenths, true, true, true, true, false, 0x0100},
        // Below firmware 1.28 temperature 2 is not offered, whatever the panel says.
        {0x0100, 127, Range::Narrow, Res::Tenths, true, true, true, false, false, 0x0000},
        {0x0100, 0, Range::Narrow, Res::Tenths, true, true, true, false, false, 0x0000},
        // Automatic together with a fixed choice shows, and writes, automatic.
        {0x0041, 130, Range::Narrow, Res::Auto, true, true, true, false, false, 0x0040},
        {0x0082, 130, Range::Auto, Res::Tenths, true, true, true, false, false, 0x0080},
        // Bits 9 to 15 are no setting and are written as 0.
        {0xFE00, 130, Range::Narrow, Res::Tenths, true, true, true, false, false, 0x0000},
        {0xFFFF, 200, Range::Auto, Res::Auto, false, false, false, true, true, 0x01FC},
        {0xFFFF, 100, Range::Auto, Res::Auto, false, false, false, false, true, 0x00FC},
        {0x0123, 128, Range::Wide, Res::Hundredths, true, true, true, true, true, 0x0123},
        // A word held in a wider integer: only its low 16 bits count.
        {0x10002, 130, Range::Wide, Res::Tenths, true, true, true, false, false, 0x0002},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags 0x" << std::hex << c.flags << std::dec << " firmware " << c.firmware);
        LoggingSettingsModel m = filled(loggingPanel(0, c.flags, c.firmware));
        EXPECT_EQ(m.range(), c.range);
        EXPECT_EQ(m.resolution(), c.resolution);
        EXPECT_EQ(m.temperature1(), c.t1);
        EXPECT_EQ(m.humidity(), c.rh);
        EXPECT_EQ(m.pressure(), c.pressure);
        EXPECT_EQ(m.temperature2(), c.t2);
        EXPECT_EQ(m.overwrite(), c.overwrite);
        EXPECT_EQ(m.temperature2Available(), c.firmware >= 128);
        ASSERT_FALSE(m.accept());
        EXPECT_EQ(m.flags(), c.writtenBack);
        EXPECT_EQ(written(m).loggingFlags, c.writtenBack);
    }
}

TEST(LoggingSettingsFill, IntervalSplitsIntoDaysHoursMinutes) {
    struct Case {
        std::int32_t interval;
        int days, hours, minutes;
        bool loggingOn;
        std::uint32_t writtenBack;
    };
    const Case cases[] = {
        {0, 0, 0, 0, false, 0},
        {1, 0, 0, 1, true, 1},
        {59, 0, 0, 59, true, 59},
        {60, 0, 1, 0, true, 60},
        {61, 0, 1, 1, true, 61},
        {1439, 0, 23, 59, true, 1439},
        {1440, 1, 0, 0, true, 1440},
        {1563, 1, 2, 3, true, 1563},
        {64799, 44, 23, 59, true, 64799},
        // Beyond the fields: the longest interval they hold, still logging.
        {64800, 44, 23, 59, true, 64799},
        {65535, 44, 23, 59, true, 64799},
        // Not a word at all: no logging.
        {-5, 0, 0, 0, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.interval);
        LoggingSettingsModel m = filled(loggingPanel(c.interval, 0));
        EXPECT_EQ(m.fieldValue(Field::Days), c.days);
        EXPECT_EQ(m.fieldValue(Field::Hours), c.hours);
        EXPECT_EQ(m.fieldValue(Field::Minutes), c.minutes);
        EXPECT_EQ(m.fieldText(Field::Days), std::to_string(c.days));
        EXPECT_EQ(m.fieldText(Field::Minutes), std::to_string(c.minutes));
        EXPECT_EQ(m.loggingOn(), c.loggingOn);
        EXPECT_EQ(m.intervalFieldsEnabled(), c.loggingOn);
        ASSERT_FALSE(m.accept());
        EXPECT_EQ(written(m).loggingInterval, c.writtenBack);
    }
}

// --- interval fields ---------------------------------------------------------------

TEST(LoggingSettingsFields, TypingHoldsEachFieldWithinItsRange) {
    struct Case {
        Field field;
        const char* text;
        int value;
        std::optional<std::string> shown;   // what the field must show instead
    };
    const Case cases[] = {
        {Field::Days, "45", 44, "44"},
        {Field::Days, "44", 44, std::nullopt},
        {Field::Days, "4", 4, std::nullopt},
        {Field::Hours, "24", 23, "23"},
        {Field::Hours, "23", 23, std::nullopt},
        {Field::Minutes, "60", 59, "59"},
        {Field::Minutes, "59", 59, std::nullopt},
        {Field::Minutes, "100", 59, "59"},
        // An empty field reads 0 and stays empty while the user types.
        {Field::Minutes, "", 0, std::nullopt},
        {Field::Hours, "0", 0, std::nullopt},
        {Field::Days, "007", 7, std::nullopt},
        {Field::Days, "0045", 44, "44"},
        {Field::Days, "-3", 0, "0"},
        {Field::Minutes, "12x", 12, std::nullopt},
        {Field::Days, "99999999999999999999999", 44, "44"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " in field " + std::to_string(static_cast<int>(c.field)));
        LoggingSettingsModel m;
        EXPECT_EQ(m.fieldTextChanged(c.field, c.text), c.shown);
        EXPECT_EQ(m.fieldValue(c.field), c.value);
    }
}

TEST(LoggingSettingsFields, LeavingAFieldWritesZeroForNothing) {
    struct Case {
        Field field;
        const char* text;
        int value;
        std::optional<std::string> shown;
    };
    const Case cases[] = {
        {Field::Days, "", 0, "0"},
        {Field::Hours, "", 0, "0"},
        {Field::Minutes, "00", 0, "0"},
        {Field::Minutes, "0", 0, std::nullopt},
        {Field::Hours, "-1", 0, "0"},
        {Field::Days, "abc", 0, "0"},
        {Field::Days, "12", 12, std::nullopt},
        {Field::Days, "45", 44, "44"},
        {Field::Minutes, "60", 59, "59"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " in field " + std::to_string(static_cast<int>(c.field)));
        LoggingSettingsModel m;
        m.fieldTextChanged(c.field, "7");
        EXPECT_EQ(m.fieldLeft(c.field, c.text), c.shown);
        EXPECT_EQ(m.fieldValue(c.field), c.value);
    }
}

// --- OK and the interval message -----------------------------------------------------

TEST(LoggingSettingsAccept, LoggedIntervalMustLieWithinOneMinuteAnd44Days) {
    struct Case {
        bool loggingOn;
        const char* days;
        const char* hours;
        const char* minutes;
        bool refused;
        std::uint32_t interval;
    };
    const Case cases[] = {
        {true, "0", "0", "0", true, 0},
        {true, "", "", "", true, 0},
        {true, "0", "0", "1", false, 1},
        {true, "0", "1", "0", false, 60},
        {true, "1", "0", "0", false, 1440},
        {true, "44", "23", "59", false, 64799},
        {true, "45", "24", "60", false, 64799},   // the fields already held them at their maxima
        {true, "1", "2", "3", false, 1563},
        // Logging off writes 0, whatever the fields hold.
        {false, "44", "23", "59", false, 0},
        {false, "0", "0", "0", false, 0},
        {false, "3", "0", "0", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.loggingOn ? "on " : "off ") << c.days << "d " << c.hours << "h "
                                        << c.minutes << "min");
        LoggingSettingsModel m = filled(loggingPanel(17, 0x0020));   // the last accepted state: 17 min, overwrite
        ASSERT_FALSE(m.accept());
        m.setLoggingOn(c.loggingOn);
        m.fieldTextChanged(Field::Days, c.days);
        m.fieldTextChanged(Field::Hours, c.hours);
        m.fieldTextChanged(Field::Minutes, c.minutes);
        m.setOverwrite(false);
        const UserMessage message = m.accept();
        if (c.refused) {
            EXPECT_EQ(message, (UserMessage{string_id::kLoggingIntervalRange, MessageIcon::Information}));
            EXPECT_EQ(str(message.stringId), "Interwał powinien zawierać się w przedziale od 1min do 44dni 23h 59min.");
            // Nothing of the refused OK reaches the results.
            EXPECT_EQ(written(m).loggingInterval, 17u);
            EXPECT_EQ(written(m).loggingFlags, 0x20u);
        } else {
            EXPECT_FALSE(message);
            EXPECT_EQ(written(m).loggingInterval, c.interval);
            EXPECT_EQ(written(m).loggingFlags, 0u);
        }
    }
}

TEST(LoggingSettingsAccept, ControlsMakeTheFlagsWord) {
    struct Case {
        const char* what;
        void (*set)(LoggingSettingsModel&);
        std::uint32_t flags;
    };
    const Case cases[] = {
        {"defaults", [](LoggingSettingsModel&) {}, 0x000},
        {"0.01", [](LoggingSettingsModel& m) { m.setResolution(Res::Hundredths); }, 0x001},
        {"-200...+550", [](LoggingSettingsModel& m) { m.setRange(Range::Wide); }, 0x002},
        {"no TEMP1", [](LoggingSettingsModel& m) { m.setTemperature1(false); }, 0x004},
        {"no RH", [](LoggingSettingsModel& m) { m.setHumidity(false); }, 0x008},
        {"no PRESSURE", [](LoggingSettingsModel& m) { m.setPressure(false); }, 0x010},
        {"overwrite", [](LoggingSettingsModel& m) { m.setOverwrite(true); }, 0x020},
        {"resolution auto", [](LoggingSettingsModel& m) { m.setResolution(Res::Auto); }, 0x040},
        {"range auto", [](LoggingSettingsModel& m) { m.setRange(Range::Auto); }, 0x080},
        {"TEMP2", [](LoggingSettingsModel& m) { m.setTemperature2(true); }, 0x100},
        {"everything",
         [](LoggingSettingsModel& m) {
             m.setResolution(Res::Hundredths);
             m.setRange(Range::Wide);
             m.setTemperature1(false);
             m.setHumidity(false);
             m.setPressure(false);
             m.setOverwrite(true);
             m.setTemperature2(true);
         },
         0x13F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoggingSettingsModel m = filled(loggingPanel(0, 0, 128));
        c.set(m);
        EXPECT_EQ(m.controlsFlags(), c.flags);
        ASSERT_FALSE(m.accept());
        EXPECT_EQ(written(m).loggingFlags, c.flags);
    }
}

TEST(LoggingSettingsAccept, OkBeforeAnySettingsWritesNoLoggingAndFlagsZero) {
    LoggingSettingsModel m;
    m.reset(loggingPanel(0, 0, 0));
    ASSERT_FALSE(m.accept());
    EXPECT_EQ(written(m).loggingInterval, 0u);
    EXPECT_EQ(written(m).loggingFlags, 0u);
}

// --- temperature 2 -----------------------------------------------------------------------

TEST(LoggingSettingsTemperature2, OnlyFromFirmware128) {
    for (const std::int32_t firmware : {0, 108, 127}) {
        SCOPED_TRACE(firmware);
        LoggingSettingsModel m = filled(loggingPanel(5, 0x0100, firmware));
        m.setTemperature2(true);
        EXPECT_FALSE(m.temperature2());
        ASSERT_FALSE(m.accept());
        EXPECT_EQ(written(m).loggingFlags & 0x100u, 0u);
    }
    // A choice left by a newer panel is dropped when the next showing
    // talks to an older one, even with OK before its reply.
    LoggingSettingsModel m = filled(loggingPanel(5, 0x0100, 130));
    EXPECT_TRUE(m.temperature2());
    m.reset(loggingPanel(0, 0, 110));
    EXPECT_FALSE(m.temperature2Available());
    ASSERT_FALSE(m.accept());
    EXPECT_EQ(written(m).loggingFlags, 0u);
}

// --- the column boxes and the program's column choices ------------------------------------

TEST(LoggingSettingsColumns, BoxesNeedTemperature1AndHumidity) {
    struct Case {
        bool t1, rh, enabled;
    };
    const Case cases[] = {{true, true, true}, {false, true, false}, {true, false, false}, {false, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "TEMP1 " << c.t1 << " RH " << c.rh);
        LoggingSettingsModel m = filled(loggingPanel(0, 0));
        ASSERT_TRUE(m.dewPointBox());
        ASSERT_TRUE(m.vapourBox());
        m.setTemperature1(c.t1);
        m.setHumidity(c.rh);
        EXPECT_EQ(m.columnBoxesEnabled(), c.enabled);
        EXPECT_EQ(m.dewPointBox(), c.enabled);
        EXPECT_EQ(m.vapourBox(), c.enabled);
        // A disabled box cannot be checked.
        m.setDewPointBox(true);
        m.setVapourBox(true);
        EXPECT_EQ(m.dewPointBox(), c.enabled);
        EXPECT_EQ(m.vapourBox(), c.enabled);
        // Both checked again: enabled, and unchecked unless they stayed enabled.
        m.setTemperature1(true);
        m.setHumidity(true);
        EXPECT_TRUE(m.columnBoxesEnabled());
        EXPECT_EQ(m.dewPointBox(), c.enabled);
    }
}

TEST(LoggingSettingsColumns, BoxesShowTheProgramsChoicesAndChangeThemOnlyOnOk) {
    LoggingSettingsModel m;
    m.setDewPointColumn(false);
    m.setVapourColumn(true);
    m.reset(loggingPanel(0, 0));
    EXPECT_FALSE(m.dewPointBox());
    EXPECT_TRUE(m.vapourBox());
    m.fill(loggingPanel(0, 0));
    EXPECT_FALSE(m.dewPointBox());
    EXPECT_TRUE(m.vapourBox());

    m.setDewPointBox(true);
    m.setVapourBox(false);
    EXPECT_FALSE(m.dewPointColumn());   // not before OK
    EXPECT_TRUE(m.vapourColumn());

    // A refused OK changes nothing either.
    m.setLoggingOn(true);
    EXPECT_TRUE(m.accept());
    EXPECT_FALSE(m.dewPointColumn());
    EXPECT_TRUE(m.vapourColumn());

    m.setLoggingOn(false);
    EXPECT_FALSE(m.accept());
    EXPECT_TRUE(m.dewPointColumn());
    EXPECT_FALSE(m.vapourColumn());

    // A cancelled showing's boxes do not outlive it.
    m.setVapourBox(true);
    m.reset(loggingPanel(0, 0));
    EXPECT_FALSE(m.vapourBox());
}

TEST(LoggingSettingsColumns, APanelNotLoggingTemperature1ShowsBothUnchecked) {
    for (const std::int32_t flags : {0x0004, 0x0008, 0x000C}) {
        SCOPED_TRACE(flags);
        LoggingSettingsModel m;
        m.setDewPointColumn(true);
        m.setVapourColumn(true);
        m.reset(loggingPanel(0, 0));
        m.fill(loggingPanel(0, flags));
        EXPECT_FALSE(m.columnBoxesEnabled());
        EXPECT_FALSE(m.dewPointBox());
        EXPECT_FALSE(m.vapourBox());
        ASSERT_FALSE(m.accept());
        EXPECT_FALSE(m.dewPointColumn());
        EXPECT_FALSE(m.vapourColumn());
    }
}

}  // namespace
}  // namespace mr420
