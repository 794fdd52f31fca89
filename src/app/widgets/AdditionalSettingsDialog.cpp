#include "app/widgets/AdditionalSettingsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/widgets/WindowFit.h"

namespace mr420 {

AdditionalSettingsDialog::AdditionalSettingsDialog(bool showPromotion, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Ustawienia dodatkowe"));
    openWideEnough(this);
    auto* layout = new QVBoxLayout(this);
    box_ = new QCheckBox(tr("Nie pokazuj informacji o oprogramowaniu VKS przy starcie"), this);
    box_->setChecked(!showPromotion);
    layout->addWidget(box_);
    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton(tr("Anuluj"), QDialogButtonBox::RejectRole);
    ok_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

bool AdditionalSettingsDialog::showPromotion() const { return !box_->isChecked(); }

bool editAdditionalSettings(bool& showPromotion, QWidget* parent) {
    AdditionalSettingsDialog dialog(showPromotion, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    showPromotion = dialog.showPromotion();
    return true;
}

}  // namespace mr420
