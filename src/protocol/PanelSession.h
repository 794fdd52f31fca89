#pragma once
// The session engine: keeps the conversation with the panel going. It sends the
// current command, assembles the reply line, parses it, chooses the next
// command (poll cycle, a requested chain, or the memory read-out) and sends it
// at once. Retries, time-outs and the restart of the poll cycle are decided
// here. Everything runs on the user-interface thread.

#include <array>

#include "protocol/CommandBuilder.h"
#include "base/Interfaces.h"
#include "protocol/PanelState.h"
#include "protocol/ReplyParser.h"
#include "protocol/SessionListener.h"
#include "protocol/WriteArguments.h"

namespace mr420 {

class PanelSession {
public:
    static constexpr int kReceiveLineSize = 1000;
    static constexpr int kMaxBadLines = 10;     // the eleventh bad line pauses
    static constexpr int kMaxTimeouts = 3;      // the fourth time-out means no communication
    static constexpr int kNewFirmware = 108;    // firmware that reports its probe support
    static constexpr int kBackupServerFirmware = 208;
    static constexpr int kMaxReadoutBlocks = 256;  // the block number travels as one byte

    PanelSession(PanelState& state, WriteArguments& args, TimerService& timers, SessionListener& listener);

    // Replaces the port (nullptr = none); the session is not restarted, the
    // next send or time-out uses the new port.
    void setPort(FramePort* port);
    void setAckListener(WriteAckListener* listener);

    // Shows "no connection", starts the reply timer and sends the first command.
    void start();

    // One received byte. Lines end with CR LF and hold at most 999
    // characters; a longer line is dropped and what follows starts a new one.
    // During the 50 ms pause after eleven bad lines in a row nothing has been
    // sent, so bytes arriving then are dropped rather than let them start the
    // next reply.
    void onCharacterReceived(char c);

    // 1030 reply time-out, 1080 end of the failure pause; other ids are ignored.
    void onTimer(int timerId);

    // One-shot request, sent at the session's next turn; the last one wins.
    void requestCommand(int commandNumber);

    int commandNumber() const { return commandNumber_; }
    int failureCount() const { return failureCount_; }
    int pendingRequest() const { return pendingRequest_; }
    bool pausing() const { return pausing_; }
    int linePosition() const { return linePosition_; }
    ChainCounters& counters() { return counters_; }
    const ChainCounters& counters() const { return counters_; }
    PanelState& state() { return state_; }
    ReplyParser& parser() { return parser_; }

    // Memory read-out: the read-out sets memoryReadoutActive and blockCounter 0
    // before it requests 024000. The session clears it when the read-out
    // finishes or aborts, when its window is gone, and when a failure or time-out
    // abandons the chain (the read-out's own data timer then reports the error).
    // At most 256 blocks are read, as the block number travels as one byte.
    bool memoryReadoutActive = false;
    bool memoryReadoutCancelled = false;
    bool fullDumpMode = false;

    // Routing flags: these dialogs are told of their data only while open.
    bool routeDefaultPressure = false;
    bool routeMemorySettings = false;
    bool routePanelInformation = false;

private:
    void handleLine();
    void onReplyTimeout();
    void endFailurePause();
    void refreshIfCycleEnds();
    void deliverNotifications(int answered);
    int nextAfterFailure();
    int nextAfterSuccess(int answered);
    int successor(int answered);
    int pollSuccessor(int answered) const;
    int memorySuccessor(int answered);
    int abortReadout();
    int readoutBlockLimit() const;
    bool newFirmware() const { return state_.firmwareVersion >= kNewFirmware; }

    PanelState& state_;
    WriteArguments& args_;
    TimerService& timers_;
    SessionListener& listener_;
    ChainCounters counters_;
    ReplyParser parser_;
    CommandBuilder builder_;

    int commandNumber_ = 0;
    int pendingRequest_ = 0;
    int failureCount_ = 0;
    bool pausing_ = false;
    std::array<char, kReceiveLineSize> line_{};
    int linePosition_ = 0;
};

}  // namespace mr420
