#pragma once
// Loading another user-interface language: mr420_<code>.qm next to the
// program, then in ../share/mr420/. Without one the program stays Polish,
// silently.

#include <QLocale>
#include <QString>
#include <QTranslator>

#include <string>

class QCoreApplication;

namespace mr420 {

// The translation file for a language code, or an empty string.
QString findTranslation(const QString& code, const QString& programDir);

// Loads and installs the translation and makes the string table take its
// texts from it. False (nothing changed) when there is no usable file.
bool installTranslation(QCoreApplication& app, QTranslator& translator, const QString& code,
                        const QString& programDir);

// Loads Qt's own texts (Yes/No buttons, the file chooser) for a language
// from the system's Qt translations, when it has them; English needs none.
bool installQtTranslation(QCoreApplication& app, QTranslator& translator, const QString& code);

// Undoes installTranslation.
void removeTranslation(QCoreApplication& app, QTranslator& translator);

// The locale of Qt's own widgets (the calendar, the print and file dialogs)
// for the language in force: the user's own locale when it speaks that
// language, else English for "en" and Polish (pl_PL) for any other code.
QLocale programLocale(const std::string& code, const QLocale& system = QLocale::system());

// The language in force for one program's lifetime: for "en" the program's
// English texts, Qt's own texts for the language, and programLocale() as Qt's
// default locale. The process C locale, which printf-style numbers and the
// files' formats follow, is left as it is.
class ProgramLanguage {
public:
    ProgramLanguage(QCoreApplication& app, const std::string& code, const QString& programDir);
    ~ProgramLanguage();
    ProgramLanguage(const ProgramLanguage&) = delete;
    ProgramLanguage& operator=(const ProgramLanguage&) = delete;

    // The English translation file was found and installed.
    bool translated() const { return translated_; }

private:
    QCoreApplication& app_;
    QTranslator translator_;
    QTranslator qtTranslator_;
    bool translated_ = false;
};

}  // namespace mr420
