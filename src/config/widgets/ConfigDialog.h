#pragma once
// The shape of every configuration dialog: a modal dialog over a core model,
// run by ConfigController. A dialog fills its controls from the model, takes
// them back on OK (validating through the model) and keeps its input
// controls and its OK disabled until the panel's settings have arrived.

#include <QDialog>

#include "base/UserMessage.h"
#include "config/ConfigController.h"

class QDialogButtonBox;
class QPushButton;
class QVBoxLayout;

namespace mr420 {

class MessageBoxes;

class ConfigDialog : public QDialog, public ConfigDialogView {
    Q_OBJECT
public:
    ConfigDialog(const QString& title, MessageBoxes& boxes, QWidget* parent = nullptr);

    bool runModal(bool waitForSettings) override;
    void settingsArrived() override;
    void cancel() override;

    QPushButton* okButton() const;
    QPushButton* cancelButton() const;
    bool waitingForSettings() const { return waiting_; }

protected:
    // The controls, above the OK and Cancel buttons.
    QVBoxLayout* body() const { return body_; }
    MessageBoxes& boxes() const { return boxes_; }
    void showMessage(const UserMessage& message);

    // Enable or disable the controls that show the panel's settings.
    virtual void setInputsEnabled(bool enabled) = 0;
    // Model -> controls.
    virtual void showValues() = 0;
    // Controls -> model on OK; false (after the message) keeps the dialog open.
    virtual bool takeValues() = 0;

    void accept() override;

private:
    MessageBoxes& boxes_;
    QVBoxLayout* body_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    bool waiting_ = false;
};

}  // namespace mr420
