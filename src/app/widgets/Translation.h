#pragma once
// Loading another user-interface language: mr420_<code>.qm next to the
// program, then in ../share/mr420/. Without one the program stays Polish,
// silently.

#include <QString>

class QCoreApplication;
class QTranslator;

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

}  // namespace mr420
