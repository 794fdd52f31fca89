#pragma once
// The alarm dialogs of the "Panel" menu: "Ustawienia progów alarmowych
// modemu", "Sygnalizacja przekroczeń", "Bateria" and "Sygnalizacja zaniku
// zasilania".

#include <QWidget>

#include <array>

#include "config/AlarmModels.h"
#include "config/widgets/ConfigDialog.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace mr420 {

class NumericEdit;

// The eight threshold slots of both threshold dialogs: the groups "Alarm
// dolny" and "Alarm górny", each with a check box and a one-decimal field per
// channel. Leaving a field holds it within its channel's range.
class ThresholdSlotGroups : public QWidget {
    Q_OBJECT
public:
    ThresholdSlotGroups(MessageBoxes& boxes, QWidget* parent);

    static QString channelCaption(AlarmChannel channel);

    QCheckBox* box(int slot) const { return boxes_.at(static_cast<std::size_t>(slot)); }
    NumericEdit* field(int slot) const { return fields_.at(static_cast<std::size_t>(slot)); }

    void setInputsEnabled(bool enabled);
    void showValues(const AlarmThresholdSet& set);
    // The ranges apply to every field once more, then the values and the
    // checks go into `set`.
    void takeValues(AlarmThresholdSet& set);

private:
    std::array<QCheckBox*, kThresholdSlotCount> boxes_{};
    std::array<NumericEdit*, kThresholdSlotCount> fields_{};
};

class ModemThresholdsDialog : public ConfigDialog {
    Q_OBJECT
public:
    ModemThresholdsDialog(ModemThresholdsModel& model, MessageBoxes& boxes, QWidget* parent = nullptr);

    ThresholdSlotGroups* slotGroups() const { return slots_; }
    QCheckBox* thresholdBox(int slot) const { return slots_->box(slot); }
    NumericEdit* thresholdField(int slot) const { return slots_->field(slot); }
    NumericEdit* hysteresisField(AlarmChannel channel) const { return hysteresis_.at(static_cast<std::size_t>(channel)); }
    QLineEdit* hoursEdit() const { return hours_; }
    QLineEdit* minutesEdit() const { return minutes_; }

protected:
    void setInputsEnabled(bool enabled) override;
    void showValues() override;
    bool takeValues() override;

private:
    void hoursLeft();
    void minutesLeft();

    ModemThresholdsModel& model_;
    ThresholdSlotGroups* slots_ = nullptr;
    std::array<NumericEdit*, kAlarmChannelCount> hysteresis_{};
    QLineEdit* hours_ = nullptr;
    QLineEdit* minutes_ = nullptr;
};

class ExceedanceDialog : public ConfigDialog {
    Q_OBJECT
public:
    ExceedanceDialog(ExceedanceModel& model, MessageBoxes& boxes, QWidget* parent = nullptr);

    ThresholdSlotGroups* slotGroups() const { return slots_; }
    QCheckBox* thresholdBox(int slot) const { return slots_->box(slot); }
    NumericEdit* thresholdField(int slot) const { return slots_->field(slot); }
    QLineEdit* deferralEdit() const { return deferral_; }

protected:
    void setInputsEnabled(bool enabled) override;
    void showValues() override;
    bool takeValues() override;

private:
    void deferralLeft();

    ExceedanceModel& model_;
    ThresholdSlotGroups* slots_ = nullptr;
    QLineEdit* deferral_ = nullptr;
};

class BatteryAlarmDialog : public ConfigDialog {
    Q_OBJECT
public:
    BatteryAlarmDialog(BatteryAlarmModel& model, MessageBoxes& boxes, QWidget* parent = nullptr);

    QRadioButton* onButton() const { return on_; }
    QRadioButton* offButton() const { return off_; }

protected:
    void setInputsEnabled(bool enabled) override;
    void showValues() override;
    bool takeValues() override;

private:
    BatteryAlarmModel& model_;
    QRadioButton* on_ = nullptr;
    QRadioButton* off_ = nullptr;
};

// "włączone" unlocks the delay field, "wyłączone" locks it; before the
// settings arrive only the two buttons are locked.
class PowerLossDialog : public ConfigDialog {
    Q_OBJECT
public:
    PowerLossDialog(PowerLossModel& model, MessageBoxes& boxes, QWidget* parent = nullptr);

    QRadioButton* onButton() const { return on_; }
    QRadioButton* offButton() const { return off_; }
    QLineEdit* delayEdit() const { return delay_; }

protected:
    void setInputsEnabled(bool enabled) override;
    void showValues() override;
    bool takeValues() override;

private:
    PowerLossModel& model_;
    QRadioButton* on_ = nullptr;
    QRadioButton* off_ = nullptr;
    QLineEdit* delay_ = nullptr;
};

}  // namespace mr420
