#pragma once
// The one sequence every configuration dialog follows, from its row of the
// configuration table:
//   1. request the first read and show the dialog modally, its controls
//      disabled, with the read time-out running (dialogs that read);
//   2. when the reply that fills the dialog arrives while it is open, fill the
//      model from PanelState and the controls from the model;
//   3. the read time-out without settings, or the filling reply after a
//      chain that did not bring every reply the dialog shows
//      (settingsComplete): the read-failure message, and the dialog closes
//      as cancelled; nothing it shows was filled, nothing is written;
//   4. OK (the dialog validates first): the model stores its results in
//      WriteArguments, the acknowledgement flag is cleared, the first write
//      is requested, the write time-out starts and the wait window shows;
//   5. the acknowledgement of the last write closes the wait window; the
//      write time-out closes it too and reports the write-failure message
//      unless the flag came meanwhile.
// Polling goes on throughout: the dialog and the wait window run nested
// event loops. A reply that arrives when no dialog waits for it changes
// nothing, so the shared reads 024000 and 040000 reach a dialog only while
// it is open.

#include <optional>

#include "base/TimerRouter.h"
#include "base/UserMessage.h"
#include "config/ConfigTable.h"
#include "protocol/PanelSession.h"

namespace mr420 {

// What a dialog's core model does: take the panel's settings, hand back the
// user's. Limits, conversions and validation are the model's own. The model
// holds what the dialog's controls hold, each set on its own (the dialog from
// its controls, the command line from its NAME=VALUE pairs); accept() is OK.
class ConfigModel {
public:
    virtual ~ConfigModel() = default;
    // Called as the dialog opens (clears what the last showing left).
    virtual void reset(const PanelState& /*state*/) {}
    // The settings arrived: panel units to display units.
    virtual void fill(const PanelState& state) = 0;
    // OK: checks what the controls hold as a whole and takes it for the
    // write; the refusal when it may not be written (nothing is taken then).
    virtual UserMessage accept() { return {}; }
    // After OK: display units to panel units, into the write arguments.
    virtual void store(WriteArguments& /*args*/) const {}
};

// The dialog on screen.
class ConfigDialogView {
public:
    virtual ~ConfigDialogView() = default;
    // Shows the dialog modally; its controls wait for settingsArrived when
    // `waitForSettings`. True when it closed with OK (its validation passed).
    virtual bool runModal(bool waitForSettings) = 0;
    // The model has been filled: enable the controls and show its values.
    virtual void settingsArrived() = 0;
    // Closes the dialog as if cancelled.
    virtual void cancel() = 0;
};

// What the controller asks of the front end.
class ConfigFrontEnd {
public:
    virtual ~ConfigFrontEnd() = default;
    virtual void showMessage(const UserMessage& message) = 0;
    // The modal please-wait window; returns when it is closed.
    virtual void runWaitWindow() = 0;
    virtual void closeWaitWindow() = 0;
};

class ConfigController : private ReplyListener, private WriteAckListener {
public:
    static constexpr int kIncompleteReadMs = 1;        // the failure of an incomplete read, soon after

    ConfigController(PanelSession& session, TimerRouter& timers, ConfigFrontEnd& frontEnd);
    ~ConfigController() override;

    ConfigController(const ConfigController&) = delete;
    ConfigController& operator=(const ConfigController&) = delete;

    // Runs one dialog of `kind` through the whole sequence; returns when its
    // write is acknowledged, has failed, or there is nothing to write.
    // Returns true when the panel acknowledged a write.
    bool run(ConfigKind kind, ConfigDialogView& dialog, ConfigModel& model);

    // The run is to end at once (the program is closing): the open dialog is
    // cancelled and nothing more is written or shown.
    void abandon();

    bool dialogOpen() const { return open_.has_value(); }
    bool waitingForAcknowledgement() const { return writing_ != nullptr; }

private:
    struct Open {
        const ConfigSpec* spec;
        ConfigDialogView* dialog;
        ConfigModel* model;
        bool received = false;
    };

    void onReplyAccepted(PanelCommand command) override;
    void onWriteAcknowledged(int commandNumber) override;
    void onReadTimeout();
    void onWriteTimeout(int timerId);
    void endWrite();

    PanelSession& session_;
    PanelState& state_;
    TimerRouter& timers_;
    ConfigFrontEnd& frontEnd_;
    std::optional<Open> open_;
    const ConfigSpec* writing_ = nullptr;
    bool acknowledged_ = false;
    bool abandoned_ = false;
};

}  // namespace mr420
