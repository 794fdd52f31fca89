#pragma once
// What a user does to a dialog in the widget tests: keys typed into a field,
// and actions run inside a configuration dialog's modal loop.

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QTimer>

#include <functional>

#include "config/widgets/ConfigDialog.h"

namespace mr420::test {

// Sends each character of `text` as a key press carrying only its text.
inline void type(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

// Presses and releases the key of each digit or letter of `text`, as a
// keyboard does.
inline void typeKeys(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        const int key = c.isDigit() ? Qt::Key_0 + c.digitValue() : Qt::Key_A + (c.toUpper().unicode() - 'A');
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

inline void press(QWidget* w, int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

inline void backspace(QWidget* w) { press(w, Qt::Key_Backspace); }

// Runs `act` once the dialog's modal loop is running; `act` leaves it.
inline bool runWith(ConfigDialog& dialog, bool waitForSettings, const std::function<void()>& act) {
    QTimer::singleShot(0, &dialog, act);
    return dialog.runModal(waitForSettings);
}

}  // namespace mr420::test
