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

}  // namespace mr420
