// The settings groups of the command line: what `get` prints goes back
// through `set` unchanged, values outside a model's rules are refused, and
// every group stands for a configuration dialog that reads and writes.

#include <gtest/gtest.h>

#include <tuple>

#include "cli/ConfigGroups.h"
#include "base/StringTable.h"
#include "config/SmallConfigModels.h"
#include "protocol/CommandBuilder.h"
#include "protocol/PanelCommand.h"
#include "protocol/ReplyParser.h"
#include "sim/Scenarios.h"
#include "sim/SimulatedPanel.h"

namespace mr420::cli {
namespace {

// A panel whose settings differ from the other's in every group.
PanelState panelA() {
    PanelState s;
    s.firmwareVersion = 208;
    s.autoOffTime = 24;
    s.defaultPressure = 161;
    s.loggingInterval = 1441;
    s.loggingFlags = 0x0100 | 0x20 | 0x40;
    s.displayFlags = 0x0002 | 0x0008 | 0x0020;
    s.historyDisplay = 0x0083;
    return s;
}

PanelState panelB() {
    PanelState s;
    s.firmwareVersion = 208;
    s.autoOffTime = 251;
    s.defaultPressure = 0;
    s.loggingInterval = 0;
    s.loggingFlags = 0x0001 | 0x0002 | 0x0004;
    s.displayFlags = 0x0001 | 0x0004 | 0x0010;
    s.historyDisplay = 0x000C;
    return s;
}

class GroupRoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(GroupRoundTrip, GetOutputFedToSetChangesNothing) {
    const ConfigGroup* group = findGroup(GetParam());
    ASSERT_NE(group, nullptr);
    const PanelState a = panelA(), b = panelB();

    auto filled = [&](const PanelState& s) {
        auto m = group->makeModel();
        m->reset(s);
        m->fill(s);
        return m;
    };
    auto stored = [&](ConfigModel& m) {
        EXPECT_FALSE(m.accept());
        WriteArguments args;
        m.store(args);
        return args;
    };

    auto fromA = filled(a);
    const WriteArguments expected = stored(*fromA);

