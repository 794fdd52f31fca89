#include "app/widgets/HelpCommand.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include "app/HelpPages.h"
#include "app/Hyperlink.h"
#include "app/widgets/LinkStatic.h"
#include "base/StringTable.h"

namespace mr420 {

int currentHelpContext() { return helpContextForMarker(str(string_id::kLanguageMarker)); }

QString helpPageFor(int context, const QString& programDir) {
    return QString::fromStdString(helpPagePath(context, programDir.toStdString()));
}

QString helpPageFor(int context) { return helpPageFor(context, QCoreApplication::applicationDirPath()); }

int showHelp(QWidget* parent, int context, const QString& programDir, LinkOpener& opener, MessageBoxes& boxes) {
    const int code = opener.open(helpPageFor(context, programDir));
    if (!linkOpened(code)) reportLinkFailure(parent, code, boxes);
    return code;
}

int showHelpPage(QWidget* parent, const QString& page, LinkOpener& opener, MessageBoxes& boxes) {
    // The place travels as the URL's fragment; the file is checked without it.
    const qsizetype hash = page.indexOf(QLatin1Char('#'));
    const QString file = hash < 0 ? page : page.left(hash);
    if (const auto failure = fileTargetFailure(QFile::encodeName(file).toStdString())) {
        reportLinkFailure(parent, *failure, boxes);
        return *failure;
    }
    QUrl url = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath());
    if (hash >= 0) url.setFragment(page.mid(hash + 1));
    const int code = opener.open(url.toString());
    if (!linkOpened(code)) reportLinkFailure(parent, code, boxes);
    return code;
}

}  // namespace mr420
