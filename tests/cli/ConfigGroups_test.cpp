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

// The group's model as its dialog shows the panel.
std::unique_ptr<ConfigModel> filled(const ConfigGroup& group, const PanelState& s) {
    auto m = group.makeModel();
    m->reset(s);
    m->fill(s);
    return m;
}

// What the dialog's OK hands the write; the OK must pass.
WriteArguments stored(ConfigModel& m) {
    EXPECT_FALSE(m.accept()) << m.accept().stringId;
    WriteArguments args;
    m.store(args);
    return args;
}

// Sets each name=value of the group, as `set` does.
void setAll(const char* group, ConfigModel& m, std::initializer_list<std::pair<const char*, const char*>> values) {
    for (const auto& [name, value] : values)
        EXPECT_TRUE(findSetting(*findGroup(group), name)->set(m, value).ok) << group << " " << name << "=" << value;
}

// Every field the groups write.
auto written(const WriteArguments& a) {
    return std::tie(a.autoOffTime, a.defaultPressure, a.loggingInterval, a.loggingFlags, a.displayFlags,
                    a.historyDisplay, a.alarmThresholds, a.alarmHysteresis, a.alarmThresholdFlags, a.alarmRepeatTime,
                    a.exceedanceLimits, a.exceedanceFlags, a.exceedanceDelay, a.batteryAlarm, a.powerLossAlarm,
                    a.powerLossDelay, a.modemOptions, a.smsNumbers, a.serverAddress, a.serverPort,
                    a.backupServerAddress, a.backupServerPort, a.connectionAttemptsPerDay, a.apn, a.papLogin,
                    a.stationName, a.internetAllowed);
}

// A 2.08 panel with these settings of the small groups.
PanelState smallGroupsPanel(int autoOff, int pressure, int interval, int logging, int display, int history) {
    PanelState s;
    s.firmwareVersion = 208;
    s.autoOffTime = autoOff;
    s.defaultPressure = pressure;
    s.loggingInterval = interval;
    s.loggingFlags = logging;
    s.displayFlags = display;
    s.historyDisplay = history;
    return s;
}
// Two panels whose settings differ in every group.
PanelState panelA() { return smallGroupsPanel(24, 161, 1441, 0x0100 | 0x20 | 0x40, 0x0002 | 0x0008 | 0x0020, 0x0083); }
PanelState panelB() { return smallGroupsPanel(251, 0, 0, 0x0001 | 0x0002 | 0x0004, 0x0001 | 0x0004 | 0x0010, 0x000C); }

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
PanelState simulatedModemPanel() { return readSimulatedPanel("modem-208"); }

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

struct RoundTrip {
    const char* group;
    PanelState (*source)();
    PanelState (*other)();
    int alike;   // how many settings may print the same on both panels
};
void PrintTo(const RoundTrip& c, std::ostream* os) { *os << c.group; }

class GroupRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(GroupRoundTrip, GetOutputFedToSetChangesNothing) {
    const ConfigGroup* group = findGroup(GetParam().group);
    ASSERT_NE(group, nullptr);
    const PanelState source = GetParam().source(), other = GetParam().other();
    auto fromSource = filled(*group, source);
    const WriteArguments expected = stored(*fromSource);

    // The other panel's settings, overwritten by every line `get` printed for the source.
    auto fromOther = filled(*group, other);
    int differing = 0;
    for (const GroupSetting& s : group->settings) {
        const std::string value = s.get(*fromSource, source);
        differing += s.get(*fromOther, other) != value;
        EXPECT_TRUE(s.set(*fromOther, value).ok) << s.name << "=" << value;
        EXPECT_EQ(s.get(*fromOther, other), value) << s.name;
    }
    EXPECT_GE(differing, static_cast<int>(group->settings.size()) - GetParam().alike);
    EXPECT_EQ(written(stored(*fromOther)), written(expected));
}

// Two of the logging switches are off on both panels; the modem's SMS slots 3
// to 5, empty on both, and the attempts may be alike.
INSTANTIATE_TEST_SUITE_P(
    Groups, GroupRoundTrip,
    ::testing::Values(RoundTrip{"auto-off", panelA, panelB, 0}, RoundTrip{"default-pressure", panelA, panelB, 0},
                      RoundTrip{"logging", panelA, panelB, 2}, RoundTrip{"display", panelA, panelB, 0},
                      RoundTrip{"history", panelA, panelB, 0},
                      RoundTrip{"thresholds", simulatedModemPanel, otherModemPanel, 4},
                      RoundTrip{"exceedance", simulatedModemPanel, otherModemPanel, 4},
                      RoundTrip{"battery", simulatedModemPanel, otherModemPanel, 4},
                      RoundTrip{"power-loss", simulatedModemPanel, otherModemPanel, 4},
                      RoundTrip{"modem", simulatedModemPanel, otherModemPanel, 4}),
    [](const ::testing::TestParamInfo<RoundTrip>& info) {
        std::string name = info.param.group;
        for (char& c : name)
            if (c == '-') c = '_';
        return name;
    });

