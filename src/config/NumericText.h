#pragma once
// The rules of the numeric entry field of the configuration dialogs: which
// keys reach it, and how its text is read as a number and rewritten.

#include <string>

#include "base/UserMessage.h"

namespace mr420 {

// Digits, the full stop, the comma, the minus sign and backspace reach the
// field; every other character key is ignored.
bool numericKeyAccepted(char32_t character);

struct NumericReading {
    double value = 0;
    std::string text;      // what the field shows afterwards
    UserMessage error;     // "Nieprawidłowy format danych." when the text is malformed
};

// Reads a field with `decimals` digits kept after the separator (a full stop
// or a comma). Digits beyond them are dropped, not rounded; the value is then
// written back with exactly `decimals` digits after a full stop. A second
// separator, or a minus sign anywhere but first, is a format error: the value
// is 0 and the text stays. Any text is safe: digits past the fifteenth count
// as zeros.
NumericReading readNumericText(const std::string& text, int decimals);

}  // namespace mr420
