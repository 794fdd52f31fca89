#include "ui/ReadingModel.h"

#include <clocale>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/StringTable.h"
#include "ui/MenuTable.h"

namespace mr420 {
namespace {

struct FakeTimers : TimerService {
    std::map<int, int> running;   // id -> period
    std::vector<int> started;
    void startTimer(int id, int ms) override {
        running[id] = ms;
        started.push_back(id);
    }
    void stopTimer(int id) override { running.erase(id); }
};

struct FakeView : ReadingView {
    std::map<int, bool> visible;
    std::map<int, bool> menuEnabled;
    std::vector<std::string> statusWrites;
    std::vector<std::string> clockWrites;
    int relayouts = 0, startFailures = 0, reopens = 0;
    void setPaneVisible(int ch, bool v) override { visible[ch] = v; }
    void relayout() override { ++relayouts; }
    void setStatusText(const std::string& t) override { statusWrites.push_back(t); }
    void setClockText(const std::string& t) override { clockWrites.push_back(t); }
    void setMenuEntryEnabled(int id, bool e) override { menuEnabled[id] = e; }
    void showDataServerStartFailure() override { ++startFailures; }
    void reopenRegistrationAfterStart() override { ++reopens; }
};

struct FakeServer : DataServerControl {
    bool serving = false, startResult = true;
    std::vector<int> starts;
    int stops = 0, publishes = 0;
    void stop() override {
        ++stops;
        serving = false;
    }
    bool start(int serial) override {
        starts.push_back(serial);
        serving = startResult;
        return startResult;
    }
    void publish() override { ++publishes; }
};

struct FakeRegistration : RegistrationStatusSource {
    bool active = false, writeFailed = false;
    int interval = 60;
    bool registrationActive() const override { return active; }
    int registrationIntervalSeconds() const override { return interval; }
    bool registrationWriteFailed() const override { return writeFailed; }
};

PanelState mr411Panel() {
    PanelState s;
    s.mr466Absent = 1;
    s.firmwareVersion = 110;
    s.panelSerialNumber = 1234;
    s.temperature1 = 21.56;
    s.relativeHumidity = 45.46;
    s.dewPoint = 9.1;
    s.waterVapourPpm = 12345;
    s.pressure = 1013.27;
    return s;
}

class ReadingModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::setlocale(LC_ALL, "C");
        model.setRegistrationSource(&registration);
    }

    void endSettingsRead() {
        ASSERT_TRUE(model.settingsReadRunning());
        model.onSettingsReadTimer();
    }
    // Connect, let the settings-read period pass, refresh once more.
    void connectAndRun() {
        model.refreshDisplay(true);
        endSettingsRead();
        model.refreshDisplay(true);
    }
    bool visible(int ch) { return model.pane(ch).visible && view.visible.at(ch); }
    // The visible panes by their short names, in channel order.
    std::string shownPanes() {
        static const char* const names[] = {"T1", "T2", "RH", "P", "DP", "WB"};
        std::string shown;
        for (int ch = 0; ch < kChannelCount; ++ch)
            if (visible(ch)) shown += (shown.empty() ? "" : " ") + std::string(names[ch]);
        return shown;
    }

    PanelState state = mr411Panel();
    FakeTimers timers;
    FakeView view;
    FakeServer server;
    FakeRegistration registration;
    ReadingModel model{state, timers, view, server};
};

TEST_F(ReadingModelTest, PanesGetTitlesAndKinds) {
    EXPECT_EQ(model.pane(kChannelTemp1).title, "Temperatura 1");
    EXPECT_EQ(model.pane(kChannelWb).title, "Zawartość pary wodnej");
    EXPECT_EQ(model.pane(kChannelRh).displayKind, 7);
    EXPECT_EQ(model.pane(kChannelPressure).sourceUnit, 5);
    EXPECT_TRUE(model.pane(kChannelDp).showUnit);
}

