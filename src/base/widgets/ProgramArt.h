#pragma once
// The program's pictures, drawn in code: the window icon and the panel picture
// shown by the please-wait window.

#include <QIcon>
#include <QPixmap>

namespace mr420 {

QIcon programIcon();
QPixmap panelPicture(const QSize& size);

// Dialog units of the program's forms, with the base units of the classic
// 8-point dialog font (6 x 13 pixels), so that pixel positions given beside
// dialog-unit sizes keep their relation.
inline int dluX(int x) { return x * 6 / 4; }
inline int dluY(int y) { return y * 13 / 8; }

}  // namespace mr420
