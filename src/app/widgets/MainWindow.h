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

#include "app/widgets/PeripheralCommands.h"
#include "ui/LiveReadings.h"
#include "ui/MainLayout.h"
#include "ui/widgets/LogicalFont.h"

class QMenuBar;
class QAction;
class QMenu;

namespace mr420 {

struct AppSettings;
struct WindowSizeState;
struct ProbeSources;
class ChartFeature;
class ConfigDialogs;
class LocalDataServer;
class MemoryFeature;
class PanelConnection;
struct PortOpenFailure;
class ReadingModel;
class RegistrationController;
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
    void choosePort();
    // Ends the window as the close box does, first ending any modal dialog
    // open above it (SIGTERM and SIGINT come here). Also before exec: the
    // window then does not run at all.
    void requestClose();
    bool closing() const { return closing_; }

    // The window's members back into the settings (rectangle, topmost, port,
    // language, pane colours and fonts, registration).
    void storeSettings(AppSettings& settings) const;
    const std::string& language() const { return language_; }

    static constexpr int kPaneCount = 6;
    PaneStyle paneStyle(int channel) const;
    // Sets colours and font and repaints.
    void setPaneStyle(int channel, const PaneStyle& style);

    void setMemoryDump(bool on) { memoryDump_ = on; }
    bool memoryDump() const { return memoryDump_; }

    // Readers for the registration files, the data server and tests.
    ValuePane* pane(int channel) const { return panes_[static_cast<std::size_t>(channel)]; }
    QWidget* paneWidget(int channel) const;
    LiveReadings liveReadings() const;
    QLineEdit* statusField() const { return status_; }
    QLineEdit* clockField() const { return clock_; }
    QWidget* clientArea() const { return client_; }
    QAction* action(int commandId) const;
    bool topmost() const { return topmost_; }
    // The configured port (PORT_NR): kept when the port cannot be opened,
    // changed when the user chooses another.
    int portNumber() const { return portNumber_; }
    bool portOpen() const;
    PanelConnection& connection() { return *connection_; }
    QtTimerService& timers() { return *qtTimers_; }
    WaitWindow& waitWindow() { return *wait_; }
    ConfigDialogs& configDialogs() { return *config_; }
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
    void setPortEntrySource(std::function<std::vector<std::string>()> source) { portSource_ = std::move(source); }

    // Who opens help pages and links, and who chooses pane colours and fonts
    // (tests give scripted ones; by default the desktop and Qt's dialogs).
    void setLinkOpener(LinkOpener* opener) { peripherals_->setLinkOpener(opener); }
    void setPaneChooser(PaneChooser* chooser) { peripherals_->setPaneChooser(chooser); }
    // SHOW_ADV: the "Program VKS" window opens once after start.
    bool showPromotionAtStart() const { return peripherals_->showAtStart(); }
    // The window opened after start is showing; the port choice waits for it.
    bool startPromotionShowing() const { return peripherals_->startPromotionShowing(); }

protected:
    void showEvent(QShowEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void done(int result) override;
    void closeEvent(QCloseEvent*) override;
    void moveEvent(QMoveEvent*) override;
    void changeEvent(QEvent*) override;
    bool eventFilter(QObject*, QEvent*) override;

private:
    struct Bridge;
    void applySettings(const AppSettings& settings);
    void buildMenu();
    bool implemented(int commandId) const;
    void onCommand(int commandId);
    void placeWindow();
    QMargins frameMargins() const;
    void showOpenFailure(const PortOpenFailure& failure);
    ProbeSources probeSources() const;
    void toggleTopmost();
    int clockFieldWidth() const;
    void applyMinimumSize();
    void recordRect();
    void clientResized();

    AppSettings& settings_;
    MessageBoxes& boxes_;

    std::unique_ptr<QtTimerService> qtTimers_;
    std::unique_ptr<TimerRouter> timers_;
    std::unique_ptr<PeripheralCommands> peripherals_;   // routes a timer: goes before timers_
    std::unique_ptr<QtByteDelivery> delivery_;
    std::unique_ptr<PanelConnection> connection_;
    std::unique_ptr<WaitWindow> wait_;
    std::unique_ptr<Bridge> bridge_;
    std::unique_ptr<LocalDataServer> dataServer_;
    std::unique_ptr<ReadingModel> readings_;
    std::unique_ptr<RegistrationController> registration_;
    std::unique_ptr<ConfigDialogs> config_;
    std::unique_ptr<MemoryFeature> memory_;
    std::unique_ptr<ChartFeature> chart_;
    std::unique_ptr<RegistrationStatusLink> registrationLink_;

    QMenuBar* menuBar_ = nullptr;
    std::map<int, QAction*> actions_;
    QWidget* client_ = nullptr;
    QLineEdit* status_ = nullptr;
    QLineEdit* clock_ = nullptr;
    std::array<ValuePane*, 6> panes_{};

    std::function<std::vector<std::string>()> portSource_;
    bool initialising_ = true;
    bool initialised_ = false;
    bool framePlaced_ = false;
    std::optional<QRect> placeTarget_;  // the stored rectangle applied at start-up
    bool closing_ = false;
    bool choosingPort_ = false;
    RecordedWindowRect rect_{{100, 100, 600, 400}};
    bool topmost_ = false;
    std::unique_ptr<WindowSizeState> sizeState_;
    std::string language_;
    int statusFieldHeight_ = 0;
    int clockWidth_ = 0;
    int portNumber_ = 0;
    bool memoryDump_ = false;
};

}  // namespace mr420
