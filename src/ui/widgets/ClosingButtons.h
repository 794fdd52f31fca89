#pragma once
// The foot of the colours and fonts dialogs: a sunken line, then OK (the
// default) and Cancel, which accept and reject the dialog. The texts come
// from the caller, in its own translation context.

#include <QDialog>
#include <QDialogButtonBox>
#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace mr420 {

inline std::pair<QPushButton*, QPushButton*> addClosingButtons(QDialog* dialog, QVBoxLayout* layout, const QString& ok,
                                                               const QString& cancel) {
    auto* line = new QFrame(dialog);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);
    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* okButton = buttons->addButton(ok, QDialogButtonBox::AcceptRole);
    QPushButton* cancelButton = buttons->addButton(cancel, QDialogButtonBox::RejectRole);
    okButton->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return {okButton, cancelButton};
}

}  // namespace mr420
