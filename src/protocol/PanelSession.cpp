#include "protocol/PanelSession.h"

#include <algorithm>

#include "base/TimerIds.h"
#include "protocol/CommandChains.h"
#include "protocol/PanelCommand.h"

namespace mr420 {

namespace {

using C = PanelCommand;
constexpr int n(C c) { return toNumber(c); }

}  // namespace

PanelSession::PanelSession(PanelState& state, WriteArguments& args, TimerService& timers)
    : state_(state), args_(args), timers_(timers), parser_(state), builder_(timers, args_, counters_, state.received) {}

void PanelSession::setPort(FramePort* port) { builder_.setPort(port); }

void PanelSession::setWriteAckListener(WriteAckListener* listener) { parser_.setAckListener(listener); }

void PanelSession::addReplyListener(ReplyListener* listener) {
    if (listener && std::find(replyListeners_.begin(), replyListeners_.end(), listener) == replyListeners_.end())
        replyListeners_.push_back(listener);
}

void PanelSession::removeReplyListener(ReplyListener* listener) {
    replyListeners_.erase(std::remove(replyListeners_.begin(), replyListeners_.end(), listener), replyListeners_.end());
}

void PanelSession::refresh(bool connected) {
    if (display_) display_->refreshDisplay(connected);
}

void PanelSession::start() {
    refresh(false);
    timers_.startTimer(timer_id::kReplyTimeout, timer_id::kReplyTimeoutMs);
    commandNumber_ = nextAfterFailure();
    sendNow();
}

void PanelSession::requestCommand(PanelCommand command) {
    // The memory-logging dialog reads 040000 on its own; a read-out that
    // were still marked active would take its reply for the block count.
    if (isValidCommandNumber(n(command)) && chainStep(command).start.endsReadout) memoryReadoutActive = false;
    pendingRequest_ = n(command);
}

void PanelSession::startMemoryReadout(bool fullDump) {
    memoryReadoutActive = true;
    memoryReadoutCancelled = false;
    fullDumpMode = fullDump;
    pendingRequest_ = n(C::ReadDefaultPressure);
}

int PanelSession::takeRequest() {
    const int next = pendingRequest_;
    pendingRequest_ = 0;
    if (!isValidCommandNumber(next)) return next;
    startRequested(static_cast<C>(next), counters_);
    return next;
}

void PanelSession::onCharacterReceived(char c) {
    // During the pause after repeated bad lines nothing was sent, so whatever
    // arrives is the tail of the garbage; it must not start the next reply.
    if (pausing_) {
        if (observer_) droppedInPause_.push_back(c);
        return;
    }
    // The line is not quiet yet.
    heardSinceSend_ = true;
    if (awaitingQuiet_) timers_.startTimer(timer_id::kLineQuiet, timer_id::kLineQuietMs);
    ++linePosition_;
    if (linePosition_ >= kReceiveLineSize) {
        // Overlong line: dropped, the following characters start a new one.
        linePosition_ = 0;
        if (observer_) observer_->droppedOverlong();
        return;
    }
    line_[static_cast<std::size_t>(linePosition_ - 1)] = c;
    if (linePosition_ < 2 || line_[static_cast<std::size_t>(linePosition_ - 2)] != '\r' || c != '\n') return;
    handleLine();
}

void PanelSession::handleLine() {
    const int length = linePosition_;
    linePosition_ = 0;
    const bool ok = parser_.parse(line_.data(), static_cast<std::size_t>(length), commandNumber_,
                                  requestedIndex(commandNumber_, counters_));
    const ReplyVerdict verdict = parser_.verdict();
    if (observer_) observer_->lineReceived(std::string_view(line_.data(), static_cast<std::size_t>(length)), verdict);
    if (ok) {
        stopWaitingForQuiet();
        failureCount_ = 0;
        deliverNotifications(commandNumber_);
        commandNumber_ = nextAfterSuccess(commandNumber_);
        refreshIfCycleEnds();
        sendNow();
        return;
    }
    // A "09" line or an empty line is no answer: keep waiting for the reply.
    if (state_.ignoredLine) return;
    ++failureCount_;
    if (failureCount_ > kMaxBadLines) {
        // Let the line settle for 50 ms before the cycle restarts. The reply
        // timer is stopped so that nothing is sent during the pause.
        stopWaitingForQuiet();
        pausing_ = true;
        // A reply length learnt from a damaged line that passed must not
        // shut the command out for the rest of the connection.
        state_.received.forgetLengths();
        timers_.stopTimer(timer_id::kReplyTimeout);
        timers_.startTimer(timer_id::kFailurePause, timer_id::kFailurePauseMs);
        return;
    }
    switch (verdict) {
    case ReplyVerdict::WrongPrefix:
    case ReplyVerdict::WrongIndex:
    case ReplyVerdict::BadChecksum:
    case ReplyVerdict::BadLine:
        // Not the answer, which may still be on its way.
        resendWhenQuiet();
        return;
    default:
        // The answer itself, refused or unusable: nothing else is coming.
        sendNow();
        return;
    }
}

void PanelSession::sendNow() {
    heardSinceSend_ = false;
    builder_.sendCurrent(commandNumber_);
}

void PanelSession::resendWhenQuiet() {
    // A port that holds back a reply of the announced length until its line
    // end would hide the answer trickling in: characters now go as they come.
    if (FramePort* port = builder_.port()) port->expectReply(0);
    awaitingQuiet_ = true;
    timers_.startTimer(timer_id::kLineQuiet, timer_id::kLineQuietMs);
}

void PanelSession::stopWaitingForQuiet() {
    if (!awaitingQuiet_) return;
    awaitingQuiet_ = false;
    timers_.stopTimer(timer_id::kLineQuiet);
}

void PanelSession::onTimer(int timerId) {
    if (timerId == timer_id::kReplyTimeout) {
        if (!pausing_) onReplyTimeout();
    } else if (timerId == timer_id::kFailurePause) {
        timers_.stopTimer(timer_id::kFailurePause);
        if (pausing_) endFailurePause();
    } else if (timerId == timer_id::kLineQuiet) {
        const bool resend = awaitingQuiet_ && !pausing_;
        stopWaitingForQuiet();
        if (resend) sendNow();
    }
}

void PanelSession::onReplyTimeout() {
    ++failureCount_;
    if (failureCount_ > kMaxTimeouts) {
        refresh(false);
        failureCount_ = 0;
        commandNumber_ = nextAfterFailure();
    }
    // A line that has said nothing since the frame went out is quiet; one
    // that has may be bringing a late reply, which the resend would double.
    if (heardSinceSend_) resendWhenQuiet();
    else sendNow();
}

void PanelSession::portLost() {
    stopWaitingForQuiet();
    // What comes back may be another panel, with replies of other lengths.
    state_.received.forgetLengths();
    refresh(false);
    linePosition_ = 0;
    failureCount_ = 0;
    if (!pausing_) commandNumber_ = nextAfterFailure();
}

void PanelSession::portBack() {
    // The pause's end sends by itself.
    if (pausing_) return;
    stopWaitingForQuiet();
    timers_.startTimer(timer_id::kReplyTimeout, timer_id::kReplyTimeoutMs);
    sendNow();
}

void PanelSession::endFailurePause() {
    pausing_ = false;
    if (observer_ && !droppedInPause_.empty()) {
        observer_->droppedDuringPause(droppedInPause_);
        droppedInPause_.clear();
    }
    failureCount_ = 0;
    commandNumber_ = nextAfterFailure();
    refreshIfCycleEnds();
    sendNow();
}

void PanelSession::refreshIfCycleEnds() {
    if (commandNumber_ == n(C::Identity)) refresh(!state_.measurementError);
}

int PanelSession::nextAfterFailure() {
    const int next = pendingRequest_ != 0 ? takeRequest() : n(C::Identity);
    // An abandoned read-out chain cannot be resumed; left active, it would
    // turn the next 024000 request into a read-out without a window.
    if (memoryReadoutActive && isValidCommandNumber(commandNumber_) &&
        kChainTable[static_cast<std::size_t>(commandNumber_)].readout != Readout::None && next != n(C::ReadDefaultPressure))
        memoryReadoutActive = false;
    return next;
}

int PanelSession::nextAfterSuccess(int answered) { return pendingRequest_ != 0 ? takeRequest() : successor(answered); }

void PanelSession::deliverNotifications(int answered) {
    // A listener may remove itself while it is told.
    const std::vector<ReplyListener*> listeners = replyListeners_;
    for (ReplyListener* l : listeners) l->onReplyAccepted(static_cast<C>(answered));
    if (memoryReadoutActive) deliverReadoutEvents(answered);
}

void PanelSession::deliverReadoutEvents(int answered) {
    switch (static_cast<C>(answered)) {
    case C::ReadDefaultPressure:
        if (memory_) memory_->memoryTakePressure(state_.pressure);
        break;
    case C::ReadMemorySettings:
        if (memory_) memory_->memorySetTotal(state_.memorySizeBlocks);
        break;
    case C::SelectMemoryBlock:
        if (state_.memoryBlockEmpty && !fullDumpMode) {
            if (readoutWindowExists())
                memory_->memoryBlockErased(counters_.blockCounter);
            else
                memoryReadoutActive = false;
        }
        if (counters_.blockCounter > readoutBlockLimit() - 1) {
            if (readoutWindowExists()) memory_->memoryFinish();
            memoryReadoutActive = false;
        }
        break;
    case C::ReadMemoryBlock:
        if (readoutWindowExists()) {
            memory_->memoryBlockData(counters_.blockCounter, state_.memoryBlock.data());
            if (counters_.blockCounter > readoutBlockLimit() - 1) {
                memory_->memoryFinish();
                memoryReadoutActive = false;
            }
        } else {
            memoryReadoutActive = false;
        }
        break;
    default:
        break;
    }
}

int PanelSession::readoutBlockLimit() const { return std::min<int>(state_.memorySizeBlocks, kMaxReadoutBlocks); }

int PanelSession::abortReadout() {
    if (memory_) memory_->memoryAbort();
    memoryReadoutActive = false;
    return n(C::Identity);
}

// -1: the chain goes on; otherwise the command that follows instead.
int PanelSession::readoutRule(Readout rule) {
    const bool cancelled = memoryReadoutCancelled;
    switch (rule) {
    case Readout::None: return -1;
    case Readout::Pressure: return memoryReadoutActive ? -1 : n(C::Identity);
    case Readout::Size:
        if (!memoryReadoutActive) return n(C::Identity);
        return cancelled ? abortReadout() : -1;
    case Readout::Select:
        if (cancelled) return abortReadout();
        // Finished, or the read-out window is gone: nobody takes more blocks.
        if (!memoryReadoutActive || counters_.blockCounter >= readoutBlockLimit()) return n(C::Identity);
        return -1;
    case Readout::Block:
        if (cancelled) return abortReadout();
        if (!memoryReadoutActive) return n(C::Identity);
        ++counters_.blockCounter;
        return -1;
    }
    return -1;
}

int PanelSession::successor(int answered) {
    return nextInChain(answered, counters_, state_, fullDumpMode, [this](Readout rule) { return readoutRule(rule); });
}

}  // namespace mr420
