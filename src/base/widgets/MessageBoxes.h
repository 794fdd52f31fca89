#pragma once
// Message boxes behind an interface: the front end shows them with QMessageBox,
// tests script the answers and check what was asked.

#include <QString>

#include <deque>
#include <functional>
#include <vector>

class QWidget;

namespace mr420 {

enum class BoxIcon { None, Information, Warning, Error, Question };
enum class BoxButtons { Ok, YesNo };
enum class BoxAnswer { Ok, Yes, No };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Modal; timers and received bytes go on being handled while it is open.
    virtual BoxAnswer show(QWidget* parent, const QString& text, BoxButtons buttons, BoxIcon icon) = 0;

    // A failure report: OK button, no icon.
    void message(QWidget* parent, const QString& text) { show(parent, text, BoxButtons::Ok, BoxIcon::None); }
    // A validation message: OK button, information icon.
    void information(QWidget* parent, const QString& text) { show(parent, text, BoxButtons::Ok, BoxIcon::Information); }
    // A confirmation: true for Yes.
    bool ask(QWidget* parent, const QString& text, BoxIcon icon = BoxIcon::Question) {
        return show(parent, text, BoxButtons::YesNo, icon) == BoxAnswer::Yes;
    }
};

// QMessageBox with the caption "MR420".
class QtMessageBoxes : public MessageBoxes {
public:
    BoxAnswer show(QWidget* parent, const QString& text, BoxButtons buttons, BoxIcon icon) override;
};

// Records every box and answers from a queue; with the queue empty it answers
// Ok for an OK box and No for a Yes/No box.
class ScriptedMessageBoxes : public MessageBoxes {
public:
    struct Shown {
        QString text;
        BoxButtons buttons;
        BoxIcon icon;
    };
    std::vector<Shown> shown;
    std::deque<BoxAnswer> answers;
    // Runs inside show(), before the answer; tests use it to act while the box is open.
    std::function<void(const Shown&)> onShow;

    BoxAnswer show(QWidget* parent, const QString& text, BoxButtons buttons, BoxIcon icon) override;
};

}  // namespace mr420
