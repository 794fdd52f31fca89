#include "config/widgets/NumericEdit.h"

#include <QKeyEvent>

#include "base/ValueFormat.h"
#include "base/widgets/MessageBoxes.h"
#include "config/NumericText.h"

namespace mr420 {

NumericEdit::NumericEdit(MessageBoxes& boxes, QWidget* parent) : QLineEdit(parent), boxes_(boxes) {}

void NumericEdit::keyPressEvent(QKeyEvent* event) {
    // Character keys other than the number's are dropped; editing and
    // movement keys (no text) behave as usual.
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).isPrint() && !numericKeyAccepted(text.at(0).unicode())) {
        event->ignore();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

double NumericEdit::readValue() {
    const NumericReading r = readNumericText(text().toStdString(), decimals_);
    if (r.error) {
        boxes_.show(this, r.error);
        return 0;
    }
    const QString shown = QString::fromStdString(r.text);
    if (shown != text()) {
        setText(shown);
        setCursorPosition(static_cast<int>(shown.size()));
    }
    return r.value;
}

void NumericEdit::setValue(double value) { setText(QString::fromStdString(formatFullStop(value, decimals_))); }

}  // namespace mr420
