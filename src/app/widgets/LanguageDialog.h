#pragma once
// The language choice: the picture across the top, a separator, the radio
// buttons "Polski" and "English", and OK. Selection 0 is Polish, 1 English.

#include <QDialog>

#include <string>

class QRadioButton;
class QPushButton;

namespace mr420 {

class LanguageDialog : public QDialog {
    Q_OBJECT
public:
    explicit LanguageDialog(int selection, QWidget* parent = nullptr);

    // The selection after OK; unchanged from the one given when closed otherwise.
    int selection() const { return selection_; }

    QRadioButton* polishButton() const { return polish_; }
    QRadioButton* englishButton() const { return english_; }
    QPushButton* okButton() const { return ok_; }

public slots:
    void accept() override;

private:
    int selection_;
    QRadioButton* polish_ = nullptr;
    QRadioButton* english_ = nullptr;
    QPushButton* ok_ = nullptr;
};

// Runs the dialog; returns the selection (the given one when not closed by OK).
int askLanguage(int selection, QWidget* parent = nullptr);

// Selection for a language code: "en" gives 1, anything else 0.
inline int languageSelection(const std::string& code) { return code == "en" ? 1 : 0; }

// setLanguage: 0 stores "pl", 1 stores "en", other values leave the code alone.
inline void setLanguage(std::string& code, int selection) {
    if (selection == 0) code = "pl";
    else if (selection == 1) code = "en";
}

}  // namespace mr420
