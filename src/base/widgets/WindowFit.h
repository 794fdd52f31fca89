#pragma once
// Window widths that keep every text whole. A window manager elides a title
// that does not fit between the frame's icon and buttons, so a small dialog
// ("MR420", "Numer PIN karty SIM") opens at least as wide as its title
// needs; and a window never opens narrower than its layout's minimum, which
// Qt's first sizing may do (it keeps a new window within two thirds of the
// screen, and an explicit minimum width takes the layout's place).

#include <QString>

class QWidget;

namespace mr420 {

// The client width at which `title` shows whole in a title bar: the title in
// the title-bar font (made bold, as most frames draw it) and room on both
// sides for an icon and three frame buttons, since many frames centre it.
int titleBarWidth(const QString& title);

// Widens `window` whenever it is shown narrower than titleBarWidth of its
// title or than its layout's minimum width.
void openWideEnough(QWidget* window);

}  // namespace mr420
