#include "base/widgets/MessageBoxes.h"

#include <QAbstractButton>
#include <QMessageBox>

#include "base/StringTable.h"

namespace mr420 {

void MessageBoxes::show(QWidget* parent, const UserMessage& message) {
    if (!message) return;
    BoxIcon icon = BoxIcon::None;
    switch (message.icon) {
    case MessageIcon::None: icon = BoxIcon::None; break;
    case MessageIcon::Information: icon = BoxIcon::Information; break;
    case MessageIcon::Exclamation: icon = BoxIcon::Warning; break;
    case MessageIcon::Stop: icon = BoxIcon::Error; break;
    }
    const QString text = QString::fromStdString(str(message.stringId)).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
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
    if (request.buttons == BoxButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        // Escape and the close box click the escape button. Left unset, Qt
        // would take No, whatever No does.
        const bool safeIsYes = escapeAnswer(request) == BoxAnswer::Yes;
        box.setEscapeButton(safeIsYes ? QMessageBox::Yes : QMessageBox::No);
        box.exec();
        const QAbstractButton* clicked = box.clickedButton();
        if (clicked == box.button(QMessageBox::Yes)) return BoxAnswer::Yes;
        if (clicked == box.button(QMessageBox::No)) return BoxAnswer::No;
        return safeIsYes ? BoxAnswer::Yes : BoxAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return BoxAnswer::Ok;
}

BoxAnswer ScriptedMessageBoxes::showBox(QWidget*, const BoxRequest& request) {
    shown.push_back({request.text, request.buttons, request.icon, escapeAnswer(request)});
    if (onShow) onShow(shown.back());
    if (!answers.empty()) {
        BoxAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    return escapeAnswer(request);
}

}  // namespace mr420
