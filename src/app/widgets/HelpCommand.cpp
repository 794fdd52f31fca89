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
    const QString page = helpPageFor(context, programDir);
    if (const auto failure = fileTargetFailure(QFile::encodeName(page).toStdString())) {
        reportLinkFailure(parent, *failure, boxes);
        return *failure;
    }
    helpWindowFor(parent, opener, boxes).showPage(page);
    return link_result::kOpened;
}

int HelpLinkOpener::open(const QString& target) {
    const bool page = !targetHasScheme(target.toStdString()) && target.endsWith(QStringLiteral(".html"), Qt::CaseInsensitive);
    if (!page) return outside_.open(target);
    if (const auto failure = fileTargetFailure(QFile::encodeName(target).toStdString())) return *failure;
    helpWindowFor(parent_, outside_, boxes_).showPage(target);
    return link_result::kOpened;
}

}  // namespace mr420
