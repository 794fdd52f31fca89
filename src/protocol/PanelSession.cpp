#include "protocol/PanelSession.h"

#include <algorithm>

#include "protocol/PanelCommand.h"
#include "base/TimerIds.h"

namespace mr420 {

namespace {

using C = PanelCommand;
constexpr int n(C c) { return toNumber(c); }

constexpr int kSmsNumbers = 6;
constexpr int kShortTextChunks = 5;   // 14 characters in chunks of three
constexpr int kLongTextChunks = 11;   // 32 characters in chunks of three
constexpr int kLongTexts = 2;         // apn, papLogin
constexpr int kExceedanceLimits = 8;
constexpr int kLastThreshold = 7;
constexpr int kFirstHysteresis = 64;
constexpr int kLastHysteresis = 67;

// Thresholds 0..7, then hysteresis 64..67.
void advanceThresholdIndex(int& index) {
    ++index;
    if (index > kLastThreshold && index < kFirstHysteresis) index = kFirstHysteresis;
}

bool isReadoutStep(int command) {
    return command == n(C::ReadDefaultPressure) || command == n(C::ReadMemorySettings) ||
           command == n(C::SelectMemoryBlock) || command == n(C::ReadMemoryBlock);
}

}  // namespace

PanelSession::PanelSession(PanelState& state, WriteArguments& args, TimerService& timers)
    : state_(state), args_(args), timers_(timers), parser_(state), builder_(timers, args_, counters_) {}

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
    if (command == C::ReadMemorySettings) memoryReadoutActive = false;
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
    // The counters a requested chain starts from.
    ChainCounters& k = counters_;
    switch (static_cast<C>(next)) {
    case C::ReadThreshold: k.thresholdIndex = 0; break;
    case C::ReadExceedanceLimit: k.exceedanceIndex = 0; break;
    case C::WriteLongTextChunk:   // requested alone it is the PAP password
        k.textSelector = 2;
        k.chunkIndex = 0;
        break;
    case C::ReadDefaultPressure: k.blockCounter = 0; break;
    default: break;
    }
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
        builder_.noteReplyLength(commandNumber_, length);
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
    if (memoryReadoutActive && isReadoutStep(commandNumber_) && next != n(C::ReadDefaultPressure))
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

int PanelSession::pollSuccessor(int answered) const {
    const bool oldFirmware = !newFirmware();
    // A row whose condition fails falls through as if its command had been answered.
    switch (static_cast<C>(answered)) {
    case C::Identity:
        if ((state_.mr411Supported && !oldFirmware) || oldFirmware) return n(C::Mr411Info);
        [[fallthrough]];
    case C::Mr411Info:
        return n(C::ReadClock);
    case C::ReadClock:
        if (!state_.mr411Absent && (state_.mr411Supported || oldFirmware)) return n(C::Mr411Readings);
        [[fallthrough]];
    case C::Mr411Readings:
        if ((state_.mr466Supported && !oldFirmware) || oldFirmware) return n(C::Mr466Info);
        [[fallthrough]];
    case C::Mr466Info:
        if ((state_.mr466Supported && !state_.mr466Absent && !oldFirmware) || oldFirmware) return n(C::Mr466Readings);
        [[fallthrough]];
    case C::Mr466Readings:
        return n(C::Pressure);
    case C::Pressure:
    default:
        return n(C::Identity);
    }
}

int PanelSession::readoutBlockLimit() const { return std::min<int>(state_.memorySizeBlocks, kMaxReadoutBlocks); }

int PanelSession::abortReadout() {
    if (memory_) memory_->memoryAbort();
    memoryReadoutActive = false;
    return n(C::Identity);
}

int PanelSession::memorySuccessor(int answered) {
    ChainCounters& k = counters_;
    switch (static_cast<C>(answered)) {
    case C::ReadMemorySettings:
        if (!memoryReadoutActive) return n(C::Identity);
        if (memoryReadoutCancelled) return abortReadout();
        return n(C::SelectMemoryBlock);
    case C::SelectMemoryBlock:
        if (memoryReadoutCancelled) return abortReadout();
        // Finished, or the read-out window is gone: nobody takes more blocks.
        if (!memoryReadoutActive) return n(C::Identity);
        if (k.blockCounter >= readoutBlockLimit()) return n(C::Identity);
        if (!state_.memoryBlockEmpty || fullDumpMode) return n(C::ReadMemoryBlock);
        ++k.blockCounter;
        return n(C::SelectMemoryBlock);
    case C::ReadMemoryBlock:
        if (memoryReadoutCancelled) return abortReadout();
        if (!memoryReadoutActive) return n(C::Identity);
        ++k.blockCounter;
        return n(C::SelectMemoryBlock);
    default:
        return n(C::Identity);
    }
}

int PanelSession::successor(int answered) {
    ChainCounters& k = counters_;
    const bool backupServer = state_.firmwareVersion >= kBackupServerFirmware;
    switch (static_cast<C>(answered)) {
    case C::Identity:
    case C::Mr466Info:
    case C::Mr466Readings:
    case C::Mr411Readings:
    case C::Mr411Info:
    case C::Pressure:
    case C::ReadClock:
        return pollSuccessor(answered);

    // Panel information: 020B00 -> 060100 -> 040000 (-> read-out when active).
    case C::Options: return n(C::BarometerInfo);
    case C::BarometerInfo: return n(C::ReadMemorySettings);

    // Memory read-out and memory-logging settings.
    case C::ReadDefaultPressure: return memoryReadoutActive ? n(C::ReadMemorySettings) : n(C::Identity);
    case C::ReadMemorySettings:
    case C::SelectMemoryBlock:
    case C::ReadMemoryBlock:
        return memorySuccessor(answered);
    case C::WriteLoggingInterval: return n(C::WriteLoggingFlags);
    case C::WriteLoggingFlags: return n(C::CloseLoggingWrite);

    // Modem settings, read.
    case C::ReadModemOptions:
        k.stringIndex = 0;
        return n(C::ReadSmsNumber);
    case C::ReadSmsNumber:
        if (++k.stringIndex < kSmsNumbers) return n(C::ReadSmsNumber);
        return n(C::ReadServerAddress);
    case C::ReadServerAddress: return backupServer ? n(C::ReadBackupServerAddress) : n(C::ReadServerPort);
    case C::ReadBackupServerAddress: return n(C::ReadBackupServerPort);
    case C::ReadBackupServerPort: return n(C::ReadConnectionAttempts);
    case C::ReadConnectionAttempts: return n(C::ReadServerPort);
    case C::ReadServerPort:
        k.longTextIndex = 0;
        return n(C::ReadLongText);
    case C::ReadLongText:
        if (++k.longTextIndex < kLongTexts) return n(C::ReadLongText);
        return n(C::ReadStationName);
    case C::ReadStationName: return n(C::ReadInternetAllowed);

    // Modem settings, write.
    case C::WriteModemOptions:
        k.stringIndex = 0;
        k.chunkIndex = 0;
        return n(C::WriteSmsChunk);
    case C::WriteSmsChunk:
        if (++k.chunkIndex >= kShortTextChunks) {
            k.chunkIndex = 0;
            ++k.stringIndex;
        }
        if (k.stringIndex < kSmsNumbers) return n(C::WriteSmsChunk);
        return backupServer ? n(C::WriteBackupServerAddress) : n(C::WriteServerAddress);
    case C::WriteBackupServerAddress: return n(C::WriteBackupServerPort);
    case C::WriteBackupServerPort: return n(C::WriteConnectionAttempts);
    case C::WriteConnectionAttempts: return n(C::WriteServerAddress);
    case C::WriteServerAddress: return n(C::WriteServerPort);
    case C::WriteServerPort:
        k.textSelector = 0;
        k.chunkIndex = 0;
        return n(C::WriteLongTextChunk);
    case C::WriteLongTextChunk:
        if (++k.chunkIndex < kLongTextChunks) return n(C::WriteLongTextChunk);
        k.chunkIndex = 0;
        if (k.textSelector == 0) {
            k.textSelector = 1;
            return n(C::WriteLongTextChunk);
        }
        if (k.textSelector == 1) return n(C::WriteStationChunk);
        return n(C::Identity);   // the PAP password chain ends here
    case C::WriteStationChunk:
        if (++k.chunkIndex < kShortTextChunks) return n(C::WriteStationChunk);
        return n(C::WriteInternetAllowed);

    // Alarm thresholds.
    case C::ReadThreshold:
        advanceThresholdIndex(k.thresholdIndex);
        if (k.thresholdIndex <= kLastHysteresis) return n(C::ReadThreshold);
        return n(C::ReadThresholdFlags);
    case C::ReadThresholdFlags: return n(C::ReadAlarmRepeatTime);
    case C::WriteAlarmRepeatTime:
        k.thresholdIndex = 0;
        return n(C::WriteThreshold);
    case C::WriteThreshold:
        advanceThresholdIndex(k.thresholdIndex);
        if (k.thresholdIndex <= kLastHysteresis) return n(C::WriteThreshold);
        return n(C::WriteThresholdFlags);

    // Exceedance signalling.
    case C::ReadExceedanceLimit:
        if (++k.exceedanceIndex < kExceedanceLimits) return n(C::ReadExceedanceLimit);
        return n(C::ReadExceedanceFlags);
    case C::ReadExceedanceFlags: return n(C::ReadExceedanceDelay);
    case C::WriteExceedanceDelay:
        k.exceedanceIndex = 0;
        return n(C::WriteExceedanceLimit);
    case C::WriteExceedanceLimit:
        if (++k.exceedanceIndex < kExceedanceLimits) return n(C::WriteExceedanceLimit);
        return n(C::WriteExceedanceFlags);

    case C::WritePowerLossAlarm: return n(C::WritePowerLossDelay);

    // Single commands and the last step of every chain.
    default:
        return n(C::Identity);
    }
}

}  // namespace mr420
