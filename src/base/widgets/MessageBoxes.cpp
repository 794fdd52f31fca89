#include "base/widgets/MessageBoxes.h"

#include <QMessageBox>

namespace mr420 {

BoxAnswer QtMessageBoxes::show(QWidget* parent, const QString& text, BoxButtons buttons, BoxIcon icon) {
    QMessageBox box(parent);
    box.setWindowTitle(QStringLiteral("MR420"));
    box.setText(text);
    switch (icon) {
        case BoxIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case BoxIcon::Information: box.setIcon(QMessageBox::Information); break;
        case BoxIcon::Warning: box.setIcon(QMessageBox::Warning); break;
        case BoxIcon::Error: box.setIcon(QMessageBox::Critical); break;
        case BoxIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    if (buttons == BoxButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return BoxAnswer::Ok;
}

BoxAnswer ScriptedMessageBoxes::show(QWidget*, const QString& text, BoxButtons buttons, BoxIcon icon) {
    shown.push_back({text, buttons, icon});
    if (onShow) onShow(shown.back());
    if (!answers.empty()) {
        BoxAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    return buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Ok;
}

}  // namespace mr420
