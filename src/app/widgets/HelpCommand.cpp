#include "app/widgets/HelpCommand.h"

#include <QCoreApplication>
#include <QFile>

#include "app/HelpPages.h"
#include "app/Hyperlink.h"
#include "app/widgets/HelpWindow.h"
#include "app/widgets/LinkStatic.h"
#include "base/StringTable.h"

namespace mr420 {

int currentHelpContext() { return helpContextForMarker(str(string_id::kLanguageMarker)); }

QString helpPageFor(int context, const QString& programDir) {
    return QString::fromStdString(helpPagePath(context, programDir.toStdString()));
}

QString helpPageFor(int context) { return helpPageFor(context, QCoreApplication::applicationDirPath()); }

int showHelp(QWidget* parent, int context, const QString& programDir, LinkOpener& opener, MessageBoxes& boxes) {
    return showHelpPage(parent, helpPageFor(context, programDir), opener, boxes);
}

int HelpLinkOpener::open(const QString& target) {
    const bool page = !targetHasScheme(target.toStdString()) && target.endsWith(QStringLiteral(".html"), Qt::CaseInsensitive);
    if (!page) return outside_.open(target);
    if (const auto failure = fileTargetFailure(QFile::encodeName(target).toStdString())) return *failure;
    helpWindowFor(parent_, outside_, boxes_).showPage(target);
    return link_result::kOpened;
}

int showHelpPage(QWidget* parent, const QString& page, LinkOpener& opener, MessageBoxes& boxes) {
    // The place travels after '#'; the file is checked without it.
    const qsizetype hash = page.indexOf(QLatin1Char('#'));
    const QString file = hash < 0 ? page : page.left(hash);
    if (const auto failure = fileTargetFailure(QFile::encodeName(file).toStdString())) {
        reportLinkFailure(parent, *failure, boxes);
        return *failure;
    }
    helpWindowFor(parent, opener, boxes).showPage(page);
    return link_result::kOpened;
}

}  // namespace mr420
