#pragma once
// The three small configuration dialogs: "Data i czas", "Ustawienie czasu
// autowyłączania" and "Ustawienie ciśnienia domyślnego".

#include <QTimer>

#include <functional>

#include "config/SmallConfigModels.h"
#include "config/widgets/ConfigDialog.h"

class QCalendarWidget;
class QTimeEdit;

namespace mr420 {

class NumericEdit;

class ClockDialog : public ConfigDialog {
    Q_OBJECT
public:
    static constexpr int kPanelFollowTimerMs = 100;   // timers 1039 and 1040

    ClockDialog(ClockModel& model, const PanelState& state, MessageBoxes& boxes, QWidget* parent = nullptr);

    // The PC's local time (tests give a fixed one).
    void setPcClock(std::function<LocalTime()> clock) { pcClock_ = std::move(clock); }

    QCalendarWidget* calendar() const { return calendar_; }
    QTimeEdit* timeEdit() const { return time_; }
    QPushButton* pcTimeButton() const { return pcTime_; }
    void followStep();

protected:
    void setInputsEnabled(bool) override {}
    void showValues() override;
    bool takeValues() override;
    void done(int result) override;

private:
    void usePcTime();
    void showKept();

    ClockModel& model_;
    const PanelState& state_;
    QCalendarWidget* calendar_ = nullptr;
    QTimeEdit* time_ = nullptr;
    QPushButton* pcTime_ = nullptr;
    QTimer follow_;
    bool showing_ = false;   // the controls are being set from the kept time
    std::function<LocalTime()> pcClock_;
};

class AutoOffDialog : public ConfigDialog {
    Q_OBJECT
public:
    AutoOffDialog(AutoOffModel& model, MessageBoxes& boxes, QWidget* parent = nullptr);
    QTimeEdit* timeEdit() const { return time_; }

protected:
    void setInputsEnabled(bool enabled) override;
    void showValues() override;
    bool takeValues() override;

private:
    AutoOffModel& model_;
    QTimeEdit* time_ = nullptr;
};

class DefaultPressureDialog : public ConfigDialog {
    Q_OBJECT
public:
    DefaultPressureDialog(DefaultPressureModel& model, MessageBoxes& boxes, QWidget* parent = nullptr);
    NumericEdit* pressureEdit() const { return edit_; }

protected:
    void setInputsEnabled(bool enabled) override;
    void showValues() override;
    bool takeValues() override;

private:
    void applyLimits();

    DefaultPressureModel& model_;
    NumericEdit* edit_ = nullptr;
};

}  // namespace mr420
