#include "app/widgets/Translation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdlib>

#include "base/StringTable.h"
#include "ui/MenuTable.h"

namespace mr420 {

QString findTranslation(const QString& code, const QString& programDir) {
    const QString name = QStringLiteral("mr420_%1.qm").arg(code);
    const QDir dir(programDir);
    for (const QString& candidate : {dir.filePath(name), dir.filePath(QStringLiteral("../share/mr420/") + name)}) {
        QFileInfo info(candidate);
        if (info.isFile() && info.isReadable()) return info.absoluteFilePath();
    }
    return {};
}

bool installTranslation(QCoreApplication& app, QTranslator& translator, const QString& code,
                        const QString& programDir) {
    const QString file = findTranslation(code, programDir);
    if (file.isEmpty() || !translator.load(file)) return false;
    app.installTranslator(&translator);
    QTranslator* t = &translator;
    setStringOverride([t](int id) -> std::optional<std::string> {
        const char* source = builtinString(id);
        if (!source) return std::nullopt;
        const std::string key = translationKey(id);
        const QString text = t->translate(kStringContext, source, key.c_str());
        if (text.isEmpty()) return std::nullopt;
        return text.toStdString();
    });
    setMenuOverride([t](const std::string& key) -> std::optional<std::string> {
        // The key names the entry ("32771") or the popup ("popup 2"); the
        // Polish text is the translation's source.
        const char* source = nullptr;
        if (key.rfind("popup ", 0) == 0) {
            const std::size_t index = std::strtoul(key.c_str() + 6, nullptr, 10);
            if (index < mainMenu().size()) source = mainMenu()[index].title;
        } else {
            source = builtinMenuText(std::atoi(key.c_str()));
        }
        if (!source) return std::nullopt;
        const QString text = t->translate(kMenuContext, source, key.c_str());
        if (text.isEmpty()) return std::nullopt;
        return text.toStdString();
    });
    return true;
}

bool installQtTranslation(QCoreApplication& app, QTranslator& translator, const QString& code) {
    if (code.isEmpty() || code == QStringLiteral("en")) return false;
    if (!translator.load(QLocale(code), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    app.installTranslator(&translator);
    return true;
}

void removeTranslation(QCoreApplication& app, QTranslator& translator) {
    setStringOverride({});
    setMenuOverride({});
    app.removeTranslator(&translator);
}

QLocale programLocale(const std::string& code, const QLocale& system) {
    const QLocale::Language language = code == "en" ? QLocale::English : QLocale::Polish;
    if (system.language() == language) return system;
    return language == QLocale::English ? QLocale(QLocale::English) : QLocale(QLocale::Polish, QLocale::Poland);
}

ProgramLanguage::ProgramLanguage(QCoreApplication& app, const std::string& code, const QString& programDir)
    : app_(app) {
    const bool english = code == "en";
    if (english) translated_ = installTranslation(app_, translator_, QStringLiteral("en"), programDir);
    installQtTranslation(app_, qtTranslator_, english ? QStringLiteral("en") : QStringLiteral("pl"));
    QLocale::setDefault(programLocale(code));
}

ProgramLanguage::~ProgramLanguage() {
    if (translated_) removeTranslation(app_, translator_);
    app_.removeTranslator(&qtTranslator_);
}

}  // namespace mr420