TEST(ModemPanel, WhatGetPrintsIsThePanelsSettings) {
    const PanelState panel = simulatedModemPanel();
    const struct {
        const char* group;
        const char* name;
        const char* value;
    } lines[] = {{"thresholds", "temperature1-lower", "-15.0"},    {"thresholds", "repeat", "1h00m"},
                 {"thresholds", "temperature1-lower-enabled", "on"}, {"thresholds", "temperature1-hysteresis", "0.5"},
                 {"exceedance", "pressure-upper", "1040.0"},        {"exceedance", "deferral", "10"},
                 {"power-loss", "delay", "5"},                      {"modem", "recording", "modem"},
                 {"modem", "station", "Hala 3"},                    {"modem", "backup-server", "10.0.0.7:5021"},
                 {"modem", "apn", "internet.example"},              {"modem", "sms3", ""}};
    for (const auto& l : lines) {
        const ConfigGroup& group = *findGroup(l.group);
        EXPECT_EQ(findSetting(group, l.name)->get(*filled(group, panel), panel), l.value) << l.group << " " << l.name;
    }
}

// A value as set, and what `get` then prints: the dialogs' conversions.
struct Accepted {
    const char* group;
    const char* name;
    const char* value;
    const char* printed;
};
void PrintTo(const Accepted& c, std::ostream* os) { *os << c.group << " " << c.name << "=" << c.value; }

class ValueAccepted : public ::testing::TestWithParam<Accepted> {};

TEST_P(ValueAccepted, PrintsAsTheDialogWouldShowIt) {
    const Accepted& c = GetParam();
    const ConfigGroup& group = *findGroup(c.group);
    const GroupSetting& s = *findSetting(group, c.name);
    const PanelState panel = otherModemPanel();
    auto m = filled(group, panel);
    ASSERT_TRUE(s.set(*m, c.value).ok) << c.value;
    EXPECT_EQ(s.get(*m, panel), c.printed) << c.value;
}

const Accepted kAccepted[] = {
    {"thresholds", "temperature1-lower", "-12.5", "-12.5"},  {"thresholds", "temperature1-lower", "-12,59", "-12.5"},
    {"thresholds", "temperature2-upper", "-0.5", "-0.5"},    {"thresholds", "temperature2-upper", "550", "550.0"},
    {"thresholds", "temperature1-lower", "-200", "-200.0"},  {"thresholds", "pressure-lower", "1013.2", "1013.2"},
    {"thresholds", "humidity-upper", "99.9", "99.9"},        {"thresholds", "humidity-lower-enabled", "yes", "on"},
    {"thresholds", "humidity-hysteresis", "99.9", "99.9"},   {"thresholds", "pressure-hysteresis", "100", "100.0"},
    {"thresholds", "repeat", "1h05", "1h10m"},               {"thresholds", "repeat", "0h3m", "0h10m"},
    {"thresholds", "repeat", "1h15m", "1h10m"},              {"thresholds", "repeat", "10m", "0h10m"},
    {"thresholds", "repeat", "2h", "2h00m"},                 {"thresholds", "repeat", "24H50M", "24h50m"},
    {"exceedance", "pressure-upper-enabled", "off", "off"},  {"exceedance", "deferral", "0", "0"},
    {"battery", "alarm", "1", "on"},                         {"power-loss", "delay", "61", "61"},
    {"modem", "ppp", "Continuous", "continuous"},            {"modem", "recording", "memory+modem", "memory+modem"},
    {"modem", "backup-server", "off", "off"},                {"modem", "backup-server", "10.0.0.7:1", "10.0.0.7:1"},
    {"modem", "server", "0.0.0.0:0", "0.0.0.0:0"},           {"modem", "sms1", "+48601000310", "48601000310"},
    {"modem", "sms5", "*100#", "*100#"},                     {"modem", "sms2", "", ""},
    {"modem", "station", "Łódź-3", "Łódź-3"},                {"modem", "station", "Stacja-pomiar3", "Stacja-pomiar3"},
    {"modem", "apn", "internet.operator.example.invali", "internet.operator.example.invali"},
    {"modem", "sms4", "48601000310123", "48601000310123"},   {"modem", "internet", "off", "off"},
};
INSTANTIATE_TEST_SUITE_P(Values, ValueAccepted, ::testing::ValuesIn(kAccepted));

