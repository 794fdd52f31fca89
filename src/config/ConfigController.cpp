#include "config/ConfigController.h"

#include "base/TimerIds.h"

namespace mr420 {

ConfigController::ConfigController(PanelSession& session, TimerRouter& timers, ConfigFrontEnd& frontEnd)
    : session_(session), state_(session.state()), timers_(timers), frontEnd_(frontEnd) {
    session_.addReplyListener(this);
    session_.setWriteAckListener(this);
    timers_.route(timer_id::kConfigRead, [this](int) { onReadTimeout(); });
    for (const ConfigSpec& spec : kConfigTable)
        if (spec.writes()) timers_.route(spec.writeTimerId, [this](int id) { onWriteTimeout(id); });
}

ConfigController::~ConfigController() {
    session_.removeReplyListener(this);
    session_.setWriteAckListener(nullptr);
    timers_.stopTimer(timer_id::kConfigRead);
    timers_.route(timer_id::kConfigRead, {});
    for (const ConfigSpec& spec : kConfigTable) {
        if (!spec.writes()) continue;
        timers_.stopTimer(spec.writeTimerId);
        timers_.route(spec.writeTimerId, {});
    }
}

bool ConfigController::run(ConfigKind kind, ConfigDialogView& dialog, ConfigModel& model) {
    if (open_ || writing_) return false;   // modal: one at a time
    abandoned_ = false;
    const ConfigSpec& spec = configSpec(kind);

    model.reset(state_);
    open_ = Open{&spec, &dialog, &model};
    forgetSettings(spec, state_);
    if (const auto first = firstReadFor(spec, state_)) {
        session_.requestCommand(*first);
        timers_.startTimer(timer_id::kConfigRead, spec.readTimeoutMs);
    }
    const bool ok = dialog.runModal(spec.reads());
    timers_.stopTimer(timer_id::kConfigRead);
    open_.reset();
    if (!ok || abandoned_ || !spec.writes()) return false;

    model.store(session_.writeArguments());
    state_.*spec.acknowledgement = 0;
    acknowledged_ = false;
    writing_ = &spec;
    session_.requestCommand(*spec.firstWrite);
    timers_.startTimer(spec.writeTimerId, spec.writeTimeoutMs);
    frontEnd_.runWaitWindow();
    // Closed by the acknowledgement, the time-out, or the program ending.
    endWrite();
    return acknowledged_;
}

void ConfigController::abandon() {
    abandoned_ = true;
    if (open_) open_->dialog->cancel();
    if (writing_) {
        endWrite();
        frontEnd_.closeWaitWindow();
    }
}

void ConfigController::endWrite() {
    if (!writing_) return;
    timers_.stopTimer(writing_->writeTimerId);
    writing_ = nullptr;
}

void ConfigController::onReplyAccepted(PanelCommand command) {
    if (!open_ || open_->spec->fillingRead != command || open_->received) return;
    if (!settingsComplete(*open_->spec, state_)) {
        // The chain ended without every reply: the read has failed. Said from
        // the timer, outside the reply's delivery.
        timers_.startTimer(timer_id::kConfigRead, kIncompleteReadMs);
        return;
    }
    open_->received = true;
    open_->model->fill(state_);
    open_->dialog->settingsArrived();
}

void ConfigController::onWriteAcknowledged(int commandNumber) {
    if (!writing_ || toNumber(*writing_->acknowledgedWrite) != commandNumber) return;
    acknowledged_ = true;
    endWrite();
    frontEnd_.closeWaitWindow();
}

void ConfigController::onReadTimeout() {
    timers_.stopTimer(timer_id::kConfigRead);
    if (!open_ || open_->received) return;
    const Open open = *open_;
    frontEnd_.showMessage(readFailureFor(*open.spec, state_));
    // The message ran a nested loop: the settings may have come meanwhile,
    // or the program may be closing.
    if (open_ && !abandoned_) open.dialog->cancel();
}

void ConfigController::onWriteTimeout(int timerId) {
    timers_.stopTimer(timerId);
    if (!writing_ || writing_->writeTimerId != timerId) return;
    const ConfigSpec& spec = *writing_;
    endWrite();
    frontEnd_.closeWaitWindow();
    acknowledged_ = state_.*spec.acknowledgement != 0;
    if (!acknowledged_ && !abandoned_) frontEnd_.showMessage(writeFailureFor(spec, state_));
}

}  // namespace mr420
