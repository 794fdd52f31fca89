#pragma once
// The program's only top-level window: status and clock fields, the six value
// panes and the menu. It wires the panel engine (PanelConnection), the
// reading model, registration and the data server to its widgets.

#include <QDialog>
#include <QLineEdit>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/widgets/WindowCommands.h"
#include "ui/LiveReadings.h"
#include "ui/MainLayout.h"
#include "ui/MenuCommands.h"
#include "ui/widgets/LogicalFont.h"

class QMenuBar;
class QAction;
class QMenu;

namespace mr420 {

struct AppSettings;
struct WindowSizeState;
struct ProbeSources;
class ChartFeature;
class ConfigFeature;
class LocalDataServer;
class MemoryFeature;
class PanelConnection;
class ReadingModel;
class RegistrationFeature;
class RegistrationStatusLink;
class LinkOpener;
class MessageBoxes;
class PaneChooser;
class QtTimerService;
class QtByteDelivery;
class TimerRouter;
class ValuePane;
class WaitWindow;

// A pane's colours (red + 256 green + 65536 blue) and value font.
struct PaneStyle {
    std::uint32_t background = 0;
    std::uint32_t text = 0;
    LogicalFont font;
};

class MainWindow : public QDialog {
    Q_OBJECT
public:
    // Pane order of the settings sections: TEMP1, TEMP2, RH, PRESSURE, DP, WB.
    // The settings are applied at construction; storeSettings writes them back.
    MainWindow(AppSettings& settings, std::map<int, std::string> portAliases, MessageBoxes& boxes,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up steps of the window: port, panes, place, first refresh,
    // always-on-top, session start. Runs once, before the window is shown.
    void initialise();

    // Ends the port's worker (events keep flowing meanwhile) and closes it.
    void closePort();
    // The port menu command. When it ends without an open port, the
    // configured port is retried quietly.
    void choosePort() { windowCommands_->choosePort(); }
    // Ends the window as the close box does, first ending any modal dialog
    // open above it (SIGTERM and SIGINT come here). Also before exec: the
    // window then does not run at all.
    void requestClose();
    bool closing() const { return closing_; }

    // The window's members back into the settings (rectangle, topmost, port,
    // language, pane colours and fonts, registration).
    void storeSettings(AppSettings& settings) const;
    const std::string& language() const { return windowCommands_->language(); }

    PaneStyle paneStyle(int channel) const;
    // Sets colours and font and repaints.
    void setPaneStyle(int channel, const PaneStyle& style);

    // Readers for the registration files, the data server and tests.
    ValuePane* pane(int channel) const { return panes_[static_cast<std::size_t>(channel)]; }
    QWidget* paneWidget(int channel) const;
    LiveReadings liveReadings() const;
    QLineEdit* statusField() const { return status_; }
    QLineEdit* clockField() const { return clock_; }
    QWidget* clientArea() const { return client_; }
    QAction* action(int commandId) const;
    bool topmost() const { return windowCommands_->topmost(); }
    // The configured port (PORT_NR): kept when the port cannot be opened,
    // changed when the user chooses another.
    int portNumber() const { return windowCommands_->portNumber(); }
    bool portOpen() const;
    PanelConnection& connection() { return *connection_; }
    QtTimerService& timers() { return *qtTimers_; }
    WaitWindow& waitWindow() { return *wait_; }
    ConfigFeature& config() { return *config_; }
    MemoryFeature& memory() { return *memory_; }
    ChartFeature& chart() { return *chart_; }

    // The window rectangle as recorded for the settings.
    QRect recordedRect() const {
        const Rect& r = rect_.current();
        return QRect(r.x, r.y, r.width, r.height);
    }

    // Lays the panes out for the client size (also called on every resize).
    void layoutPanes();

    // Where the port choice looks for ports (tests give a fixed list).
    void setPortEntrySource(PortEntrySource source) { windowCommands_->setPortEntrySource(std::move(source)); }

    // Who opens help pages and links, and who chooses pane colours and fonts
    // (tests give scripted ones; by default the desktop and Qt's dialogs).
    void setLinkOpener(LinkOpener* opener) { windowCommands_->setLinkOpener(opener); }
    void setPaneChooser(PaneChooser* chooser) { windowCommands_->setPaneChooser(chooser); }
    // SHOW_ADV: the "Program VKS" window opens once after start.
    bool showPromotionAtStart() const { return windowCommands_->showAtStart(); }
    // The window opened after start is showing; the port choice waits for it.
    bool startPromotionShowing() const { return windowCommands_->startPromotionShowing(); }

protected:
    void showEvent(QShowEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void done(int result) override;
    void moveEvent(QMoveEvent*) override;
    void changeEvent(QEvent*) override;
    bool eventFilter(QObject*, QEvent*) override;

private:
    struct Bridge;
    void applySettings(const AppSettings& settings);
    void buildMenu();
    void onCommand(int commandId);
    // The check mark of an entry that has one, as its feature says.
    void showCheckMark(int commandId);
    void placeWindow();
    QMargins frameMargins() const;
    ProbeSources probeSources() const;
    int clockFieldWidth() const;
    void applyMinimumSize();
    void recordRect();
    void clientResized();

    AppSettings& settings_;
    MessageBoxes& boxes_;

    std::unique_ptr<QtTimerService> qtTimers_;
    std::unique_ptr<TimerRouter> timers_;
    std::unique_ptr<WindowCommands> windowCommands_;   // routes timers: goes before timers_
    std::unique_ptr<QtByteDelivery> delivery_;
    std::unique_ptr<PanelConnection> connection_;
    std::unique_ptr<WaitWindow> wait_;
    std::unique_ptr<Bridge> bridge_;
    std::unique_ptr<LocalDataServer> dataServer_;
    std::unique_ptr<ReadingModel> readings_;
    std::unique_ptr<RegistrationFeature> registration_;
    std::unique_ptr<ConfigFeature> config_;
    std::unique_ptr<MemoryFeature> memory_;
    std::unique_ptr<ChartFeature> chart_;
    std::unique_ptr<RegistrationStatusLink> registrationLink_;
    MenuCommandTable menuCommands_;

    QMenuBar* menuBar_ = nullptr;
    std::map<int, QAction*> actions_;
    QWidget* client_ = nullptr;
    QLineEdit* status_ = nullptr;
    QLineEdit* clock_ = nullptr;
    PaneSet panes_{};

    bool initialising_ = true;
    bool initialised_ = false;
    bool framePlaced_ = false;
    std::optional<QRect> placeTarget_;  // the stored rectangle applied at start-up
    bool closing_ = false;
    RecordedWindowRect rect_{{100, 100, 600, 400}};
    std::unique_ptr<WindowSizeState> sizeState_;
    int statusFieldHeight_ = 0;
    int clockWidth_ = 0;
};

}  // namespace mr420
