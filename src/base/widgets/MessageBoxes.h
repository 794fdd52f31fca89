#pragma once
// Message boxes behind an interface: the front end shows them with QMessageBox,
// tests script the answers (tests/support/ScriptedMessageBoxes.h) and check
// what was asked.

#include <QString>

#include "base/UserMessage.h"

class QWidget;

namespace mr420 {

enum class BoxIcon { None, Information, Warning, Error, Question };
enum class BoxButtons { Ok, YesNo, YesNoCancel };
enum class BoxAnswer { Ok, Yes, No, Cancel };

// One box as it is asked for.
struct BoxRequest {
    QString text;
    BoxButtons buttons = BoxButtons::Ok;
    BoxIcon icon = BoxIcon::None;
    // What Escape, the window's close box and Enter answer: the answer that
    // destroys nothing. Ok for an OK box; for a Yes/No box No unless the
    // question's No is the one that throws something away (empties a file,
    // drops data); Cancel for a Yes/No/Cancel box.
    BoxAnswer safeAnswer = BoxAnswer::Ok;
};

// The answer Escape gives: Ok for an OK box; Yes or No for a Yes/No box, No
// when the request names neither; Cancel for a Yes/No/Cancel box.
inline BoxAnswer escapeAnswer(const BoxRequest& request) {
    switch (request.buttons) {
    case BoxButtons::Ok: return BoxAnswer::Ok;
    case BoxButtons::YesNoCancel: return BoxAnswer::Cancel;
    case BoxButtons::YesNo: break;
    }
    return request.safeAnswer == BoxAnswer::Yes ? BoxAnswer::Yes : BoxAnswer::No;
}

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Modal; timers and received bytes go on being handled while it is open.
    virtual BoxAnswer showBox(QWidget* parent, const BoxRequest& request) = 0;

    // A box whose safe answer is Ok, or No for a Yes/No box.
    BoxAnswer show(QWidget* parent, const QString& text, BoxButtons buttons, BoxIcon icon) {
        return showBox(parent, {text, buttons, icon, buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Ok});
    }

    // A failure report: OK button, no icon.
    void message(QWidget* parent, const QString& text) { show(parent, text, BoxButtons::Ok, BoxIcon::None); }
    // A validation message: OK button, information icon.
    void information(QWidget* parent, const QString& text) { show(parent, text, BoxButtons::Ok, BoxIcon::Information); }
    // A message the core decided: its string-table text (line breaks as LF)
    // with its icon, OK button.
    void show(QWidget* parent, const UserMessage& message);
    // A confirmation whose Yes does something: true for Yes; Escape, the
    // close box and Enter answer No.
    bool ask(QWidget* parent, const QString& text, BoxIcon icon = BoxIcon::Question) {
        return show(parent, text, BoxButtons::YesNo, icon) == BoxAnswer::Yes;
    }
    // A question whose No destroys something ("Yes to append, No to empty
    // the file"): true for Yes; Escape and the close box answer Yes, so that
    // only a deliberate No throws anything away.
    bool askNoDestroys(QWidget* parent, const QString& text, BoxIcon icon = BoxIcon::Question) {
        return showBox(parent, {text, BoxButtons::YesNo, icon, BoxAnswer::Yes}) == BoxAnswer::Yes;
    }
    // A question with a way back ("Yes to append, No to empty the file,
    // Cancel to choose again"): Escape, the close box and Enter answer Cancel.
    BoxAnswer askOrCancel(QWidget* parent, const QString& text, BoxIcon icon = BoxIcon::Question) {
        return showBox(parent, {text, BoxButtons::YesNoCancel, icon, BoxAnswer::Cancel});
    }
};

// QMessageBox with the caption "MR420"; the buttons "Tak", "Nie", "Anuluj"
// in the program's language, and the safe answer's button as both default
// and escape button, so that neither Enter nor Escape destroys anything.
class QtMessageBoxes : public MessageBoxes {
public:
    BoxAnswer showBox(QWidget* parent, const BoxRequest& request) override;
};

}  // namespace mr420
