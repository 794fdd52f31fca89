#pragma once
// F1 anywhere in the program opens the help page of the window that has the
// focus: the main window's, a dialog's, or, for a message box, the page of
// the window it belongs to. It works inside modal dialogs, where the main
// window's own shortcuts do not reach.

#include <QObject>

#include <functional>
#include <string>

class QWidget;

namespace mr420 {

// The window whose page F1 opens when `focus` has the keyboard.
QWidget* helpWindowOf(QWidget* focus);

// The page of a window (see app/HelpTopics.h), by its class or the nearest
// base class that has one.
std::string helpTopicOf(const QWidget* window);

// Watches the application's key presses for F1 and hands the window to
// `show`; the key goes no further.
class HelpKey : public QObject {
public:
    using Show = std::function<void(QWidget* window)>;
    HelpKey(Show show, QObject* parent);
    ~HelpKey() override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    Show show_;
};

}  // namespace mr420
