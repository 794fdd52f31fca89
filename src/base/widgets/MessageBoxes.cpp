#include "base/widgets/MessageBoxes.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>

#include "base/StringTable.h"

namespace mr420 {

namespace {
QString t(const char* text) { return QCoreApplication::translate("MessageBoxes", text); }
}  // namespace

void MessageBoxes::show(QWidget* parent, const UserMessage& message) {
    if (!message) return;
    BoxIcon icon = BoxIcon::None;
    switch (message.icon) {
    case MessageIcon::None: icon = BoxIcon::None; break;
    case MessageIcon::Information: icon = BoxIcon::Information; break;
    case MessageIcon::Exclamation: icon = BoxIcon::Warning; break;
    case MessageIcon::Stop: icon = BoxIcon::Error; break;
    }
    const QString text = QString::fromStdString(messageText(message)).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    show(parent, text, BoxButtons::Ok, icon);
}

BoxAnswer QtMessageBoxes::showBox(QWidget* parent, const BoxRequest& request) {
    QMessageBox box(parent);
    box.setWindowTitle(QStringLiteral("MR420"));
    box.setText(request.text);
    switch (request.icon) {
        case BoxIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case BoxIcon::Information: box.setIcon(QMessageBox::Information); break;
        case BoxIcon::Warning: box.setIcon(QMessageBox::Warning); break;
        case BoxIcon::Error: box.setIcon(QMessageBox::Critical); break;
        case BoxIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    if (request.buttons == BoxButtons::Ok) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return BoxAnswer::Ok;
    }
    struct Choice {
        QMessageBox::StandardButton button;
        BoxAnswer answer;
        QString text;
    };
    const Choice choices[] = {{QMessageBox::Yes, BoxAnswer::Yes, t("&Tak")},
                              {QMessageBox::No, BoxAnswer::No, t("&Nie")},
                              {QMessageBox::Cancel, BoxAnswer::Cancel, t("Anuluj")}};
    const bool withCancel = request.buttons == BoxButtons::YesNoCancel;
    const BoxAnswer safe = escapeAnswer(request);
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel) buttons |= QMessageBox::Cancel;
    box.setStandardButtons(buttons);
    for (const Choice& c : choices) {
        QAbstractButton* button = box.button(c.button);
        if (!button) continue;
        button->setText(c.text);
        // Enter and Escape take the answer that destroys nothing; left
        // unset, Qt would make Yes the default and No the escape.
        if (c.answer == safe) {
            box.setDefaultButton(c.button);
            box.setEscapeButton(button);
        }
    }
    box.exec();
    for (const Choice& c : choices)
        if (box.clickedButton() && box.clickedButton() == box.button(c.button)) return c.answer;
    return safe;
}

}  // namespace mr420
