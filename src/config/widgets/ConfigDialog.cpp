#include "config/widgets/ConfigDialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/widgets/MessageBoxes.h"
#include "base/widgets/WindowFit.h"

namespace mr420 {

ConfigDialog::ConfigDialog(const QString& title, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), boxes_(boxes) {
    setWindowTitle(title);
    openWideEnough(this);
    auto* outer = new QVBoxLayout(this);
    body_ = new QVBoxLayout;
    outer->addLayout(body_);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    buttons_->button(QDialogButtonBox::Cancel)->setText(tr("Anuluj"));
    outer->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &ConfigDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &ConfigDialog::reject);
}

QPushButton* ConfigDialog::okButton() const { return buttons_->button(QDialogButtonBox::Ok); }
QPushButton* ConfigDialog::cancelButton() const { return buttons_->button(QDialogButtonBox::Cancel); }

bool ConfigDialog::runModal(bool waitForSettings) {
    waiting_ = waitForSettings;
    showValues();
    // Until the settings arrive the controls hold nothing of the panel's:
    // OK waits with them.
    okButton()->setEnabled(!waitForSettings);
    setInputsEnabled(!waitForSettings);
    return exec() == QDialog::Accepted;
}

void ConfigDialog::settingsArrived() {
    waiting_ = false;
    showValues();
    okButton()->setEnabled(true);
    setInputsEnabled(true);
}

void ConfigDialog::cancel() {
    if (isVisible()) reject();
}

void ConfigDialog::showMessage(const UserMessage& message) { boxes_.show(this, message); }

void ConfigDialog::accept() {
    // Nothing is written before the settings arrived.
    if (!waiting_ && takeValues()) QDialog::accept();
}

}  // namespace mr420
