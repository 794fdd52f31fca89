#pragma once
// What the entry fields of the configuration dialogs share: the digit-only
// rule and the key filter of the fields that take only some characters.

#include <QValidator>

class QKeyEvent;

namespace mr420 {

// Acceptable for ASCII digits only (an empty text included) making no more
// than `maximum` when that is not negative; Invalid otherwise.
QValidator::State digitFieldState(const QString& input, long long maximum = -1);

class DigitValidator : public QValidator {
public:
    explicit DigitValidator(QObject* parent, long long maximum = -1) : QValidator(parent), maximum_(maximum) {}
    State validate(QString& input, int&) const override { return digitFieldState(input, maximum_); }

private:
    long long maximum_;
};

// Ignores a character key that `accepted` refuses and says so; editing and
// movement keys (no text) pass, to behave as usual.
bool ignoreRefusedKey(QKeyEvent* event, bool (*accepted)(char32_t));

}  // namespace mr420