    // The other panel's settings, overwritten by every line `get` printed for A.
    auto fromB = filled(b);
    for (const GroupSetting& s : group->settings) {
        const std::string value = s.get(*fromA, a);
        const SetResult r = s.set(*fromB, value);
        EXPECT_TRUE(r.ok) << s.name << "=" << value;
        EXPECT_EQ(s.get(*fromB, b), value) << s.name;
    }
    const WriteArguments actual = stored(*fromB);
    EXPECT_EQ(actual.autoOffTime, expected.autoOffTime);
    EXPECT_EQ(actual.defaultPressure, expected.defaultPressure);
    EXPECT_EQ(actual.loggingInterval, expected.loggingInterval);
    EXPECT_EQ(actual.loggingFlags, expected.loggingFlags);
    EXPECT_EQ(actual.displayFlags, expected.displayFlags);
    EXPECT_EQ(actual.historyDisplay, expected.historyDisplay);
}

INSTANTIATE_TEST_SUITE_P(Groups, GroupRoundTrip,
                         ::testing::Values("auto-off", "default-pressure", "logging", "display", "history"));

// The alarm and modem settings of a simulated panel, read as the dialogs'
// chains read them: each frame built by the command builder, answered by
// the panel and parsed into PanelState.
PanelState readSimulatedPanel(const std::string& scenario) {
    using C = PanelCommand;
    sim::SimulatedPanel panel(sim::makeScenario(scenario, panelSecondsSince2000({2025, 3, 4, 5, 6, 7}))->model,
                              [] { return 0.0; });
    PanelState state;
    ReplyParser parser(state);
    WriteArguments args;
    ChainCounters counters;
    auto read = [&](C command) {
        const int number = toNumber(command);
        const auto reply = panel.handleFrame(CommandBuilder::buildFrame(number, args, counters));
        EXPECT_TRUE(reply && parser.parse(reply->data(), reply->size(), number)) << number;
    };
    for (C c : {C::Identity, C::ReadModemOptions, C::ReadServerAddress, C::ReadBackupServerAddress,
                C::ReadBackupServerPort, C::ReadConnectionAttempts, C::ReadServerPort, C::ReadStationName,
                C::ReadInternetAllowed, C::ReadThresholdFlags, C::ReadAlarmRepeatTime, C::ReadExceedanceFlags,
                C::ReadExceedanceDelay, C::ReadBatteryAlarm, C::ReadPowerLossAlarm})
        read(c);
    for (counters.stringIndex = 0; counters.stringIndex < 6; ++counters.stringIndex) read(C::ReadSmsNumber);
    for (counters.longTextIndex = 0; counters.longTextIndex < 2; ++counters.longTextIndex) read(C::ReadLongText);
    for (int slot : {0, 1, 2, 3, 4, 5, 6, 7, 64, 65, 66, 67}) {
        counters.thresholdIndex = slot;
        read(C::ReadThreshold);
    }
    for (counters.exceedanceIndex = 0; counters.exceedanceIndex < 8; ++counters.exceedanceIndex)
        read(C::ReadExceedanceLimit);
    return state;
}

// A panel whose alarm and modem settings differ from the simulated modem
// panel's in every one.
PanelState otherModemPanel() {
    PanelState s;
    s.firmwareVersion = 208;
    s.modemOptions = 0x0050;   // UDP, memory only, dropped between transfers, no alarms
    s.smsNumbers = {"111", "222", "333", "444", "555", "666"};
    s.serverAddress = {1, 2, 3, 4};
    s.serverPort = 1;
    s.backupServerAddress = {0, 0, 0, 0};
    s.backupServerPort = 9;
    s.connectionAttemptsPerDay = 30;
    s.apn = "other";
    s.papLogin = "someone";
    s.stationName = "Magazyn";
    s.internetAllowed = 0;
    s.alarmThresholds = {550, -20, 5500, -2000, 999, 0, 12000, 5000};
    s.alarmHysteresis = {1000, 0, 999, 0};
    s.alarmThresholdFlags = 0x00EE;
    s.alarmRepeatTime = 149;
    s.exceedanceLimits = {5500, -2000, 0, 1, 0, 999, 5000, 12000};
    s.exceedanceFlags = 0x00FC;
    s.exceedanceDelay = 90;
    s.batteryAlarm = 0;
    s.powerLossAlarm = 0;
    s.powerLossDelay = 60;
    return s;
}

class ModemPanelRoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(ModemPanelRoundTrip, GetOutputFedToSetChangesNothing) {
    const ConfigGroup* group = findGroup(GetParam());
    ASSERT_NE(group, nullptr);
    const PanelState panel = readSimulatedPanel("modem-208");
    const PanelState other = otherModemPanel();
    auto filled = [&](const PanelState& s) {
        auto m = group->makeModel();
        m->reset(s);
        m->fill(s);
        return m;
    };
    auto stored = [&](ConfigModel& m) {
        EXPECT_FALSE(m.accept()) << m.accept().stringId;
        WriteArguments args;
        m.store(args);
        return args;
    };
    auto fromPanel = filled(panel);
    const WriteArguments expected = stored(*fromPanel);

    auto fromOther = filled(other);
    int differing = 0;
    for (const GroupSetting& s : group->settings) {
        const std::string value = s.get(*fromPanel, panel);
        differing += s.get(*fromOther, other) != value;
        const SetResult r = s.set(*fromOther, value);
        EXPECT_TRUE(r.ok) << s.name << "=" << value;
        EXPECT_EQ(s.get(*fromOther, other), value) << s.name;
    }
    // Every setting came from the other panel (the modem's SMS slots 3 to 5,
    // empty on both, and the attempts aside).
    EXPECT_GE(differing, static_cast<int>(group->settings.size()) - 4) << group->name;

