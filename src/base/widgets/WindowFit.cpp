#include "base/widgets/WindowFit.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QWidget>

#include <algorithm>

namespace mr420 {

namespace {

// A frame button is about as wide as the title font is high plus its
// padding; an icon and three buttons on each side.
constexpr int kFrameButtonsPerSide = 4;
constexpr int kFrameButtonPadding = 8;

class WidthKeeper : public QObject {
public:
    explicit WidthKeeper(QWidget* window) : QObject(window), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        // Show comes after the layout has sized the window and before the
        // window system maps it. A hidden window is not resized: its first
        // showing would then skip the layout's sizing.
        const bool check = e->type() == QEvent::Show || (e->type() == QEvent::WindowTitleChange && window_->isVisible());
        if (watched == window_ && check && window_->isWindow()) {
            const int needed = std::min(std::max(titleBarWidth(window_->windowTitle()), window_->minimumSizeHint().width()),
                                        window_->maximumWidth());
            if (window_->width() < needed) window_->resize(needed, window_->height());
        }
        return false;
    }

private:
    QWidget* window_;
};

}  // namespace

int titleBarWidth(const QString& title) {
    if (title.isEmpty()) return 0;
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const QFontMetrics fm(font);
    const int sides = 2 * kFrameButtonsPerSide * (fm.height() + kFrameButtonPadding);
    return fm.horizontalAdvance(title) + sides;
}

void openWideEnough(QWidget* window) {
    if (window) window->installEventFilter(new WidthKeeper(window));
}

}  // namespace mr420
