#pragma once
// The panel's configuration dialogs as the main window offers them: one
// instance of each, made on first use and kept for the run (their fields keep
// the last values between showings), each run by ConfigController from its
// row of the configuration table. Messages go to the message boxes, the wait
// during a write to the wait window.

#include <QObject>

#include <array>
#include <memory>
#include <vector>

#include "config/ConfigController.h"
#include "ui/MenuCommands.h"

class QWidget;

namespace mr420 {

class ConfigDialog;
class MessageBoxes;
class WaitWindow;

class ConfigFeature : public QObject, public MenuCommands, private ConfigFrontEnd {
    Q_OBJECT
public:
    ConfigFeature(PanelSession& session, TimerRouter& timers, MessageBoxes& boxes, WaitWindow& wait,
                  QWidget* parent);
    ~ConfigFeature() override;

    // The menu entry opens a dialog of this build.
    bool offers(int menuId) const;
    // The entries of the dialogs of this build; run opens one and returns
    // when its write has ended.
    std::vector<int> commands() const override;
    void run(int menuId) override;
    // The program is ending: the open dialog or wait window closes, nothing more happens.
    void abandon() { controller_.abandon(); }

    // The columns of the memory list (MEMORY_DP, MEMORY_PPM) belong to the
    // memory feature; the memory-logging dialog shows them, and only its OK
    // changes them.
    void showMemoryColumns(bool& dewPoint, bool& waterVapour) {
        dewPointColumn_ = &dewPoint;
        vapourColumn_ = &waterVapour;
    }

    ConfigController& controller() { return controller_; }
    // The dialog of a kind (made if needed), for tests and screenshots.
    ConfigDialog& dialog(ConfigKind kind);
    ConfigModel& model(ConfigKind kind);

    // One dialog and its model, made on first use.
    struct Entry {
        std::unique_ptr<ConfigModel> model;
        std::unique_ptr<ConfigDialog> dialog;
    };

private:
    Entry& entry(ConfigKind kind);

    void showMessage(const UserMessage& message) override;
    void runWaitWindow() override;
    void closeWaitWindow() override;

    PanelSession& session_;
    MessageBoxes& boxes_;
    WaitWindow& wait_;
    QWidget* parent_;
    ConfigController controller_;
    std::array<Entry, kConfigKindCount> entries_;
    bool* dewPointColumn_ = nullptr;
    bool* vapourColumn_ = nullptr;
};

}  // namespace mr420
