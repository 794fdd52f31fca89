#pragma once
// "Program VKS": a document that can be read and scrolled but not clicked
// into, a link to the help page and "Zamknij". Shown from the "Pomoc" menu
// and once after start while SHOW_ADV is on.

#include <QDialog>

class QPushButton;
class QTextBrowser;

namespace mr420 {

class LinkOpener;
class LinkStatic;
class MessageBoxes;

class PromotionDialog : public QDialog {
    Q_OBJECT
public:
    PromotionDialog(const QString& helpPage, LinkOpener& opener, MessageBoxes& boxes, QWidget* parent = nullptr);

    QTextBrowser* document() const { return document_; }
    LinkStatic* link() const { return link_; }
    QPushButton* closeButton() const { return close_; }

    // The document, as rich text.
    static QString documentHtml();

protected:
    // Presses and releases on the document go nowhere; the focus stays on the dialog.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTextBrowser* document_ = nullptr;
    LinkStatic* link_ = nullptr;
    QPushButton* close_ = nullptr;
};

}  // namespace mr420
