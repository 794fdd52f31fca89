#include "app/widgets/HelpKey.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QWidget>

#include "app/HelpTopics.h"

namespace mr420 {

QWidget* helpWindowOf(QWidget* focus) {
    QWidget* window = focus ? focus->window() : nullptr;
    // A message box or an open menu speaks for the window it belongs to.
    while (window && window->parentWidget() &&
           (qobject_cast<QMessageBox*>(window) || window->windowType() == Qt::Popup))
        window = window->parentWidget()->window();
    return window;
}

std::string helpTopicOf(const QWidget* window) {
    for (const QMetaObject* m = window ? window->metaObject() : nullptr; m; m = m->superClass()) {
        std::string_view name = m->className();
        if (const auto colons = name.rfind("::"); colons != std::string_view::npos) name.remove_prefix(colons + 2);
        if (hasHelpTopic(name)) return helpTopicOfWindow(name);
    }
    return helpTopicOfWindow({});
}

HelpKey::HelpKey(Show show, QObject* parent) : QObject(parent), show_(std::move(show)) {
    if (qApp) qApp->installEventFilter(this);
}

HelpKey::~HelpKey() {
    if (qApp) qApp->removeEventFilter(this);
}

bool HelpKey::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(e);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) return false;
    // The widget that has the keyboard; the window system's own window
    // object sees the key first and hands it on.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) return false;
    if (show_) show_(helpWindowOf(widget));
    return true;
}

}  // namespace mr420