TEST_F(ReadingModelTest, FirstRefreshAtStartUp) {
    model.refreshDisplay(false);
    EXPECT_EQ(shownPanes(), "T1 RH P DP WB");
    for (int ch = 0; ch < kChannelCount; ++ch) {
        EXPECT_FALSE(model.pane(ch).hasValue) << ch;
        EXPECT_TRUE(model.pane(ch).blinking) << ch;
        EXPECT_EQ(model.pane(ch).formattedValue(), "???");
    }
    EXPECT_EQ(model.statusText(), "Brak komunikacji z panelem. ");
    EXPECT_EQ(view.statusWrites.size(), 1u);
    EXPECT_FALSE(model.settingsReadRunning());
    EXPECT_TRUE(server.starts.empty());
    EXPECT_EQ(server.stops, 1);
    EXPECT_EQ(server.publishes, 1);
    EXPECT_EQ(view.relayouts, 1);
    EXPECT_EQ(model.layoutCode(), 1 + 4 + 16);
    EXPECT_EQ(model.clockText(), "");
}

TEST_F(ReadingModelTest, ConnectionRunsSettingsReadPeriodThenShowsValues) {
    model.refreshDisplay(false);
    state.panelClock = {2026, 12, 8, 4, 5, 6};
    model.refreshDisplay(true);
    EXPECT_TRUE(model.settingsReadRunning());
    EXPECT_EQ(timers.running.at(1067), 12000);
    EXPECT_FALSE(view.menuEnabled.at(menu_id::kRegistration));
    EXPECT_EQ(model.statusText(), "Łączność została nawiązana. Trwa odczyt ustawień. ");
    EXPECT_FALSE(model.pane(kChannelTemp1).hasValue);
    EXPECT_TRUE(model.pane(kChannelTemp1).blinking);
    EXPECT_TRUE(server.starts.empty());
    EXPECT_FALSE(model.clockText().empty());   // the clock shows during the period

    model.refreshDisplay(true);   // still within the period
    EXPECT_FALSE(model.pane(kChannelRh).hasValue);

    model.onSettingsReadTimer();
    EXPECT_FALSE(model.settingsReadRunning());
    EXPECT_EQ(timers.running.count(1067), 0u);
    EXPECT_TRUE(view.menuEnabled.at(menu_id::kRegistration));
    EXPECT_EQ(view.reopens, 1);
    EXPECT_TRUE(server.starts.empty());   // nothing else happens at the timer

    model.refreshDisplay(true);
    EXPECT_EQ(model.statusText(), "Pomiar OK. ");
    EXPECT_EQ(model.pane(kChannelTemp1).formattedValue(), "21.5 °C");
    EXPECT_EQ(model.pane(kChannelRh).formattedValue(), "45.4 %");
    EXPECT_EQ(model.pane(kChannelPressure).formattedValue(), "1013.3 hPa");
    EXPECT_EQ(model.pane(kChannelWb).formattedValue(), "12345 ppm");
    for (int ch : {kChannelTemp1, kChannelRh, kChannelDp, kChannelWb, kChannelPressure}) {
        EXPECT_FALSE(model.pane(ch).blinking) << ch;
        EXPECT_TRUE(model.pane(ch).valid()) << ch;
    }
    EXPECT_TRUE(model.pane(kChannelTemp2).blinking);
    EXPECT_FALSE(visible(kChannelTemp2));
    EXPECT_EQ(server.starts, std::vector<int>{1234});
    LiveReadings live = model.liveReadings();
    EXPECT_TRUE(live[kChannelRh].valid());
    EXPECT_DOUBLE_EQ(live[kChannelRh].value, 45.46);
    EXPECT_EQ(live[kChannelPressure].displayKind, 5);
    EXPECT_FALSE(live[kChannelTemp2].present);
    EXPECT_FALSE(live[kChannelTemp2].valid());

    // Further refreshes publish without restarting.
    int stops = server.stops;
    model.refreshDisplay(true);
    EXPECT_EQ(server.stops, stops);
    EXPECT_EQ(server.starts.size(), 1u);
    EXPECT_EQ(server.publishes, 5);

    // Loss of communication.
    model.refreshDisplay(false);
    EXPECT_EQ(model.statusText(), "Brak komunikacji z panelem. ");
    EXPECT_FALSE(server.serving);
    EXPECT_FALSE(model.pane(kChannelPressure).hasValue);
    EXPECT_EQ(model.clockText(), "");
    EXPECT_FALSE(model.settingsReadRunning());
}

