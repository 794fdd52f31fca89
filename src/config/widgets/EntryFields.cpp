#include "config/widgets/EntryFields.h"

#include <QKeyEvent>

#include "base/NumberText.h"

namespace mr420 {

QValidator::State digitFieldState(const QString& input, long long maximum) {
    for (const QChar c : input)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return QValidator::Invalid;
    if (maximum >= 0 && leadingDigits(input.toStdString()) > maximum) return QValidator::Invalid;
    return QValidator::Acceptable;
}

bool ignoreRefusedKey(QKeyEvent* event, bool (*accepted)(char32_t)) {
    const QString text = event->text();
    if (text.isEmpty() || !text.at(0).isPrint() || accepted(text.at(0).unicode())) return false;
    event->ignore();
    return true;
}

}  // namespace mr420
