#include "app/widgets/PromotionDialog.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/widgets/LinkStatic.h"
#include "base/widgets/ProgramArt.h"
#include "base/widgets/WindowFit.h"

namespace mr420 {

PromotionDialog::PromotionDialog(const QString& helpPage, LinkOpener& opener, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("Program VKS"));
    openWideEnough(this);
    resize(dluX(355), dluY(290));
    auto* layout = new QVBoxLayout(this);

    document_ = new QTextBrowser(this);
    document_->setOpenLinks(false);
    document_->setTextInteractionFlags(Qt::NoTextInteraction);
    document_->setFocusPolicy(Qt::NoFocus);
    document_->setHtml(documentHtml());
    document_->viewport()->installEventFilter(this);
    layout->addWidget(document_, 1);

    auto* bottom = new QHBoxLayout;
    link_ = new LinkStatic(tr("Kliknij, aby uzyskać więcej informacji w pomocy programu"), this);
    link_->setTarget(helpPage);
    link_->setOpener(&opener);
    link_->setMessageBoxes(&boxes);
    bottom->addWidget(link_, 0, Qt::AlignVCenter);
    bottom->addStretch(1);
    close_ = new QPushButton(tr("Zamknij"), this);
    close_->setDefault(true);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    bottom->addWidget(close_);
    layout->addLayout(bottom);
}

QString PromotionDialog::documentHtml() {
    const QString paragraphs[] = {
        tr("Panel MR420 zapisuje pomiary w swojej pamięci także wtedy, gdy komputer jest wyłączony. Interwał rejestracji i rejestrowane wielkości ustawia się w menu Pamięć, Ustawienia rejestracji."),
        tr("Wilgotność względna zależy od temperatury, dlatego przy jej rejestracji warto zapisywać również temperaturę i punkt rosy: dopiero razem pokazują, czy w pomieszczeniu grozi kondensacja pary wodnej."),
        tr("Zapisane dane odczytuje się poleceniem Pamięć, Odczyt danych i zapisuje jako plik tekstowy, listę CSV lub plik do rysowania wykresów. Bieżące wyniki można też rejestrować na dysku komputera poleceniem Ustawienia, Rejestracja do pliku."),
        tr("Tego okna można nie pokazywać przy starcie programu: służy do tego polecenie Ustawienia, Ustawienia dodatkowe."),
    };
    QString html = QStringLiteral("<h2>") + tr("Rejestracja wilgotności panelem MR420").toHtmlEscaped() +
                   QStringLiteral("</h2>");
    for (const QString& p : paragraphs) html += QStringLiteral("<p>") + p.toHtmlEscaped() + QStringLiteral("</p>");
    return html;
}

bool PromotionDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == document_->viewport()) {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::ContextMenu:
                setFocus();
                return true;
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace mr420