// The readings handed on name the reply behind each value shown and its age.
TEST_F(ReadingModelTest, ReadingsCarryTheReplyThatBroughtThemAndItsAge) {
    std::int64_t now = 0;
    model.setClock([&] { return now; });
    model.onReplyAccepted(PanelCommand::Mr411Readings);
    now = 250;
    model.onReplyAccepted(PanelCommand::Pressure);
    model.onReplyAccepted(PanelCommand::ReadClock);   // no reading in it
    connectAndRun();
    now = 1250;
    const LiveReadings live = model.liveReadings();
    const int rows[][3] = {{kChannelTemp1, 1, 1250}, {kChannelWb, 1, 1250}, {kChannelPressure, 2, 1000}, {kChannelTemp2, 0, -1}};
    for (const auto& r : rows) EXPECT_EQ((std::pair<int, int>(live[r[0]].replySerial, live[r[0]].ageMs)), (std::pair(r[1], r[2])));
    model.refreshDisplay(false);   // a pane without value has no reply behind it
    EXPECT_EQ(model.liveReadings()[kChannelPressure].replySerial, 0u);
}

TEST_F(ReadingModelTest, Mr466WithTwoTemperaturesHidesHumidity) {
    state.mr411Absent = 1;
    state.mr466Absent = 0;
    state.mr466HasTemperature1 = state.mr466HasTemperature2 = 1;
    state.temperature2 = -3.47;
    connectAndRun();
    EXPECT_EQ(shownPanes(), "T1 T2 P");
    EXPECT_EQ(model.pane(kChannelTemp2).formattedValue(), "-3.4 °C");
    EXPECT_TRUE(model.pane(kChannelRh).blinking);
    EXPECT_EQ(model.layoutCode(), 1 + 2 + 16);
    LayoutConditions lc = model.layoutConditions();
    EXPECT_TRUE(lc.connected && lc.temperature1Available && lc.temperature2Available && !lc.humidityAvailable);
}

TEST_F(ReadingModelTest, Mr466WithHumidityHasNoTemperature2) {
    state.mr411Absent = 1;
    state.mr466Absent = 0;
    state.mr466HasTemperature1 = state.mr466HasTemperature2 = state.mr466HasHumidity = 1;
    connectAndRun();
    EXPECT_EQ(shownPanes(), "T1 RH P DP WB");
    EXPECT_EQ(model.layoutCode(), 1 + 4 + 16);
}

TEST_F(ReadingModelTest, Mr411WithoutHumidityAndTemperatureBits) {
    state.mr411NoHumidity = state.pressureAbsent = 1;
    connectAndRun();
    EXPECT_EQ(model.layoutCode(), 1 + 4 + 64);
    EXPECT_EQ(shownPanes(), "T1");
    EXPECT_EQ(model.statusText(), "Pomiar OK. ");
}

TEST_F(ReadingModelTest, NoProbeWithAndWithoutPressure) {
    state.mr411Absent = state.mr466Absent = 1;
    connectAndRun();
    EXPECT_EQ(model.layoutCode(), 16);
    EXPECT_EQ(model.statusText(), "Pomiar OK. Brak sondy. ");
    EXPECT_EQ(shownPanes(), "P");

    state.pressureAbsent = 1;
    model.refreshDisplay(true);
    EXPECT_EQ(model.layoutCode(), 0);
    // Nothing measurable: every pane but TEMP2 and the absent pressure stays visible.
    EXPECT_EQ(shownPanes(), "T1 RH DP WB");
    // The low three bits did not change: no new settings-read period.
    EXPECT_FALSE(model.settingsReadRunning());
    EXPECT_EQ(model.statusText(), "Brak pomiarów. Brak sondy. ");
}

