#include "base/widgets/ProgramArt.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace mr420 {

namespace {

// A panel front: a rounded case with a display showing a reading and three keys.
void drawPanel(QPainter& p, const QRectF& r) {
    p.setRenderHint(QPainter::Antialiasing);
    const qreal u = std::min(r.width(), r.height()) / 16.0;
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(70, 110, 160));
    g.setColorAt(1, QColor(20, 50, 90));
    p.setPen(QPen(QColor(10, 30, 60), std::max<qreal>(1, u / 3)));
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(u / 2, u / 2, -u / 2, -u / 2), 2 * u, 2 * u);

    QRectF display(r.left() + 2 * u, r.top() + 2 * u, r.width() - 4 * u, r.height() * 0.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(202, 228, 255));
    p.drawRoundedRect(display, u, u);
    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    f.setPixelSize(std::max(1, int(display.height() * 0.6)));
    p.setFont(f);
    p.setPen(QColor(0, 64, 128));
    p.drawText(display, Qt::AlignCenter, r.width() >= 48 ? QStringLiteral("21.3") : QStringLiteral("21"));

    const qreal keyY = display.bottom() + (r.bottom() - display.bottom()) / 2;
    const qreal keyR = std::max<qreal>(1, u * 1.1);
    p.setBrush(QColor(240, 200, 60));
    for (int i = 0; i < 3; ++i) {
        const qreal x = r.left() + r.width() * (i + 1) / 4.0;
        p.drawEllipse(QPointF(x, keyY), keyR, keyR);
    }
}

}  // namespace

QIcon programIcon() {
    QIcon icon;
    for (int s : {16, 24, 32, 48, 64, 128}) {
        QPixmap pm(s, s);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        drawPanel(p, QRectF(0, 0, s, s));
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

QPixmap panelPicture(const QSize& size) {
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    drawPanel(p, QRectF(QPointF(0, 0), QSizeF(size)));
    return pm;
}

}  // namespace mr420
