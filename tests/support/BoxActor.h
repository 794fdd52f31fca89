#pragma once
// A user in front of a real QMessageBox in the widget tests: the box found
// while it is open, and the buttons and keys that end it.

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <utility>

namespace mr420::test {

// Acts on the first message box that is shown while it lives: it looks for
// the box from a timer, which runs inside the box's own event loop.
class BoxActor {
public:
    explicit BoxActor(std::function<void(QMessageBox&)> act) : act_(std::move(act)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    bool acted() const { return acted_; }
    bool stayedOpen() const { return stayedOpen_; }
    // What the box looked like when it was found.
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton escape = QMessageBox::NoButton;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QStringList buttonTexts;   // in the order of the standard buttons

private:
    static QMessageBox* shownBox() {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) return box;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return box;
        return nullptr;
    }
    void poll() {
        QMessageBox* box = shownBox();
        if (!box || !box->isVisible()) return;
        timer_.stop();
        acted_ = true;
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        buttons = box->standardButtons();
        escape = box->standardButton(box->escapeButton());
        defaultButton = box->standardButton(box->defaultButton());
        for (auto b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
            if (box->button(b)) buttonTexts << box->button(b)->text();
        act_(*box);
        // Clicks, Escape and close() end the box at once; a box still open
        // here would block the test, so it is ended and the fault noted.
        if (box->isVisible()) {
            stayedOpen_ = true;
            box->done(0);
        }
    }

    std::function<void(QMessageBox&)> act_;
    QTimer timer_;
    bool acted_ = false;
    bool stayedOpen_ = false;
};

inline void pressEscape(QMessageBox& box) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&box, &press);
}
inline void closeBox(QMessageBox& box) { box.close(); }
inline void clickYes(QMessageBox& box) { box.button(QMessageBox::Yes)->click(); }
inline void clickNo(QMessageBox& box) { box.button(QMessageBox::No)->click(); }
inline void clickOk(QMessageBox& box) { box.button(QMessageBox::Ok)->click(); }
// Enter as the user presses it: to the widget that has the focus in the box.
inline void pressEnter(QMessageBox& box) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(box.focusWidget() ? box.focusWidget() : &box, &press);
}

}  // namespace mr420::test