TEST_F(ReadingModelTest, SettingsReadPeriodRestartsOnlyForLowBitsOrNewConnection) {
    connectAndRun();
    int startsBefore = static_cast<int>(timers.started.size());
    state.temperatureTwoDecimals = 1;   // bit 8
    model.refreshDisplay(true);
    EXPECT_FALSE(model.settingsReadRunning());
    EXPECT_EQ(model.pane(kChannelTemp1).formattedValue(), "21.56 °C");
    EXPECT_TRUE(model.pane(kChannelTemp2).twoDecimals);
    EXPECT_FALSE(model.pane(kChannelDp).twoDecimals);
    // The layout changed: the data server is restarted.
    EXPECT_EQ(server.starts.size(), 2u);

    state.mr411NoTemperature1 = 1;   // bit 32 only, low bits unchanged
    model.refreshDisplay(true);
    EXPECT_FALSE(model.settingsReadRunning());
    EXPECT_FALSE(visible(kChannelTemp1));

    state.mr466Absent = 0;
    state.mr466HasTemperature2 = 1;   // bit 2
    model.refreshDisplay(true);
    EXPECT_TRUE(model.settingsReadRunning());
    EXPECT_EQ(static_cast<int>(timers.started.size()), startsBefore + 1);
    EXPECT_EQ(model.statusText(), "Łączność została nawiązana. Trwa odczyt ustawień. ");
    EXPECT_FALSE(server.serving);

    // A disconnect with unchanged bits starts nothing; the reconnect does.
    model.onSettingsReadTimer();
    model.refreshDisplay(false);
    EXPECT_FALSE(model.settingsReadRunning());
    model.refreshDisplay(true);
    EXPECT_TRUE(model.settingsReadRunning());
}

TEST_F(ReadingModelTest, ErrorTextFollowsThePaneStateOfThePreviousRefresh) {
    connectAndRun();
    state.dewPointError = 1;
    model.refreshDisplay(true);
    // DP already had a value: blinking and text in the same refresh.
    EXPECT_TRUE(model.pane(kChannelDp).blinking);
    EXPECT_EQ(model.statusText(), "Pomiar OK. Błąd wartości punktu rosy. ");
}

TEST_F(ReadingModelTest, ErrorPresentAtEndOfSettingsReadShowsOneRefreshLate) {
    state.dewPointError = 1;
    model.refreshDisplay(true);
    model.onSettingsReadTimer();
    model.refreshDisplay(true);
    EXPECT_TRUE(model.pane(kChannelDp).blinking);
    EXPECT_TRUE(model.pane(kChannelDp).hasValue);
    EXPECT_EQ(model.statusText(), "Pomiar OK. ");
    model.refreshDisplay(true);
    EXPECT_EQ(model.statusText(), "Pomiar OK. Błąd wartości punktu rosy. ");
}

TEST_F(ReadingModelTest, StatusLineOrderOfEveryText) {
    state.mr466Absent = 0;
    state.mr466HasTemperature2 = 1;
    state.mr466HasHumidity = 0;
    state.mr411Absent = 0;
    state.firmwareVersion = 100;
    connectAndRun();
    ASSERT_TRUE(model.pane(kChannelTemp2).hasValue);
    state.mr411CalibrationError = state.mr466CalibrationError = state.dewPointError = state.waterVapourError = 1;
    state.temperature1Error = state.temperature2Error = state.pressureError = state.relativeHumidityError = 1;
    registration.active = true;
    registration.interval = 90;
    model.refreshDisplay(true);
    EXPECT_EQ(model.statusText(),
              "Pomiar OK. Błąd kalibracji sondy MR411. Błąd kalibracji sondy MR466. "
              "Błąd wartości punktu rosy. Błąd wartości wilgotności bezwzględnej. "
              "Błąd wartości temperatury 1. Błąd wartości temperatury 2. Błąd wartości ciśnienia. "
              "Błąd wartości wilgotności względnej. Rejestracja do pliku co 00:01:30. ");
    for (int ch = 0; ch < kChannelCount; ++ch) EXPECT_TRUE(model.pane(ch).blinking) << ch;
}

