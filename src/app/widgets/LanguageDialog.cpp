#include "app/widgets/LanguageDialog.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/widgets/ProgramArt.h"
#include "base/widgets/WindowFit.h"

namespace mr420 {

LanguageDialog::LanguageDialog(int selection, QWidget* parent) : QDialog(parent), selection_(selection) {
    setWindowTitle(QStringLiteral("MR420"));
    openWideEnough(this);
    auto* layout = new QVBoxLayout(this);
    auto* picture = new QLabel(this);
    picture->setPixmap(panelPicture(QSize(dluX(84), dluY(53))));
    picture->setAlignment(Qt::AlignCenter);
    layout->addWidget(picture);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);
    // The language names are the same in every language.
    polish_ = new QRadioButton(QStringLiteral("Polski"), this);
    english_ = new QRadioButton(QStringLiteral("English"), this);
    layout->addWidget(polish_);
    layout->addWidget(english_);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setDefault(true);
    layout->addWidget(ok_, 0, Qt::AlignHCenter);
    connect(ok_, &QPushButton::clicked, this, &LanguageDialog::accept);
    (selection == 1 ? english_ : polish_)->setChecked(true);
}

void LanguageDialog::accept() {
    if (english_->isChecked()) selection_ = 1;
    else if (polish_->isChecked()) selection_ = 0;
    QDialog::accept();
}

int askLanguage(int selection, QWidget* parent) {
    LanguageDialog dialog(selection, parent);
    dialog.exec();
    return dialog.selection();
}

}  // namespace mr420
