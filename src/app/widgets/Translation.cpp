#include "app/widgets/Translation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTranslator>

#include "app/StringTable.h"

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
    return true;
}

void removeTranslation(QCoreApplication& app, QTranslator& translator) {
    setStringOverride({});
    app.removeTranslator(&translator);
}

}  // namespace mr420
