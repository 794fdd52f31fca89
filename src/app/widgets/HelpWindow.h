#pragma once
// The program's own help window: the shipped HTML help pages in a text
// browser, with back, forward and the contents page, the pictures and the
// links between pages; a button opens the page shown in the desktop's
// browser. Help thus works on a machine without one. Links to other targets
// (mail, the web) go to the desktop.

#include <QString>
#include <QUrl>
#include <QWidget>

class QPushButton;
class QTextBrowser;

namespace mr420 {

class LinkOpener;
class MessageBoxes;

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    HelpWindow(LinkOpener& opener, MessageBoxes& boxes, QWidget* parent = nullptr);

    // Who opens targets outside the pages, and who reports what failed.
    void setOpener(LinkOpener& opener, MessageBoxes& boxes);

    // Shows a page (a file, "#anchor" allowed), makes it the contents page
    // and brings the window to the front.
    void showPage(const QString& path);
    // Follows a link of the page shown: another page (or a place in it) here,
    // any other target in the desktop's handler.
    void follow(const QUrl& link);
    // "Otwórz w przeglądarce": the page shown, in the desktop's browser.
    int openInBrowser();

    QTextBrowser* browser() const { return browser_; }
    QPushButton* backButton() const { return back_; }
    QPushButton* forwardButton() const { return forward_; }
    QPushButton* contentsButton() const { return contents_; }
    QPushButton* browserButton() const { return external_; }

private:
    void updateTitle();

    LinkOpener* opener_;
    MessageBoxes* boxes_;
    QUrl home_;
    QTextBrowser* browser_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* forward_ = nullptr;
    QPushButton* contents_ = nullptr;
    QPushButton* external_ = nullptr;
};

// The help window of the modal dialog open now, else of the window `parent`
// belongs to, made on first use: a window of its own above that one, which
// the modal dialog therefore does not block. Without either there is one for
// the program.
HelpWindow& helpWindowFor(QWidget* parent, LinkOpener& opener, MessageBoxes& boxes);

}  // namespace mr420
