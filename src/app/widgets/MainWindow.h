#pragma once
// The program's only top-level window: status and clock fields, the six value
// panes, the menu, and the objects of the other subsystems it owns for the
// whole run (serial port, panel state, session, write arguments, timers).

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

#include "protocol/PanelState.h"
#include "protocol/WriteArguments.h"
#include "ui/LiveReadings.h"
#include "ui/widgets/LogicalFont.h"

class QMenuBar;
class QAction;
class QMenu;

namespace mr420 {

struct AppSettings;
struct WindowSizeState;
struct ProbeSources;
class LocalDataServer;
class PanelSession;
class ReadingModel;
class RegistrationController;
class RegistrationStatusLink;
class MessageBoxes;
class QtTimerService;
class QtByteDelivery;
class SerialPort;
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

    // Opens COM n as the session's port. False, with nothing open, when the
    // port cannot be opened; reason gets the text shown under the message.
    bool openPort(int comNumber, QString* reason = nullptr);
    // Ends the port's worker (events keep flowing meanwhile) and closes it.
    void closePort();
    // The port menu command.
    void choosePort();
    // Ends the window as the close box does, first ending any modal dialog
    // open above it (SIGTERM and SIGINT come here).
    void requestClose();

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
    int portNumber() const { return portNumber_; }
    bool portOpen() const;
    PanelState& panelState() { return state_; }
    WriteArguments& writeArguments() { return writeArgs_; }
    QtTimerService& timers() { return *timers_; }
    WaitWindow& waitWindow() { return *wait_; }

    // The window rectangle as recorded for the settings.
    QRect recordedRect() const { return QRect(QPoint(windowLeft_, windowTop_), QPoint(windowRight_ - 1, windowBottom_ - 1)); }

    // Lays the panes out for the client size (also called on every resize).
    void layoutPanes();
    // Shows the current readings (the session calls this after each poll cycle).
    void refreshDisplay(bool connected);

    // Where the port choice looks for ports (tests give a fixed list).
    void setPortEntrySource(std::function<std::vector<std::string>()> source) { portSource_ = std::move(source); }

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
    QString openFailureText(const SerialPort& port, const std::string& path) const;
    ProbeSources probeSources() const;
    void onTimer(int id);
    void onCharacter(char c);
    void toggleTopmost();
    void recordRect();
    void clientResized();

    AppSettings& settings_;
    std::map<int, std::string> aliases_;
    MessageBoxes& boxes_;

    PanelState state_;
    WriteArguments writeArgs_;
    std::unique_ptr<QtTimerService> timers_;
    std::unique_ptr<QtByteDelivery> delivery_;
    std::unique_ptr<SerialPort> port_;
    std::unique_ptr<WaitWindow> wait_;
    std::unique_ptr<Bridge> bridge_;
    std::unique_ptr<LocalDataServer> dataServer_;
    std::unique_ptr<ReadingModel> readings_;
    std::unique_ptr<PanelSession> session_;
    std::unique_ptr<RegistrationController> registration_;
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
    bool connected_ = false;
    bool choosingPort_ = false;
    int windowLeft_ = 100, windowTop_ = 100, windowRight_ = 700, windowBottom_ = 500;
    bool topmost_ = false;
    std::unique_ptr<WindowSizeState> sizeState_;
    std::string language_;
    int statusFieldHeight_ = 0;
    int portNumber_ = 0;
    bool memoryDump_ = false;
};

}  // namespace mr420