    // Every field the five groups write.
    auto written = [](const WriteArguments& a) {
        return std::tie(a.alarmThresholds, a.alarmHysteresis, a.alarmThresholdFlags, a.alarmRepeatTime,
                        a.exceedanceLimits, a.exceedanceFlags, a.exceedanceDelay, a.batteryAlarm, a.powerLossAlarm,
                        a.powerLossDelay, a.modemOptions, a.smsNumbers, a.serverAddress, a.serverPort,
                        a.backupServerAddress, a.backupServerPort, a.connectionAttemptsPerDay, a.apn, a.papLogin,
                        a.stationName, a.internetAllowed);
    };
    EXPECT_EQ(written(stored(*fromOther)), written(expected));
}

INSTANTIATE_TEST_SUITE_P(Groups, ModemPanelRoundTrip,
                         ::testing::Values("thresholds", "exceedance", "battery", "power-loss", "modem"));

TEST(ModemPanel, WhatGetPrintsIsThePanelsSettings) {
    const PanelState panel = readSimulatedPanel("modem-208");
    struct Line {
        const char* group;
        const char* name;
        const char* value;
    };
    for (const Line& l : {Line{"thresholds", "temperature1-lower", "-15.0"}, Line{"thresholds", "repeat", "1h00m"},
                          Line{"thresholds", "temperature1-lower-enabled", "on"},
                          Line{"thresholds", "temperature1-hysteresis", "0.5"},
                          Line{"exceedance", "pressure-upper", "1040.0"}, Line{"exceedance", "deferral", "10"},
                          Line{"power-loss", "delay", "5"}, Line{"modem", "recording", "modem"},
                          Line{"modem", "station", "Hala 3"}, Line{"modem", "backup-server", "10.0.0.7:5021"},
                          Line{"modem", "apn", "internet.example"}, Line{"modem", "sms3", ""}}) {
        const ConfigGroup& group = *findGroup(l.group);
        auto m = group.makeModel();
        m->reset(panel);
        m->fill(panel);
        EXPECT_EQ(findSetting(group, l.name)->get(*m, panel), l.value) << l.group << " " << l.name;
    }
}

// A value as set, and what `get` then prints: the dialogs' conversions.
struct Accepted {
    const char* group;
    const char* name;
    const char* value;
    const char* printed;
};

class ValueAccepted : public ::testing::TestWithParam<Accepted> {};

TEST_P(ValueAccepted, PrintsAsTheDialogWouldShowIt) {
    const Accepted& c = GetParam();
    const ConfigGroup& group = *findGroup(c.group);
    const GroupSetting& s = *findSetting(group, c.name);
    auto m = group.makeModel();
    const PanelState panel = otherModemPanel();
    m->reset(panel);
    m->fill(panel);
    ASSERT_TRUE(s.set(*m, c.value).ok) << c.value;
    EXPECT_EQ(s.get(*m, panel), c.printed) << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ValueAccepted,
    ::testing::Values(Accepted{"thresholds", "temperature1-lower", "-12.5", "-12.5"},
                      Accepted{"thresholds", "temperature1-lower", "-12,59", "-12.5"},
                      Accepted{"thresholds", "temperature2-upper", "-0.5", "-0.5"},
                      Accepted{"thresholds", "temperature2-upper", "550", "550.0"},
                      Accepted{"thresholds", "temperature1-lower", "-200", "-200.0"},
                      Accepted{"thresholds", "pressure-lower", "1013.2", "1013.2"},
                      Accepted{"thresholds", "humidity-upper", "99.9", "99.9"},
                      Accepted{"thresholds", "humidity-lower-enabled", "yes", "on"},
                      Accepted{"thresholds", "humidity-hysteresis", "99.9", "99.9"},
                      Accepted{"thresholds", "pressure-hysteresis", "100", "100.0"},
                      Accepted{"thresholds", "repeat", "1h05", "1h10m"},
                      Accepted{"thresholds", "repeat", "0h3m", "0h10m"},
                      Accepted{"thresholds", "repeat", "1h15m", "1h10m"},
                      Accepted{"thresholds", "repeat", "10m", "0h10m"},
                      Accepted{"thresholds", "repeat", "2h", "2h00m"},
                      Accepted{"thresholds", "repeat", "24H50M", "24h50m"},
                      Accepted{"exceedance", "pressure-upper-enabled", "off", "off"},
                      Accepted{"exceedance", "deferral", "0", "0"},
                      Accepted{"battery", "alarm", "1", "on"},
                      Accepted{"power-loss", "delay", "61", "61"},
                      Accepted{"modem", "ppp", "Continuous", "continuous"},
                      Accepted{"modem", "recording", "memory+modem", "memory+modem"},
                      Accepted{"modem", "backup-server", "off", "off"},
                      Accepted{"modem", "backup-server", "10.0.0.7:1", "10.0.0.7:1"},
                      Accepted{"modem", "server", "0.0.0.0:0", "0.0.0.0:0"},
                      Accepted{"modem", "sms1", "+48601000310", "48601000310"},
                      Accepted{"modem", "sms5", "*100#", "*100#"},
                      Accepted{"modem", "sms2", "", ""},
                      Accepted{"modem", "station", "Łódź-3", "Łódź-3"},
                      Accepted{"modem", "station", "Stacja-pomiar3", "Stacja-pomiar3"},
                      Accepted{"modem", "apn", "internet.operator.example.invali", "internet.operator.example.invali"},
                      Accepted{"modem", "sms4", "48601000310123", "48601000310123"},
                      Accepted{"modem", "internet", "off", "off"}));

// The whole group's check (the dialog's OK) and what it hands the write.
TEST(AlarmGroups, StoredInThePanelsUnits) {
    const ConfigGroup& thresholds = *findGroup("thresholds");
    auto t = thresholds.makeModel();
    t->reset(PanelState{});
    ASSERT_TRUE(findSetting(thresholds, "temperature1-lower")->set(*t, "-12.5").ok);
    ASSERT_TRUE(findSetting(thresholds, "temperature1-lower-enabled")->set(*t, "on").ok);
    ASSERT_TRUE(findSetting(thresholds, "pressure-upper")->set(*t, "1013.2").ok);
    ASSERT_TRUE(findSetting(thresholds, "pressure-upper-enabled")->set(*t, "on").ok);
    ASSERT_TRUE(findSetting(thresholds, "repeat")->set(*t, "24h50m").ok);
    WriteArguments args;
    t->store(args);
    EXPECT_EQ(args.alarmThresholds[0], -125);
    EXPECT_EQ(args.alarmThresholds[7], 10132);
    EXPECT_EQ(args.alarmThresholdFlags, 0x81u);
    EXPECT_EQ(args.alarmRepeatTime, 149u);

    // The power-loss delay is checked with the alarm on, by the dialog's rule.
    const ConfigGroup& powerLoss = *findGroup("power-loss");
    PanelState panel;
    panel.powerLossAlarm = 1;
    panel.powerLossDelay = 15;
    auto p = powerLoss.makeModel();
    p->reset(panel);
    p->fill(panel);
    ASSERT_TRUE(findSetting(powerLoss, "delay")->set(*p, "61").ok);
    EXPECT_EQ(p->accept().stringId, string_id::kPowerLossDelayRange);
    // With the alarm off the panel keeps its delay, as the dialog leaves it.
    ASSERT_TRUE(findSetting(powerLoss, "alarm")->set(*p, "off").ok);
    EXPECT_FALSE(p->accept());
    WriteArguments off;
    p->store(off);
    EXPECT_EQ(off.powerLossAlarm, 0u);
    EXPECT_EQ(off.powerLossDelay, 15u);
}

TEST(ModemGroups, AttemptsAndTheBackupServerFollowTheFirmware) {
    struct Case {
        int firmware;
        const char* attempts;
        int messageId;
        std::uint32_t storedAttempts;
    };
    const ConfigGroup& modem = *findGroup("modem");
    for (const Case& c : {Case{208, "0", string_id::kConnectionAttemptsRange, 0}, Case{208, "1", 0, 1},
                          Case{208, "30", 0, 30}, Case{105, "0", 0, 0}}) {
        PanelState panel;
        panel.firmwareVersion = c.firmware;
        auto m = modem.makeModel();
        m->reset(panel);
        m->fill(panel);
        ASSERT_TRUE(findSetting(modem, "attempts")->set(*m, c.attempts).ok);
        EXPECT_EQ(m->accept().stringId, c.messageId) << c.firmware << " " << c.attempts;
        if (c.messageId != 0) continue;
        WriteArguments args;
        m->store(args);
        EXPECT_EQ(args.connectionAttemptsPerDay, c.storedAttempts);
        // An unused backup server goes out as 0.0.0.0, port 1.
        EXPECT_EQ(args.backupServerAddress, (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
        EXPECT_EQ(args.backupServerPort, 1u);
    }
}

TEST(ModemGroups, PinAndPapPasswordReachTheWriteArguments) {
    const ConfigGroup& pin = *findGroup("pin");
    auto p = pin.makeModel();
    p->reset(PanelState{});
    ASSERT_TRUE(findSetting(pin, "pin")->set(*p, "0042").ok);
    EXPECT_FALSE(p->accept());
    WriteArguments args;
    p->store(args);
    EXPECT_EQ(args.pin, 42u);

    const ConfigGroup& pap = *findGroup("pap");
    auto w = pap.makeModel();
    w->reset(PanelState{});
    ASSERT_TRUE(findSetting(pap, "password")->set(*w, "tajne haslo").ok);
    EXPECT_FALSE(w->accept());
    w->store(args);
    EXPECT_EQ(args.papPassword, "tajne haslo" + std::string(22, ' '));
}

TEST(Groups, EveryGroupReadsOrWritesThePanel) {
    for (const ConfigGroup& g : configGroups()) {
        const ConfigSpec& spec = configSpec(g.kind);
        EXPECT_TRUE(spec.writes()) << g.name;
        EXPECT_FALSE(g.settings.empty()) << g.name;
        EXPECT_NE(g.makeModel(), nullptr) << g.name;
        for (const GroupSetting& s : g.settings) EXPECT_FALSE(s.values.empty()) << g.name << " " << s.name;
    }
    EXPECT_EQ(groupNames(),
              "clock, auto-off, default-pressure, logging, display, history, thresholds, exceedance, battery, "
              "power-loss, modem, pin, pap");
    EXPECT_EQ(findGroup("alarms"), nullptr);
}

TEST(Groups, OnlyThePinAndThePapPasswordAreWriteOnly) {
    for (const ConfigGroup& g : configGroups()) {
        const bool secret = g.name == "pin" || g.name == "pap";
        EXPECT_EQ(g.writeOnly, secret) << g.name;
        // A write-only group has nothing to print; every other prints all it sets.
        for (const GroupSetting& s : g.settings)
            EXPECT_EQ(static_cast<bool>(s.get), !secret) << g.name << " " << s.name;
    }
}

struct Refusal {
    const char* group;
    const char* name;
    const char* value;
    int messageId;   // the model's message, 0 for the list of values
};

class ValueRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(ValueRefusal, IsRefusedOnAFreshModel) {
    const Refusal& c = GetParam();
    const ConfigGroup* group = findGroup(c.group);
    ASSERT_NE(group, nullptr);
    const GroupSetting* s = findSetting(*group, c.name);
    ASSERT_NE(s, nullptr);
    auto model = group->makeModel();
    const SetResult r = s->set(*model, c.value);
    EXPECT_FALSE(r.ok) << c.value;
    EXPECT_EQ(r.message.stringId, c.messageId);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ValueRefusal,
    ::testing::Values(Refusal{"auto-off", "seconds", "1256", 0}, Refusal{"auto-off", "seconds", "-5", 0},
                      Refusal{"auto-off", "seconds", "5m", 0}, Refusal{"default-pressure", "hpa", "689", 0},
                      Refusal{"default-pressure", "hpa", "1201", 0},
                      Refusal{"default-pressure", "hpa", "1.2.3", string_id::kNumberFormatError},
                      Refusal{"default-pressure", "hpa", "", 0},
                      Refusal{"logging", "interval", "64800", string_id::kLoggingIntervalRange},
                      Refusal{"logging", "range", "medium", 0}, Refusal{"logging", "logging", "maybe", 0},
                      Refusal{"display", "field4", "humidity", 0}, Refusal{"display", "resolution", "0.001", 0},
                      Refusal{"history", "automatic", "2", 0}, Refusal{"clock", "time", "2024-02-30T00:00:00", 0},
                      Refusal{"clock", "time", "2023-02-29T00:00:00", 0},
                      Refusal{"clock", "time", "2024-01-01 25:00:00", 0}, Refusal{"clock", "time", "yesterday", 0},
                      Refusal{"thresholds", "temperature1-lower", "-200.1", 0},
                      Refusal{"thresholds", "temperature2-upper", "550.1", 0},
                      Refusal{"thresholds", "humidity-upper", "100", 0},
                      Refusal{"thresholds", "pressure-upper", "1300", 0},
                      Refusal{"thresholds", "pressure-lower", "499.9", 0},
                      Refusal{"thresholds", "pressure-lower", "1.2.3", string_id::kNumberFormatError},
                      Refusal{"thresholds", "humidity-lower", "5-0", string_id::kNumberFormatError},
                      Refusal{"thresholds", "temperature1-lower", "12abc", 0},
                      Refusal{"thresholds", "temperature1-lower", "", 0},
                      Refusal{"thresholds", "temperature1-lower-enabled", "maybe", 0},
                      Refusal{"thresholds", "humidity-hysteresis", "100.0", 0},
                      Refusal{"thresholds", "pressure-hysteresis", "100.1", 0},
                      Refusal{"thresholds", "temperature1-hysteresis", "-0.1", 0},
                      Refusal{"thresholds", "repeat", "25h", 0}, Refusal{"thresholds", "repeat", "1h60", 0},
                      Refusal{"thresholds", "repeat", "70m", 0}, Refusal{"thresholds", "repeat", "h10", 0},
                      Refusal{"thresholds", "repeat", "1h10x", 0}, Refusal{"thresholds", "repeat", "90", 0},
                      Refusal{"exceedance", "pressure-upper", "1200.1", 0},
                      Refusal{"exceedance", "deferral", "95", 0}, Refusal{"exceedance", "deferral", "-1", 0},
                      Refusal{"battery", "alarm", "sometimes", 0}, Refusal{"power-loss", "alarm", "2", 0},
                      Refusal{"power-loss", "delay", "65536", 0}, Refusal{"power-loss", "delay", "5m", 0},
                      Refusal{"modem", "ppp", "kept", 0}, Refusal{"modem", "protocol", "ftp", 0},
                      Refusal{"modem", "recording", "memory+modem+sd", 0},
                      Refusal{"modem", "server", "192.168.10.20", 0},
                      Refusal{"modem", "server", "192.168.10.256:80", 0},
                      Refusal{"modem", "server", "192.168.10.20:65536", 0},
                      Refusal{"modem", "backup-server", "on", 0},
                      Refusal{"modem", "backup-server", "0.0.0.0:5021", string_id::kBackupServerAddressMissing},
                      Refusal{"modem", "backup-server", "10.0.0.7:0", string_id::kBackupServerPortMissing},
                      Refusal{"modem", "backup-server", "10.0.0.7:70000", string_id::kBackupServerPortMissing},
                      Refusal{"modem", "attempts", "31", string_id::kConnectionAttemptsRange},
                      Refusal{"modem", "attempts", "many", 0}, Refusal{"modem", "station", "Hala 3 ", 0},
                      Refusal{"modem", "station", "Stacja-pomiar-3", 0},
                      Refusal{"modem", "apn", "internet.operator.example.invalid", 0},
                      Refusal{"modem", "pap-login", "panel\xe6\x97\xa5", 0},   // a character the code page lacks
                      Refusal{"modem", "sms1", "48-601", 0}, Refusal{"modem", "sms2", "486010003101234", 0},
                      Refusal{"modem", "internet", "blocked", 0},
                      Refusal{"pin", "pin", "123", string_id::kPinFourDigits},
                      Refusal{"pin", "pin", "12345", string_id::kPinFourDigits},
                      Refusal{"pin", "pin", "12a4", string_id::kPinFourDigits},
                      Refusal{"pap", "password", "a-password-longer-than-33-characters", 0}));

TEST(Groups, WholeGroupChecksAreTheDialogsOk) {
    // Logging on with an interval of 0: the dialog's message, nothing stored.
    const ConfigGroup& logging = *findGroup("logging");
    auto m = logging.makeModel();
    ASSERT_TRUE(findSetting(logging, "logging")->set(*m, "on").ok);
    ASSERT_TRUE(findSetting(logging, "interval")->set(*m, "0").ok);
    EXPECT_EQ(m->accept().stringId, string_id::kLoggingIntervalRange);

    // A clock before 2000 is refused by the clock dialog's rule.
    const ConfigGroup& clock = *findGroup("clock");
    auto c = clock.makeModel();
    ASSERT_TRUE(findSetting(clock, "time")->set(*c, "1999-12-31T23:59:59").ok);
    EXPECT_EQ(c->accept().stringId, string_id::kDateBefore2000);
    ASSERT_TRUE(findSetting(clock, "time")->set(*c, "2001-03-01 00:00:00").ok);
    EXPECT_FALSE(c->accept());
    WriteArguments args;
    c->store(args);
    EXPECT_EQ(args.clockSeconds, 36720000u);
}

TEST(Groups, ClockTextIsWhatSetReads) {
    const LocalTime clock{2024, 2, 29, 7, 5, 9};
    EXPECT_EQ(clockText(clock), "2024-02-29T07:05:09");
    const ConfigGroup& group = *findGroup("clock");
    auto m = group.makeModel();
    EXPECT_TRUE(findSetting(group, "time")->set(*m, clockText(clock)).ok);
    EXPECT_TRUE(findSetting(group, "time")->set(*m, "now").ok);
}

TEST(Switches, Spellings) {
    for (const char* on : {"on", "ON", "yes", "true", "1"}) EXPECT_EQ(parseSwitch(on), true) << on;
    for (const char* off : {"off", "no", "False", "0"}) EXPECT_EQ(parseSwitch(off), false) << off;
    EXPECT_EQ(parseSwitch("2"), std::nullopt);
    EXPECT_EQ(parseSwitch(""), std::nullopt);
}

}  // namespace
}  // namespace mr420::cli
