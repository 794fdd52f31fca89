#pragma once
// The help command: the HTML help page of the context in the program's own
// help window, from where it can go on to the desktop's browser.

#include <QString>

#include "app/widgets/LinkStatic.h"

class QWidget;

namespace mr420 {

class MessageBoxes;

// The context of the main window's help requests, from the language marker
// of the active texts (string 212).
int currentHelpContext();

// The page of a context beside the program (see app/HelpPages.h).
QString helpPageFor(int context, const QString& programDir);
// ... beside this program.
QString helpPageFor(int context);

// Shows the page in the help window of parent's window (see HelpWindow.h);
// `opener` takes what leaves the pages (the browser button, mail and web
// links). A page that is missing or unreadable is reported as a hyperlink
// would be. The result code (above 32 = shown).
int showHelp(QWidget* parent, int context, const QString& programDir, LinkOpener& opener, MessageBoxes& boxes);

// What the links of the About box and the promotion window open through: a
// help page (a local ".html" file) in the help window, anything else in
// `outside`, which the help window's own links and browser button use too.
class HelpLinkOpener : public LinkOpener {
public:
    HelpLinkOpener(QWidget* parent, LinkOpener& outside, MessageBoxes& boxes)
        : parent_(parent), outside_(outside), boxes_(boxes) {}
    int open(const QString& target) override;

private:
    QWidget* parent_;
    LinkOpener& outside_;
    MessageBoxes& boxes_;
};

// Opens a page given as a path with an optional "#place" in it (see
// app/HelpTopics.h), reported as showHelp reports.
int showHelpPage(QWidget* parent, const QString& page, LinkOpener& opener, MessageBoxes& boxes);

}  // namespace mr420