TEST_F(ReadingModelTest, AFailedRegistrationWriteIsReportedUntilAWriteSucceeds) {
    connectAndRun();
    registration.active = true;
    registration.interval = 60;
    registration.writeFailed = true;
    model.updateStatusLine();
    EXPECT_EQ(model.statusText(), "Pomiar OK. Rejestracja do pliku co 00:01:00. Błąd zapisu do pliku rejestracji. ");
    registration.writeFailed = false;
    model.updateStatusLine();
    EXPECT_EQ(model.statusText(), "Pomiar OK. Rejestracja do pliku co 00:01:00. ");
}

TEST_F(ReadingModelTest, RegistrationIntervalAndWritesOnlyOnChange) {
    connectAndRun();
    size_t writes = view.statusWrites.size();
    model.updateStatusLine();
    EXPECT_EQ(view.statusWrites.size(), writes);
    registration.active = true;
    registration.interval = 3 * 3600 + 25 * 60 + 7;
    model.updateStatusLine();
    EXPECT_EQ(model.statusText(), "Pomiar OK. Rejestracja do pliku co 03:25:07. ");
    EXPECT_EQ(view.statusWrites.size(), writes + 1);
    EXPECT_EQ(view.statusWrites.back(), model.statusText());
}

TEST_F(ReadingModelTest, SerialNumberZeroNeverStartsServer) {
    state.panelSerialNumber = 0;
    connectAndRun();
    model.refreshDisplay(true);
    EXPECT_TRUE(server.starts.empty());
    EXPECT_GE(server.stops, 2);
    EXPECT_EQ(view.startFailures, 0);
}

TEST_F(ReadingModelTest, FailedServerStartIsReportedOnceAndRetriedAtEachChange) {
    server.startResult = false;
    connectAndRun();
    EXPECT_EQ(view.startFailures, 1);
    model.refreshDisplay(true);   // nothing changed: no retry
    EXPECT_EQ(server.starts.size(), 1u);
    // Every change of the layout retries, but the user hears of it once a run.
    state.pressureAbsent = 1;
    model.refreshDisplay(true);
    model.refreshDisplay(false);
    model.refreshDisplay(true);
    model.onSettingsReadTimer();
    model.refreshDisplay(true);
    EXPECT_EQ(server.starts.size(), 3u);
    EXPECT_EQ(view.startFailures, 1);
    server.startResult = true;
    state.pressureAbsent = 0;
    model.refreshDisplay(true);
    EXPECT_EQ(server.starts.size(), 4u);
    EXPECT_TRUE(server.serving);
}

TEST_F(ReadingModelTest, PanelLostInsideTheSettingsReadPeriodEndsItWithoutReopening) {
    model.refreshDisplay(false);
    model.refreshDisplay(true);
    ASSERT_TRUE(model.settingsReadRunning());
    model.refreshDisplay(false);
    EXPECT_EQ(model.statusText(), "Brak komunikacji z panelem. ");
    EXPECT_FALSE(model.settingsReadRunning());
    EXPECT_EQ(timers.running.count(1067), 0u);
    EXPECT_EQ(view.reopens, 0);
    EXPECT_TRUE(server.starts.empty());
    // The next connection starts a whole period afresh.
    model.refreshDisplay(true);
    EXPECT_TRUE(model.settingsReadRunning());
    EXPECT_EQ(timers.running.at(1067), 12000);
    EXPECT_EQ(model.statusText(), "Łączność została nawiązana. Trwa odczyt ustawień. ");
    model.onSettingsReadTimer();
    EXPECT_EQ(view.reopens, 1);
}

