#include "base/widgets/WaitWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include "base/widgets/ProgramArt.h"

namespace mr420 {

WaitWindow::WaitWindow(const QString& text, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), text_(text) {
    setModal(true);
    setFixedSize(dluX(160), dluY(86));
    setAttribute(Qt::WA_OpaquePaintEvent);
    picture_ = new QLabel(this);
    picture_->setGeometry(dluX(kPictureX), dluY(kPictureY), dluX(kPictureW), dluY(kPictureH));
    picture_->setPixmap(panelPicture(picture_->size()));
}

WaitWindow::~WaitWindow() = default;

void WaitWindow::show() {
    {
        std::lock_guard<std::recursive_mutex> lock(closeLock_);
        if (shown_) return;
        shown_ = true;
    }
    exec();
    std::lock_guard<std::recursive_mutex> lock(closeLock_);
    shown_ = false;
}

void WaitWindow::close() {
    std::lock_guard<std::recursive_mutex> lock(closeLock_);
    if (!shown_ || closing_) return;
    closing_ = true;
    shown_ = false;
    ++closeCount_;
    done(QDialog::Accepted);
    closing_ = false;
}

void WaitWindow::paintEvent(QPaintEvent*) {
    QPixmap buffer(size() * devicePixelRatioF());
    buffer.setDevicePixelRatio(devicePixelRatioF());
    {
        QPainter bp(&buffer);
        bp.fillRect(rect(), QColor(254, 254, 243));
        bp.setPen(Qt::black);
        bp.drawText(QRect(0, 110, width(), 20), Qt::AlignCenter | Qt::TextSingleLine, text_);
    }
    QPainter p(this);
    p.drawPixmap(0, 0, buffer);
}

void WaitWindow::keyPressEvent(QKeyEvent* e) { e->accept(); }

void WaitWindow::closeEvent(QCloseEvent* e) {
    if (shown_) e->ignore();
    else QDialog::closeEvent(e);
}

}  // namespace mr420