// The whole group's check (the dialog's OK) and what it hands the write.
TEST(AlarmGroups, StoredInThePanelsUnits) {
    auto t = findGroup("thresholds")->makeModel();
    t->reset(PanelState{});
    setAll("thresholds", *t,
           {{"temperature1-lower", "-12.5"}, {"temperature1-lower-enabled", "on"}, {"pressure-upper", "1013.2"},
            {"pressure-upper-enabled", "on"}, {"repeat", "24h50m"}});
    WriteArguments args;
    t->store(args);
    EXPECT_EQ(args.alarmThresholds[0], -125);
    EXPECT_EQ(args.alarmThresholds[7], 10132);
    EXPECT_EQ(args.alarmThresholdFlags, 0x81u);
    EXPECT_EQ(args.alarmRepeatTime, 149u);

    // The power-loss delay is checked with the alarm on, by the dialog's rule.
    PanelState panel;
    panel.powerLossAlarm = 1;
    panel.powerLossDelay = 15;
    auto p = filled(*findGroup("power-loss"), panel);
    setAll("power-loss", *p, {{"delay", "61"}});
    EXPECT_EQ(p->accept().stringId, string_id::kPowerLossDelayRange);
    // With the alarm off the panel keeps its delay, as the dialog leaves it.
    setAll("power-loss", *p, {{"alarm", "off"}});
    const WriteArguments off = stored(*p);
    EXPECT_EQ(off.powerLossAlarm, 0u);
    EXPECT_EQ(off.powerLossDelay, 15u);
}

