#pragma once
// "Ustawienia dodatkowe": one check box that keeps the "Program VKS" window
// from opening at start (SHOW_ADV).

#include <QDialog>

class QCheckBox;
class QPushButton;

namespace mr420 {

class AdditionalSettingsDialog : public QDialog {
    Q_OBJECT
public:
    // The box starts checked when the window is not shown at start.
    AdditionalSettingsDialog(bool showPromotion, QWidget* parent = nullptr);

    // The setting as the box gives it: shown at start when unchecked.
    bool showPromotion() const;
    QCheckBox* checkBox() const { return box_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    QCheckBox* box_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// Runs the dialog; OK stores the box's answer in `showPromotion`, Cancel
// changes nothing. True on OK.
bool editAdditionalSettings(bool& showPromotion, QWidget* parent);

}  // namespace mr420
