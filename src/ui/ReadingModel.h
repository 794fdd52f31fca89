#pragma once
// The display refresh of the main window: after each completed poll cycle,
// and when the session loses or regains the panel, it turns the panel state
// into what the user sees - which panes are shown, their values and blinking,
// the status line and the panel clock - and decides the settings-read period
// after a connection and the restarts of the local data server.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "base/Interfaces.h"
#include "protocol/PanelState.h"
#include "protocol/SessionListener.h"
#include "ui/LiveReadings.h"
#include "ui/MainLayout.h"
#include "ui/ValuePaneModel.h"

namespace mr420 {

// The local data server as the refresh drives it. The front end implements it.
class DataServerControl {
public:
    virtual ~DataServerControl() = default;
    virtual void stop() = 0;
    virtual bool start(int panelSerialNumber) = 0;   // false: could not start
    virtual void publish() = 0;                      // post the current values
};

// Registration state that the status line reports.
class RegistrationStatusSource {
public:
    virtual ~RegistrationStatusSource() = default;
    virtual bool registrationActive() const = 0;
    virtual int registrationIntervalSeconds() const = 0;
    // The last record could not be written (full disk, removed medium); the
    // status line says so until a write succeeds again.
    virtual bool registrationWriteFailed() const { return false; }
};

// The registration part of the status line: "Rejestracja do pliku co
// HH:MM:SS. " while registration runs, then "Błąd zapisu do pliku
// rejestracji. " while the last record could not be written; empty when it
// does not run or there is no source.
std::string registrationStatusText(const RegistrationStatusSource* source);

// What the refresh asks of the main window. The main window implements it.
class ReadingView {
public:
    virtual ~ReadingView() = default;
    // The status line is composed only while the window exists.
    virtual bool windowExists() const { return true; }
    // Show or hide a pane (its model's visible flag is already set).
    virtual void setPaneVisible(int channel, bool visible) = 0;
    // Lay the window out again for its current size, from layoutConditions().
    virtual void relayout() = 0;
    // Write the status line, then move the keyboard focus to the TEMP1 pane
    // so that the read-only field shows no caret.
    virtual void setStatusText(const std::string& text) = 0;
    // Write the panel clock field.
    virtual void setClockText(const std::string& text) = 0;
    virtual void setMenuEntryEnabled(int menuId, bool enabled) = 0;
    // Message box with the stop icon showing string 121 (asked at most once
    // a run; the view shows it outside the refresh).
    virtual void showDataServerStartFailure() = 0;
    // The settings-read period ended: reopen the registration files that the
    // settings ask for.
    virtual void reopenRegistrationAfterStart() = 0;
};

// As a reply listener of the session it notes which reply brought each
// reading and when, so that the readings handed on (liveReadings) say how
// old each value shown is.
class ReadingModel : public ReplyListener {
public:
    // Conditions derived from the panel state at each refresh.
    struct Conditions {
        bool temperature1Available = false;
        bool temperature2Available = false;
        bool humidityAvailable = false;   // RH, DP and WB
        bool temperatureProbe = false;
        bool humidityProbe = false;
        bool calibrationAlarm = false;
        bool pressureAbsent = false;
        bool operator==(const Conditions&) const = default;
    };

    static Conditions deriveConditions(const PanelState& state);
    // Signature of the available channels: 1 temperatureProbe,
    // 2 temperature2Available, 4 humidityProbe, 8 temperatureTwoDecimals,
    // 16 pressure measured, 32 mr411NoTemperature1, 64 mr411NoHumidity.
    static int computeLayoutCode(const PanelState& state, const Conditions& conditions);
    // The panel clock with "%c" under the process locale; empty when the
    // year is 0, when not connected, or when the fields are no valid date.
    static std::string clockTextOf(const LocalTime& clock, bool connected);

    // The state, timers, view and data server are the main window's and
    // outlive the model. The panes start with their titles and kinds set.
    ReadingModel(const PanelState& state, TimerService& timers, ReadingView& view,
                 DataServerControl& dataServer);
    // Without a window and a data server (the command line): the refresh
    // keeps the panes, the status text and the settings-read period only.
    ReadingModel(const PanelState& state, TimerService& timers);

    void setRegistrationSource(const RegistrationStatusSource* source) { registration_ = source; }
    // The data server of a model without a window (the service), started at
    // the next refresh; nullptr: none.
    void setDataServer(DataServerControl* dataServer) {
        dataServer_ = dataServer;
        periodAtServerRestart_ = -1;   // no timer has that id
    }
    // Monotonic milliseconds for the age of the readings (tests give a
    // virtual clock); the steady clock by default.
    void setClock(std::function<std::int64_t()> nowMs) { nowMs_ = std::move(nowMs); }

    // ReplyListener: a reply that carries readings.
    void onReplyAccepted(PanelCommand command) override;

    // The six panes by Channel; the widgets bind to them with setListener.
    ValuePaneModel& pane(int channel) { return panes_[static_cast<std::size_t>(channel)]; }
    const ValuePaneModel& pane(int channel) const { return panes_[static_cast<std::size_t>(channel)]; }
    std::array<ValuePaneModel, kChannelCount>& panes() { return panes_; }

    // Give every pane its title from the string table and its kind (source
    // unit equal to the kind, unit shown). Done by the constructor; call it
    // again after the string table's language changed.
    void initialisePanes();

    // One refresh; connected = the panel's identity/status reply was valid.
    void refreshDisplay(bool connected);
    // Also called by the registration settings handler after registration
    // was switched on or off.
    void updateStatusLine();
    // Timer 1067 fired: the period ends, the registration files reopen.
    void onSettingsReadTimer();

    bool connected() const { return connected_; }
    int layoutCode() const { return layoutCode_; }
    bool settingsReadRunning() const { return settingsReadTimer_ != 0; }
    const std::string& statusText() const { return statusText_; }
    const std::string& clockText() const { return clockText_; }
    const Conditions& conditions() const { return conditions_; }
    // Input for computeMainLayout: the conditions of the last refresh and the
    // stored connected flag.
    LayoutConditions layoutConditions() const;
    // What registration and the data server read from the panes (the channel
    // orders agree).
    LiveReadings liveReadings() const;

private:
    void startSettingsReadPeriod();
    // Ends the period; `completed` false when the panel was lost inside it.
    void endSettingsReadPeriod(bool completed);
    void setPaneVisible(int channel, bool visible);
    void setPaneValue(int channel, bool blink, double value);
    void setPaneNoValue(int channel);

    const PanelState& state_;
    TimerService& timers_;
    ReadingView* view_ = nullptr;
    DataServerControl* dataServer_ = nullptr;
    const RegistrationStatusSource* registration_ = nullptr;
    std::array<ValuePaneModel, kChannelCount> panes_;

    bool connected_ = false;
    int layoutCode_ = -1;
    int settingsReadTimer_ = 0;
    int periodAtServerRestart_ = 0;   // settingsReadTimer_ when the data server last restarted
    bool dataServerFailureShown_ = false;
    std::string statusText_;
    std::string clockText_;
    Conditions conditions_;

    std::function<std::int64_t()> nowMs_;
    std::uint64_t replies_ = 0;   // readings replies so far
    // Per channel: the last reply that carried it, and the one behind the
    // value the pane shows (serial 0: none).
    struct Stamp {
        std::uint64_t serial = 0;
        std::int64_t atMs = 0;
    };
    std::array<Stamp, kChannelCount> arrived_{};
    std::array<Stamp, kChannelCount> shown_{};
};

}  // namespace mr420
