#include "config/widgets/NumericEdit.h"


#include "base/ValueFormat.h"
#include "base/widgets/MessageBoxes.h"
#include "config/NumericText.h"
#include "config/widgets/EntryFields.h"

namespace mr420 {

NumericEdit::NumericEdit(MessageBoxes& boxes, QWidget* parent) : QLineEdit(parent), boxes_(boxes) {}

void NumericEdit::keyPressEvent(QKeyEvent* event) {
    if (!ignoreRefusedKey(event, numericKeyAccepted)) QLineEdit::keyPressEvent(event);
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
