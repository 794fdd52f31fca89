#pragma once
// The edit field for a decimal number: only digits, the separators, the
// minus sign and backspace reach it; reading it rewrites its text with
// `decimals` digits after a full stop, or reports a format error.

#include <QLineEdit>

namespace mr420 {

class MessageBoxes;

class NumericEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit NumericEdit(MessageBoxes& boxes, QWidget* parent = nullptr);

    void setDecimals(int decimals) { decimals_ = decimals; }
    int decimals() const { return decimals_; }

    // Reads the value and rewrites the text (caret at its end); a malformed
    // text gives the format message and reads 0.
    double readValue();
    // Shows a value with `decimals` digits after a full stop.
    void setValue(double value);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    MessageBoxes& boxes_;
    int decimals_ = 1;
};

}  // namespace mr420
