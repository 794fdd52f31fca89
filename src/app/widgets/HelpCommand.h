#pragma once
// The help command: the HTML help page of the context in the desktop's
// browser.

#include <QString>

class QWidget;

namespace mr420 {

class LinkOpener;
class MessageBoxes;

// The context of the main window's help requests, from the language marker
// of the active texts (string 212).
int currentHelpContext();

// The page of a context beside the program (see app/HelpPages.h).
QString helpPageFor(int context, const QString& programDir);
// ... beside this program.
QString helpPageFor(int context);

// Opens the page; a page that cannot be opened is reported as a hyperlink
// would be. The result code (above 32 = opened).
int showHelp(QWidget* parent, int context, const QString& programDir, LinkOpener& opener, MessageBoxes& boxes);

// Opens a page given as a path with an optional "#place" in it (see
// app/HelpTopics.h), reported as showHelp reports.
int showHelpPage(QWidget* parent, const QString& page, LinkOpener& opener, MessageBoxes& boxes);

}  // namespace mr420