TEST_F(ReadingModelTest, CalibrationAlarmDependsOnFirmware) {
    state.mr411CalibrationError = 1;
    state.firmwareVersion = 107;
    EXPECT_TRUE(ReadingModel::deriveConditions(state).calibrationAlarm);
    state.firmwareVersion = 108;
    EXPECT_FALSE(ReadingModel::deriveConditions(state).calibrationAlarm);
    state.mr411Absent = 1;
    state.mr411Supported = 1;
    EXPECT_TRUE(ReadingModel::deriveConditions(state).calibrationAlarm);
    state.mr411Supported = 0;
    EXPECT_FALSE(ReadingModel::deriveConditions(state).calibrationAlarm);

    // The alarm makes a valid temperature 1 blink.
    state = mr411Panel();
    state.firmwareVersion = 100;
    connectAndRun();
    state.mr411CalibrationError = 1;
    model.refreshDisplay(true);
    EXPECT_TRUE(model.pane(kChannelTemp1).blinking);
    EXPECT_TRUE(model.pane(kChannelRh).blinking);
    EXPECT_FALSE(model.pane(kChannelPressure).blinking);
    EXPECT_TRUE(model.pane(kChannelTemp1).hasValue);
}

TEST_F(ReadingModelTest, ClockText) {
    EXPECT_EQ(ReadingModel::clockTextOf({2026, 12, 8, 4, 5, 6}, true), "Tue Dec  8 04:05:06 2026");
    EXPECT_EQ(ReadingModel::clockTextOf({2026, 12, 8, 4, 5, 6}, false), "");   // not connected
    EXPECT_EQ(ReadingModel::clockTextOf({0, 12, 8, 4, 5, 6}, true), "");
    EXPECT_EQ(ReadingModel::clockTextOf({2026, 13, 8, 4, 5, 6}, true), "");
    EXPECT_EQ(ReadingModel::clockTextOf({2025, 2, 29, 0, 0, 0}, true), "");
    EXPECT_EQ(ReadingModel::clockTextOf({2024, 2, 29, 23, 59, 59}, true), "Thu Feb 29 23:59:59 2024");

    connectAndRun();
    EXPECT_EQ(model.clockText(), "");
    state.panelClock = {2026, 1, 1, 0, 0, 0};
    model.refreshDisplay(true);
    EXPECT_EQ(model.clockText(), "Thu Jan  1 00:00:00 2026");
    ASSERT_FALSE(view.clockWrites.empty());
    EXPECT_EQ(view.clockWrites.back(), "Thu Jan  1 00:00:00 2026");
    size_t writes = view.clockWrites.size();
    model.refreshDisplay(true);
    EXPECT_EQ(view.clockWrites.size(), writes);
}

TEST_F(ReadingModelTest, StatusUsesStringOverride) {
    setStringOverride([](int id) -> std::optional<std::string> {
        if (id == 198) return std::string("No communication with the panel. ");
        return std::nullopt;
    });
    model.refreshDisplay(false);
    setStringOverride({});
    EXPECT_EQ(model.statusText(), "No communication with the panel. ");
}

TEST(RegistrationStatusText, IntervalAndWriteFailure) {
    struct Case {
        bool active;
        int interval;
        bool failed;
        const char* text;
    };
    const Case cases[] = {
        {false, 60, false, ""},
        {false, 60, true, ""},
        {true, 60, false, "Rejestracja do pliku co 00:01:00. "},
        {true, 90, false, "Rejestracja do pliku co 00:01:30. "},
        {true, 86399, false, "Rejestracja do pliku co 23:59:59. "},
        {true, 5, true, "Rejestracja do pliku co 00:00:05. Błąd zapisu do pliku rejestracji. "},
    };
    for (const Case& c : cases) {
        FakeRegistration r;
        r.active = c.active;
        r.interval = c.interval;
        r.writeFailed = c.failed;
        EXPECT_EQ(registrationStatusText(&r), c.text) << c.interval;
    }
    EXPECT_EQ(registrationStatusText(nullptr), "");
}

}  // namespace
}  // namespace mr420
