#pragma once
// The main window's own commands, those that do not talk to the panel: the
// port choice, "Zamknij", always-on-top, the language, the panes' colours
// and fonts, the help pages, the About box, the promotion window (also once,
// 100 ms after start, while SHOW_ADV is on) and the additional settings that
// switch it. F1 in any window opens that window's help page.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/widgets/PortDialog.h"
#include "ui/MenuCommands.h"
#include "ui/widgets/ColoursDialog.h"

class QDialog;
class QWidget;

namespace mr420 {

class HelpKey;
class LinkOpener;
class MessageBoxes;
class PaneChooser;
class PanelConnection;
struct PortOpenFailure;
class TimerRouter;

class WindowCommands final : public MenuCommands {
public:
    // `window` is the main window; `closing` tells whether the program is
    // ending (nothing opens then).
    WindowCommands(const PaneSet& panes, PanelConnection& connection, MessageBoxes& boxes, TimerRouter& timers,
                   QDialog* window, std::function<bool()> closing);
    ~WindowCommands();

    WindowCommands(const WindowCommands&) = delete;
    WindowCommands& operator=(const WindowCommands&) = delete;

    std::vector<int> commands() const override;
    void run(int menuId) override;
    // "Zawsze na wierzchu" carries a check mark.
    std::optional<bool> checked(int menuId) const override;

    // Start-up: the configured port opens, else the port choice is offered;
    // a configured port that cannot be opened stays configured, and
    // cancelling the choice retries it quietly.
    void openConfiguredPort();
    // The port menu command. When it ends without an open port, the
    // configured port is retried quietly.
    void choosePort();
    // The configured port (PORT_NR).
    int portNumber() const { return portNumber_; }
    void setPortNumber(int number) { portNumber_ = number; }
    void setPortEntrySource(PortEntrySource source) { portSource_ = std::move(source); }

    // The stored always-on-top state; applyTopmost puts it on the window.
    bool topmost() const { return topmost_; }
    void setTopmost(bool on) { topmost_ = on; }
    void applyTopmost(bool on);

    // The language code chosen for the next start.
    const std::string& language() const { return language_; }
    void setLanguage(std::string code) { language_ = std::move(code); }

    // The start-up showing of the promotion window, when SHOW_ADV is on.
    void scheduleAfterStart();
    // The program is ending: no port choice nor promotion window comes.
    void stop();
    // The window shown after start is open: the port choice waits for it.
    bool startPromotionShowing() const { return startShowing_; }

    bool showAtStart() const { return showAtStart_; }
    void setShowAtStart(bool show) { showAtStart_ = show; }

    // For tests: what opens links, and what chooses colours and fonts.
    void setLinkOpener(LinkOpener* opener) { linkOpener_ = opener; }
    void setPaneChooser(PaneChooser* chooser) { paneChooser_ = chooser; }

private:
    void showOpenFailure(const PortOpenFailure& failure);
    void chooseLanguage();
    void showPromotion(bool atStart);
    void showHelpOf(QWidget* window);
    LinkOpener& linkOpener() const;
    PaneChooser& paneChooser() const;

    PaneSet panes_;
    PanelConnection& connection_;
    MessageBoxes& boxes_;
    TimerRouter& timers_;
    QDialog* window_;
    std::function<bool()> closing_;
    PortEntrySource portSource_;
    int portNumber_ = 0;
    bool choosingPort_ = false;
    bool topmost_ = false;
    std::string language_;
    bool showAtStart_ = true;
    bool startShowing_ = false;
    LinkOpener* linkOpener_ = nullptr;
    PaneChooser* paneChooser_ = nullptr;
    std::unique_ptr<HelpKey> helpKey_;
};

}  // namespace mr420
