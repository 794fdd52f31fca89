#include "ui/ReadingModel.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <initializer_list>

#include "base/CivilCalendar.h"
#include "base/StringTable.h"
#include "base/TimerIds.h"
#include "ui/MenuTable.h"

namespace mr420 {

ReadingModel::Conditions ReadingModel::deriveConditions(const PanelState& s) {
    Conditions c;
    c.temperature1Available = (s.mr466HasTemperature1 && !s.mr466Absent) || (!s.mr411Absent && !s.mr411NoTemperature1);
    c.temperature2Available = s.mr466HasTemperature2 && !s.mr466Absent && !s.mr466HasHumidity;
    c.humidityAvailable = (s.mr466HasHumidity && !s.mr466Absent) || (!s.mr411Absent && !s.mr411NoHumidity);
    c.temperatureProbe = (s.mr466HasTemperature1 && !s.mr466Absent) || !s.mr411Absent;
    c.humidityProbe = (s.mr466HasHumidity && !s.mr466Absent) || !s.mr411Absent;
    if (s.firmwareVersion < 108) {
        c.calibrationAlarm = (s.mr466CalibrationError && !s.mr466Absent) || (s.mr411CalibrationError && !s.mr411Absent);
    } else {
        // From firmware 1.08 on the panel reports a probe with a calibration
        // error as absent.
        c.calibrationAlarm = (s.mr466Supported && s.mr466CalibrationError && s.mr466Absent) ||
                             (s.mr411Supported && s.mr411CalibrationError && s.mr411Absent);
    }
    c.pressureAbsent = s.pressureAbsent != 0;
    return c;
}

int ReadingModel::computeLayoutCode(const PanelState& s, const Conditions& c) {
    int code = 0;
    if (c.temperatureProbe) code |= 1;
    if (c.temperature2Available) code |= 2;
    if (c.humidityProbe) code |= 4;
    if (s.temperatureTwoDecimals) code |= 8;
    if (!s.pressureAbsent) code |= 16;
    if (s.mr411NoTemperature1) code |= 32;
    if (s.mr411NoHumidity) code |= 64;
    return code;
}

std::string ReadingModel::clockTextOf(const LocalTime& clock, bool connected) {
    if (clock.year == 0 || !connected) return {};
    // The fields come from the panel unchecked; a date the C library cannot
    // name (month 13, day 0) is not shown rather than formatted from garbage.
    if (clock.month < 1 || clock.month > 12 || clock.day < 1 || clock.day > daysInMonth(clock.year, clock.month) ||
        clock.hour > 23 || clock.minute > 59 || clock.second > 59)
        return {};
    const std::tm tm = tmOf(clock);
    char buffer[128];
    std::size_t n = std::strftime(buffer, sizeof buffer, "%c", &tm);
    return std::string(buffer, n);
}

namespace {

std::int64_t steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

ReadingModel::ReadingModel(const PanelState& state, TimerService& timers, ReadingView& view,
                           DataServerControl& dataServer)
    : state_(state), timers_(timers), view_(&view), dataServer_(&dataServer), nowMs_(steadyMs) {
    initialisePanes();
}

ReadingModel::ReadingModel(const PanelState& state, TimerService& timers)
    : state_(state), timers_(timers), nowMs_(steadyMs) {
    initialisePanes();
}

void ReadingModel::onReplyAccepted(PanelCommand command) {
    auto arrived = [this](std::initializer_list<int> channels) {
        const Stamp stamp{++replies_, nowMs_()};
        for (int c : channels) arrived_[static_cast<std::size_t>(c)] = stamp;
    };
    switch (command) {
    case PanelCommand::Mr411Readings:
        arrived({kChannelTemp1, kChannelRh, kChannelDp, kChannelWb});
        break;
    case PanelCommand::Mr466Readings:
        arrived({kChannelTemp1, kChannelTemp2, kChannelRh, kChannelDp, kChannelWb});
        break;
    case PanelCommand::Pressure: arrived({kChannelPressure}); break;
    default: break;
    }
}

void ReadingModel::setPaneValue(int channel, bool blink, double value) {
    ValuePaneModel& p = pane(channel);
    p.setBlinking(blink);
    p.setValue(value);
    shown_[static_cast<std::size_t>(channel)] = arrived_[static_cast<std::size_t>(channel)];
}

void ReadingModel::setPaneNoValue(int channel) {
    ValuePaneModel& p = pane(channel);
    p.setNoValue();
    p.setBlinking(true);
    shown_[static_cast<std::size_t>(channel)] = {};
}

void ReadingModel::initialisePanes() {
    for (int ch = 0; ch < kChannelCount; ++ch) {
        const ChannelInfo& info = kChannels[static_cast<std::size_t>(ch)];
        ValuePaneModel& p = pane(ch);
        p.title = str(info.titleStringId);
        p.setKind(info.displayKind, info.displayKind, true);
    }
}

LayoutConditions ReadingModel::layoutConditions() const {
    LayoutConditions l;
    l.connected = connected_;
    l.temperature1Available = conditions_.temperature1Available;
    l.temperature2Available = conditions_.temperature2Available;
    l.humidityAvailable = conditions_.humidityAvailable;
    l.pressureAbsent = conditions_.pressureAbsent;
    return l;
}

LiveReadings ReadingModel::liveReadings() const {
    LiveReadings readings;
    const std::int64_t now = nowMs_();
    for (int ch = 0; ch < kChannelCount; ++ch) {
        const ValuePaneModel& p = pane(ch);
        LiveReading& r = readings[static_cast<std::size_t>(ch)];
        r.present = p.visible;
        r.hasValue = p.hasValue;
        r.blinking = p.blinking;
        r.value = p.value;
        r.displayKind = p.displayKind;
        r.twoDecimals = p.twoDecimals;
        const Stamp& shown = shown_[static_cast<std::size_t>(ch)];
        if (p.hasValue && shown.serial != 0) {
            r.replySerial = shown.serial;
            r.ageMs = now - shown.atMs;
        }
    }
    return readings;
}

void ReadingModel::startSettingsReadPeriod() {
    if (settingsReadTimer_ != 0) timers_.stopTimer(settingsReadTimer_);
    timers_.startTimer(timer_id::kSettingsReadPeriod, timer_id::kSettingsReadPeriodMs);
    settingsReadTimer_ = timer_id::kSettingsReadPeriod;
    if (view_) view_->setMenuEntryEnabled(menu_id::kRegistration, false);
}

void ReadingModel::endSettingsReadPeriod(bool completed) {
    timers_.stopTimer(timer_id::kSettingsReadPeriod);
    settingsReadTimer_ = 0;
    if (!view_) return;
    view_->setMenuEntryEnabled(menu_id::kRegistration, true);
    if (completed) view_->reopenRegistrationAfterStart();
}

void ReadingModel::onSettingsReadTimer() { endSettingsReadPeriod(true); }

void ReadingModel::setPaneVisible(int channel, bool visible) {
    pane(channel).visible = visible;
    if (view_) view_->setPaneVisible(channel, visible);
}

void ReadingModel::refreshDisplay(bool connected) {
    const PanelState& s = state_;

    // 1. Derived conditions and the new layout code.
    conditions_ = deriveConditions(s);
    const Conditions& c = conditions_;
    const int newCode = computeLayoutCode(s, c);

    // 2. Pane visibility and layout, only when something changed.
    const bool changed = newCode != layoutCode_ || connected != connected_;
    if (changed) {
        const int oldLow = layoutCode_ % 8;   // -1 for the initial -1
        const int newLow = newCode & 7;
        const bool starts = oldLow == newLow ? (connected && !connected_) : connected;
        if (starts) startSettingsReadPeriod();
        // A panel lost inside the period: no communication is shown at once,
        // nothing reopens, and the next connection starts a new period.
        if (!connected && settingsReadTimer_ != 0) endSettingsReadPeriod(false);

        connected_ = connected;
        layoutCode_ = newCode;
        pane(kChannelTemp1).setTwoDecimals(s.temperatureTwoDecimals != 0);
        pane(kChannelTemp2).setTwoDecimals(s.temperatureTwoDecimals != 0);

        const bool nothingMeasurable = newCode == 0 || newCode == 8;
        setPaneVisible(kChannelTemp1, !(!c.temperature1Available && connected && !nothingMeasurable));
        setPaneVisible(kChannelTemp2, c.temperature2Available && connected);
        const bool humidityShown = !(!c.humidityAvailable && connected && !nothingMeasurable);
        setPaneVisible(kChannelRh, humidityShown);
        setPaneVisible(kChannelDp, humidityShown);
        setPaneVisible(kChannelWb, humidityShown);
        setPaneVisible(kChannelPressure, !(c.pressureAbsent && connected));

        if (view_) view_->relayout();
    }

    // 3. Status line, from the pane states of the previous refresh.
    updateStatusLine();

    // 4. During the settings-read period the panes show no values.
    const bool showValues = connected && settingsReadTimer_ == 0;

    // 5. Values and blinking.
    if (c.temperature1Available && showValues)
        setPaneValue(kChannelTemp1, c.calibrationAlarm || s.temperature1Error, s.temperature1);
    else
        setPaneNoValue(kChannelTemp1);

    if (c.temperature2Available && showValues) {
        const bool blink = (s.mr466CalibrationError && (s.firmwareVersion < 108 || s.mr466Supported)) ||
                           s.temperature2Error;
        setPaneValue(kChannelTemp2, blink, s.temperature2);
    } else {
        setPaneNoValue(kChannelTemp2);
    }

    if (c.humidityAvailable && showValues) {
        setPaneValue(kChannelRh, c.calibrationAlarm || s.relativeHumidityError, s.relativeHumidity);
        setPaneValue(kChannelDp, c.calibrationAlarm || s.dewPointError, s.dewPoint);
        setPaneValue(kChannelWb, c.calibrationAlarm || s.waterVapourError, s.waterVapourPpm);
    } else {
        setPaneNoValue(kChannelRh);
        setPaneNoValue(kChannelDp);
        setPaneNoValue(kChannelWb);
    }

    if (showValues)
        setPaneValue(kChannelPressure, s.pressureError != 0, s.pressure);
    else
        setPaneNoValue(kChannelPressure);

    // 6. Data server: restart at each change of the period or the layout.
    if (!dataServer_) return;
    if (settingsReadTimer_ != periodAtServerRestart_ || changed) {
        periodAtServerRestart_ = settingsReadTimer_;
        dataServer_->stop();
        if (s.panelSerialNumber > 0 && connected_ && settingsReadTimer_ == 0) {
            if (!dataServer_->start(s.panelSerialNumber) && !dataServerFailureShown_) {
                dataServerFailureShown_ = true;
                if (view_) view_->showDataServerStartFailure();
            }
        }
    }
    dataServer_->publish();
}

std::string registrationStatusText(const RegistrationStatusSource* source) {
    if (!source || !source->registrationActive()) return {};
    const int interval = source->registrationIntervalSeconds();
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, " %02d:%02d:%02d. ", interval / 3600, interval % 3600 / 60, interval % 60);
    std::string text = str(string_id::kRegistrationEvery) + buffer;
    if (source->registrationWriteFailed()) text += str(string_id::kRegistrationWriteFailed) + ". ";
    return text;
}

void ReadingModel::updateStatusLine() {
    if (view_ && !view_->windowExists()) return;
    const PanelState& s = state_;
    const Conditions& c = conditions_;
    using namespace string_id;

    std::string text;
    if (settingsReadTimer_ != 0)
        text = str(kStatusReadingSettings);
    else if (!connected_)
        text = str(kStatusNoCommunication);
    else if (c.temperature1Available || !c.pressureAbsent || c.humidityAvailable)
        text = str(kStatusMeasurementOk);
    else
        text = str(kStatusNoMeasurements);

    if (!s.mr411Absent && s.mr411CalibrationError) text += str(kStatusMr411Calibration);
    if (!s.mr466Absent && s.mr466CalibrationError) text += str(kStatusMr466Calibration);
    if (s.mr411Absent && s.mr466Absent && connected_) text += str(kStatusNoProbe);
    if (pane(kChannelDp).hasValue && s.dewPointError) text += str(kStatusDewPointError);
    if (pane(kChannelWb).hasValue && s.waterVapourError) text += str(kStatusWaterVapourError);
    if (pane(kChannelTemp1).hasValue && s.temperature1Error) text += str(kStatusTemperature1Error);
    if (pane(kChannelTemp2).hasValue && s.temperature2Error) text += str(kStatusTemperature2Error);
    if (pane(kChannelPressure).hasValue && s.pressureError) text += str(kStatusPressureError);
    if (pane(kChannelRh).hasValue && s.relativeHumidityError) text += str(kStatusHumidityError);
    text += registrationStatusText(registration_);

    if (text != statusText_) {
        statusText_ = text;
        if (view_) view_->setStatusText(statusText_);
    }

    std::string clock = clockTextOf(s.panelClock, connected_);
    if (clock != clockText_) {
        clockText_ = clock;
        if (view_) view_->setClockText(clockText_);
    }
}

}  // namespace mr420
