#include "ui/widgets/ColourSwatch.h"

#include <QMouseEvent>
#include <QPainter>

namespace mr420 {

ColourSwatch::ColourSwatch(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
}

void ColourSwatch::setColour(const QColor& colour) {
    colour_ = colour;
    if (isVisible()) repaint();
}

void ColourSwatch::paintEvent(QPaintEvent*) {
    ++paintCount_;
    QPainter p(this);
    p.fillRect(rect(), colour_);
}

void ColourSwatch::mousePressEvent(QMouseEvent* e) {
    pressed_ = e->button() == Qt::LeftButton;
    e->accept();
}

void ColourSwatch::mouseReleaseEvent(QMouseEvent* e) {
    const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    pressed_ = false;
    e->accept();
    if (click) emit clicked();
}

}  // namespace mr420