TEST(ModemGroups, AttemptsAndTheBackupServerFollowTheFirmware) {
    const struct {
        int firmware;
        const char* attempts;
        int messageId;
        std::uint32_t storedAttempts;
    } cases[] = {{208, "0", string_id::kConnectionAttemptsRange, 0}, {208, "1", 0, 1}, {208, "30", 0, 30}, {105, "0", 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.firmware) + " " + c.attempts);
        PanelState panel;
        panel.firmwareVersion = c.firmware;
        auto m = filled(*findGroup("modem"), panel);
        setAll("modem", *m, {{"attempts", c.attempts}});
        EXPECT_EQ(m->accept().stringId, c.messageId);
        if (c.messageId != 0) continue;
        const WriteArguments args = stored(*m);
        EXPECT_EQ(args.connectionAttemptsPerDay, c.storedAttempts);
        // An unused backup server goes out as 0.0.0.0, port 1.
        EXPECT_EQ(args.backupServerAddress, (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
        EXPECT_EQ(args.backupServerPort, 1u);
    }
}

TEST(ModemGroups, PinAndPapPasswordReachTheWriteArguments) {
    auto p = findGroup("pin")->makeModel();
    p->reset(PanelState{});
    setAll("pin", *p, {{"pin", "0042"}});
    EXPECT_EQ(stored(*p).pin, 42u);

    auto w = findGroup("pap")->makeModel();
    w->reset(PanelState{});
    setAll("pap", *w, {{"password", "tajne haslo"}});
    EXPECT_EQ(stored(*w).papPassword, "tajne haslo" + std::string(22, ' '));
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
void PrintTo(const Refusal& c, std::ostream* os) { *os << c.group << " " << c.name << "=" << c.value; }

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

using namespace string_id;
const Refusal kRefusals[] = {
    {"auto-off", "seconds", "1256", 0}, {"auto-off", "seconds", "-5", 0}, {"auto-off", "seconds", "5m", 0},
    {"default-pressure", "hpa", "689", 0}, {"default-pressure", "hpa", "1201", 0},
    {"default-pressure", "hpa", "1.2.3", kNumberFormatError}, {"default-pressure", "hpa", "", 0},
    {"logging", "interval", "64800", kLoggingIntervalRange}, {"logging", "range", "medium", 0},
    {"logging", "logging", "maybe", 0}, {"display", "field4", "humidity", 0}, {"display", "resolution", "0.001", 0},
    {"history", "automatic", "2", 0}, {"clock", "time", "2024-02-30T00:00:00", 0},
    {"clock", "time", "2023-02-29T00:00:00", 0}, {"clock", "time", "2024-01-01 25:00:00", 0},
    {"clock", "time", "yesterday", 0}, {"thresholds", "temperature1-lower", "-200.1", 0},
    {"thresholds", "temperature2-upper", "550.1", 0}, {"thresholds", "humidity-upper", "100", 0},
    {"thresholds", "pressure-upper", "1300", 0}, {"thresholds", "pressure-lower", "499.9", 0},
    {"thresholds", "pressure-lower", "1.2.3", kNumberFormatError},
    {"thresholds", "humidity-lower", "5-0", kNumberFormatError}, {"thresholds", "temperature1-lower", "12abc", 0},
    {"thresholds", "temperature1-lower", "", 0}, {"thresholds", "temperature1-lower-enabled", "maybe", 0},
    {"thresholds", "humidity-hysteresis", "100.0", 0}, {"thresholds", "pressure-hysteresis", "100.1", 0},
    {"thresholds", "temperature1-hysteresis", "-0.1", 0}, {"thresholds", "repeat", "25h", 0},
    {"thresholds", "repeat", "1h60", 0}, {"thresholds", "repeat", "70m", 0}, {"thresholds", "repeat", "h10", 0},
    {"thresholds", "repeat", "1h10x", 0}, {"thresholds", "repeat", "90", 0},
    {"exceedance", "pressure-upper", "1200.1", 0}, {"exceedance", "deferral", "95", 0},
    {"exceedance", "deferral", "-1", 0}, {"battery", "alarm", "sometimes", 0}, {"power-loss", "alarm", "2", 0},
    {"power-loss", "delay", "65536", 0}, {"power-loss", "delay", "5m", 0}, {"modem", "ppp", "kept", 0},
    {"modem", "protocol", "ftp", 0}, {"modem", "recording", "memory+modem+sd", 0},
    {"modem", "server", "192.168.10.20", 0}, {"modem", "server", "192.168.10.256:80", 0},
    {"modem", "server", "192.168.10.20:65536", 0}, {"modem", "backup-server", "on", 0},
    {"modem", "backup-server", "0.0.0.0:5021", kBackupServerAddressMissing},
    {"modem", "backup-server", "10.0.0.7:0", kBackupServerPortMissing},
    {"modem", "backup-server", "10.0.0.7:70000", kBackupServerPortMissing},
    {"modem", "attempts", "31", kConnectionAttemptsRange}, {"modem", "attempts", "many", 0},
    {"modem", "station", "Hala 3 ", 0}, {"modem", "station", "Stacja-pomiar-3", 0},
    {"modem", "apn", "internet.operator.example.invalid", 0},
    {"modem", "pap-login", "panel\xe6\x97\xa5", 0},   // a character the code page lacks
    {"modem", "sms1", "48-601", 0}, {"modem", "sms2", "486010003101234", 0}, {"modem", "internet", "blocked", 0},
    {"pin", "pin", "123", kPinFourDigits}, {"pin", "pin", "12345", kPinFourDigits},
    {"pin", "pin", "12a4", kPinFourDigits}, {"pap", "password", "a-password-longer-than-33-characters", 0},
};
INSTANTIATE_TEST_SUITE_P(Values, ValueRefusal, ::testing::ValuesIn(kRefusals));

TEST(Groups, WholeGroupChecksAreTheDialogsOk) {
    // Logging on with an interval of 0: the dialog's message, nothing stored.
    auto m = findGroup("logging")->makeModel();
    setAll("logging", *m, {{"logging", "on"}, {"interval", "0"}});
    EXPECT_EQ(m->accept().stringId, kLoggingIntervalRange);

    // A clock before 2000 is refused by the clock dialog's rule.
    auto c = findGroup("clock")->makeModel();
    setAll("clock", *c, {{"time", "1999-12-31T23:59:59"}});
    EXPECT_EQ(c->accept().stringId, kDateBefore2000);
    setAll("clock", *c, {{"time", "2001-03-01 00:00:00"}});
    EXPECT_EQ(stored(*c).clockSeconds, 36720000u);
}

TEST(Groups, ClockTextIsWhatSetReads) {
    const LocalTime clock{2024, 2, 29, 7, 5, 9};
    EXPECT_EQ(clockText(clock), "2024-02-29T07:05:09");
    auto m = findGroup("clock")->makeModel();
    setAll("clock", *m, {{"time", clockText(clock).c_str()}, {"time", "now"}});
}

TEST(Switches, Spellings) {
    for (const char* on : {"on", "ON", "yes", "true", "1"}) EXPECT_EQ(parseSwitch(on), true) << on;
    for (const char* off : {"off", "no", "False", "0"}) EXPECT_EQ(parseSwitch(off), false) << off;
    EXPECT_EQ(parseSwitch("2"), std::nullopt);
    EXPECT_EQ(parseSwitch(""), std::nullopt);
}

}  // namespace
}  // namespace mr420::cli
