#pragma once
// "O programie": the program icon, the version line (string 225 with the
// program's version number), a short description, the panel picture that
// opens the README, and a link to the help page.

#include <QDialog>

class QLabel;
class QPushButton;

namespace mr420 {

class LinkOpener;
class LinkStatic;
class MessageBoxes;

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    // `programDir` is where the README and the help pages are looked for
    // (see app/HelpPages.h); `helpContext` picks the help page's language.
    AboutDialog(const QString& programDir, int helpContext, LinkOpener& opener, MessageBoxes& boxes,
                QWidget* parent = nullptr);

    QLabel* versionLabel() const { return version_; }
    LinkStatic* pictureLink() const { return picture_; }
    LinkStatic* helpLink() const { return help_; }
    QPushButton* okButton() const { return ok_; }

private:
    QLabel* version_ = nullptr;
    LinkStatic* picture_ = nullptr;
    LinkStatic* help_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace mr420
