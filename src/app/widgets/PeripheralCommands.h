#pragma once
// The commands that do not talk to the panel: the panes' colours and fonts,
// the help pages, the About box, the promotion window (also once, 100 ms
// after start, while SHOW_ADV is on) and the additional settings that switch
// it. The main window hands them their menu entries. F1 in any window opens
// that window's help page.

#include <functional>
#include <memory>

#include "ui/widgets/ColoursDialog.h"

class QWidget;

namespace mr420 {

class HelpKey;
class LinkOpener;
class MessageBoxes;
class PaneChooser;
class TimerRouter;

class PeripheralCommands {
public:
    // `closing` tells whether the program is ending (nothing opens then).
    PeripheralCommands(const PaneSet& panes, MessageBoxes& boxes, TimerRouter& timers, QWidget* parent,
                       std::function<bool()> closing);
    ~PeripheralCommands();

    PeripheralCommands(const PeripheralCommands&) = delete;
    PeripheralCommands& operator=(const PeripheralCommands&) = delete;

    // The menu entries these commands answer.
    static bool handles(int menuId);
    void run(int menuId);

    // The start-up showing of the promotion window, when SHOW_ADV is on.
    void scheduleAfterStart();
    void stop();
    // The window shown after start is open: the port choice waits for it.
    bool startPromotionShowing() const { return startShowing_; }

    bool showAtStart() const { return showAtStart_; }
    void setShowAtStart(bool show) { showAtStart_ = show; }

    // For tests: what opens links, and what chooses colours and fonts.
    void setLinkOpener(LinkOpener* opener) { linkOpener_ = opener; }
    void setPaneChooser(PaneChooser* chooser) { paneChooser_ = chooser; }

private:
    void showPromotion(bool atStart);
    void showHelpOf(QWidget* window);
    LinkOpener& linkOpener() const;
    PaneChooser& paneChooser() const;

    PaneSet panes_;
    MessageBoxes& boxes_;
    TimerRouter& timers_;
    QWidget* parent_;
    std::function<bool()> closing_;
    bool showAtStart_ = true;
    bool startShowing_ = false;
    LinkOpener* linkOpener_ = nullptr;
    PaneChooser* paneChooser_ = nullptr;
    std::unique_ptr<HelpKey> helpKey_;
};

}  // namespace mr420
