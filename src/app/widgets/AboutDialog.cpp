#include "app/widgets/AboutDialog.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/HelpPages.h"
#include "base/ProgramVersion.h"
#include "app/widgets/HelpCommand.h"
#include "app/widgets/LinkStatic.h"
#include "base/StringTable.h"
#include "base/widgets/ProgramArt.h"
#include "base/widgets/WindowFit.h"

namespace mr420 {

namespace {
// A file's location as the user recognises it: without links when it exists.
QString shownLocation(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}
}  // namespace

AboutDialog::AboutDialog(const QString& programDir, int helpContext, LinkOpener& opener, MessageBoxes& boxes,
                         QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("O programie"));
    openWideEnough(this);
    setMinimumWidth(dluX(235));
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(dluX(10));

    auto* icon = new QLabel(this);
    icon->setPixmap(programIcon().pixmap(32, 32));
    grid->addWidget(icon, 0, 0, Qt::AlignTop);

    auto* text = new QVBoxLayout;
    version_ = new QLabel(
        QString::fromStdString(versionLine(str(string_id::kVersion), programVersion())), this);
    text->addWidget(version_);
    text->addSpacing(dluY(2));
    text->addWidget(new QLabel(tr("Odczyt, rejestracja i ustawienia panelu pomiarowego MR420"), this));
    text->addSpacing(dluY(4));

    const QString helpPage = helpPageFor(helpContext, programDir);
    auto* helpCaption = new QLabel(tr("Pomoc programu:"), this);
    text->addWidget(helpCaption);
    help_ = new LinkStatic(shownLocation(helpPage), this);
    help_->setTarget(helpPage);
    text->addWidget(help_);
    text->addStretch(1);
    grid->addLayout(text, 0, 1);

    auto* side = new QVBoxLayout;
    ok_ = new QPushButton(tr("OK"), this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    side->addWidget(ok_);
    side->addSpacing(dluY(4));
    // The picture opens the project's README, as a link would.
    picture_ = new LinkStatic(QString(), this);
    picture_->setPixmap(panelPicture(QSize(dluX(48), dluY(30))));
    picture_->setTarget(QString::fromStdString(readmePath(programDir.toStdString())));
    side->addWidget(picture_, 0, Qt::AlignHCenter);
    side->addStretch(1);
    grid->addLayout(side, 0, 2);

    for (LinkStatic* link : {help_, picture_}) {
        link->setOpener(&opener);
        link->setMessageBoxes(&boxes);
    }
}

}  // namespace mr420
