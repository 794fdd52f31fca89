#pragma once
// "Ustawienia rejestracji" (menu "Pamięć"): the panel's memory-logging
// interval, channels, temperature range and resolution and overwrite mode,
// and the two optional columns of the memory read-out. The controls only
// carry values to and from LoggingSettingsModel, which holds every rule.

#include <QAbstractSpinBox>

#include <array>

#include "config/LoggingSettingsModel.h"
#include "config/widgets/ConfigDialog.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace mr420 {

// A digits-only field with up and down buttons: the arrow keys, Page Up and
// Down, the wheel and the buttons step the number at the start of its text
// within 0..maximum and write it into the field. What the field then holds
// is the dialog's business (it hears the edit's textChanged).
class IntervalSpinBox : public QAbstractSpinBox {
    Q_OBJECT
public:
    IntervalSpinBox(int maximum, QWidget* parent = nullptr);

    QLineEdit* edit() const { return lineEdit(); }
    int maximum() const { return maximum_; }
    void stepBy(int steps) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    StepEnabled stepEnabled() const override;

private:
    int maximum_;
};

class LoggingSettingsDialog : public ConfigDialog {
    Q_OBJECT
public:
    LoggingSettingsDialog(LoggingSettingsModel& model, MessageBoxes& boxes, QWidget* parent = nullptr);

    QCheckBox* loggingBox() const { return logging_; }
    IntervalSpinBox* intervalField(LoggingField field) const { return fields_[index(field)]; }
    QLabel* intervalCaption() const { return intervalCaption_; }
    QCheckBox* temperature1Box() const { return temperature1_; }
    QCheckBox* humidityBox() const { return humidity_; }
    QCheckBox* dewPointBox() const { return dewPoint_; }
    QCheckBox* temperature2Box() const { return temperature2_; }
    QCheckBox* pressureBox() const { return pressure_; }
    QCheckBox* vapourBox() const { return vapour_; }
    QRadioButton* rangeButton(LoggingRange range) const { return range_[static_cast<std::size_t>(range)]; }
    QRadioButton* resolutionButton(LoggingResolution resolution) const {
        return resolution_[static_cast<std::size_t>(resolution)];
    }
    QCheckBox* overwriteBox() const { return overwrite_; }

protected:
    void setInputsEnabled(bool enabled) override;
    void showValues() override;
    bool takeValues() override;

private:
    static std::size_t index(LoggingField f) { return static_cast<std::size_t>(f); }
    void updateEnabling();
    void showColumnBoxes();
    void fieldTextChanged(LoggingField field);
    void fieldLeft(LoggingField field);

    LoggingSettingsModel& model_;
    bool inputsEnabled_ = false;
    bool showing_ = false;   // the controls are being set from the model

    QCheckBox* logging_ = nullptr;
    QLabel* intervalCaption_ = nullptr;
    std::array<QLabel*, 3> fieldCaptions_{};
    std::array<IntervalSpinBox*, 3> fields_{};
    QCheckBox* temperature1_ = nullptr;
    QCheckBox* humidity_ = nullptr;
    QCheckBox* dewPoint_ = nullptr;
    QCheckBox* temperature2_ = nullptr;
    QCheckBox* pressure_ = nullptr;
    QCheckBox* vapour_ = nullptr;
    QButtonGroup* rangeGroup_ = nullptr;
    QButtonGroup* resolutionGroup_ = nullptr;
    std::array<QRadioButton*, 3> range_{};
    std::array<QRadioButton*, 3> resolution_{};
    QCheckBox* overwrite_ = nullptr;
};

}  // namespace mr420
