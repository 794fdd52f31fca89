#include "app/widgets/HelpCommand.h"

#include <QCoreApplication>

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

}  // namespace mr420
