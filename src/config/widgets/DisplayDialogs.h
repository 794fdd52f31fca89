#pragma once
// The display dialogs of the "Panel" menu: "Ustawienia flag wyświetlania
// panelu", "Ustawienia wyświetlania historii na panelu" and "Informacje o
// panelu".

#include <array>

#include "config/DisplayModels.h"
#include "config/widgets/ConfigDialog.h"

class QButtonGroup;
class QCheckBox;
class QPlainTextEdit;
class QRadioButton;

namespace mr420 {

// Four groups of radio buttons: display field 3, display field 4, the
// pressure unit and the temperature resolution.
class DisplayFlagsDialog : public ConfigDialog {
    Q_OBJECT
public:
    DisplayFlagsDialog(DisplayFlagsModel& model, MessageBoxes& boxes, QWidget* parent = nullptr);

    QRadioButton* field3Button(DisplayField3 choice) const { return field3_[static_cast<int>(choice)]; }
    QRadioButton* field4Button(DisplayField4 choice) const { return field4_[static_cast<int>(choice)]; }
    QRadioButton* unitButton(PressureUnit choice) const { return unit_[static_cast<int>(choice)]; }
    QRadioButton* resolutionButton(TemperatureResolution choice) const {
        return resolution_[static_cast<int>(choice)];
    }

protected:
    void setInputsEnabled(bool enabled) override;
    void showValues() override;
    bool takeValues() override;

private:
    DisplayFlagsModel& model_;
    // Indexed by the value of each choice's enum.
    std::array<QRadioButton*, 2> field3_{};
    std::array<QRadioButton*, 4> field4_{};
    std::array<QRadioButton*, 2> unit_{};
    std::array<QRadioButton*, 3> resolution_{};
};

// The automatic box and the four channels; the channels can be changed only
// while the automatic box is clear.
class HistoryDisplayDialog : public ConfigDialog {
    Q_OBJECT
public:
    HistoryDisplayDialog(HistoryDisplayModel& model, MessageBoxes& boxes, QWidget* parent = nullptr);

    QCheckBox* automaticBox() const { return automatic_; }
    QCheckBox* temperature1Box() const { return temperature1_; }
    QCheckBox* temperature2Box() const { return temperature2_; }
    QCheckBox* humidityBox() const { return humidity_; }
    QCheckBox* pressureBox() const { return pressure_; }

protected:
    void setInputsEnabled(bool enabled) override;
    void showValues() override;
    bool takeValues() override;

private:
    HistoryChoices shownChoices() const;
    void applyEnablingRule();

    HistoryDisplayModel& model_;
    QCheckBox* automatic_ = nullptr;
    QCheckBox* temperature1_ = nullptr;
    QCheckBox* temperature2_ = nullptr;
    QCheckBox* humidity_ = nullptr;
    QCheckBox* pressure_ = nullptr;
    bool inputsEnabled_ = false;
};

// Two read-only texts, the panel above and its probe below, and OK alone.
class PanelInfoDialog : public ConfigDialog {
    Q_OBJECT
public:
    PanelInfoDialog(PanelInfoModel& model, MessageBoxes& boxes, QWidget* parent = nullptr);

    QPlainTextEdit* panelText() const { return panel_; }
    QPlainTextEdit* probeText() const { return probe_; }

protected:
    void setInputsEnabled(bool) override {}
    void showValues() override;
    bool takeValues() override { return true; }

private:
    PanelInfoModel& model_;
    QPlainTextEdit* panel_ = nullptr;
    QPlainTextEdit* probe_ = nullptr;
};

}  // namespace mr420
