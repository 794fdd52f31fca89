#pragma once
// The session engine: keeps the conversation with the panel going. It sends the
// current command, assembles the reply line, parses it, takes the next
// command from a pending request or the chain table (protocol/CommandChains:
// the poll cycle, the requested chains and the memory read-out) and sends it
// at once. Retries, time-outs and the restart of the poll cycle are decided
// here. Everything runs on the user-interface thread.
//
// The panel answers every frame it gets, so a frame sent while an answer is
// still on its way leaves one reply too many on the line, for good. A line
// that is not the answer (wrong prefix, wrong index, bad LRC, bad line) is
// therefore no reason to send: the answer may still be coming. The frame is
// sent again only once the line has been quiet for kLineQuietMs, and so is
// the resend after a time-out when anything arrived since the frame went out.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "base/Interfaces.h"
#include "protocol/CommandBuilder.h"
#include "protocol/CommandChains.h"
#include "protocol/PanelState.h"
#include "protocol/ReplyParser.h"
#include "protocol/SessionListener.h"
#include "protocol/WriteArguments.h"

namespace mr420 {

// Sees every line the session judged and the bytes it dropped, for a trace
// of the line. Nothing is collected while no observer is set.
class LineObserver {
public:
    virtual ~LineObserver() = default;
    // A complete line (CR LF included) and what the parser made of it.
    virtual void lineReceived(std::string_view line, ReplyVerdict verdict) = 0;
    // Bytes that arrived during the pause after repeated bad lines.
    virtual void droppedDuringPause(std::string_view bytes) = 0;
    // A line longer than the receive buffer, dropped unparsed.
    virtual void droppedOverlong() = 0;
};

class PanelSession {
public:
    static constexpr int kReceiveLineSize = 1000;
    static constexpr int kMaxBadLines = 10;     // the eleventh bad line pauses
    static constexpr int kMaxTimeouts = 3;      // the fourth time-out means no communication
    static constexpr int kMaxReadoutBlocks = 256;  // the block number travels as one byte

    PanelSession(PanelState& state, WriteArguments& args, TimerService& timers);

    // Replaces the port (nullptr = none); the session is not restarted, the
    // next send or time-out uses the new port.
    void setPort(FramePort* port);

    // Listeners; nullptr removes. Reply listeners are told in the order they
    // were added.
    void setDisplayListener(DisplayListener* listener) { display_ = listener; }
    void addReplyListener(ReplyListener* listener);
    void removeReplyListener(ReplyListener* listener);
    void setWriteAckListener(WriteAckListener* listener);
    void setMemoryReadoutListener(MemoryReadoutListener* listener) { memory_ = listener; }
    void setLineObserver(LineObserver* observer) { observer_ = observer; }

    // Shows "no connection", starts the reply timer and sends the first command.
    void start();

    // One received byte. Lines end with CR LF and hold at most 999
    // characters; a longer line is dropped and what follows starts a new one.
    // During the 50 ms pause after eleven bad lines in a row nothing has been
    // sent, so bytes arriving then are dropped rather than let them start the
    // next reply.
    void onCharacterReceived(char c);

    // 1030 reply time-out, 1080 end of the failure pause, 1083 the line has
    // been quiet since a line that was not the answer or a time-out; other
    // ids are ignored.
    void onTimer(int timerId);

    // The port itself is gone (its device removed, or replaced by another
    // port): no communication is shown at once rather than after the
    // time-outs, a line half received is dropped, and the next frame starts
    // the poll cycle afresh.
    void portLost();
    // A port is there again (reopened, or another one chosen): that frame
    // goes out now instead of at the next time-out.
    void portBack();

    // One-shot request of the first command of a chain, sent at the
    // session's next turn; the last one wins. When the request is taken the
    // session sets the counters the chain starts from: thresholdIndex 0 for
    // 025D00, exceedanceIndex 0 for 026800, text 2 (the PAP password) and
    // chunk 0 for 026300, blockCounter 0 for 024000. Requesting 040000 (the
    // memory-logging settings) ends any memory read-out first.
    void requestCommand(PanelCommand command);

    // Starts the memory read-out: 024000, 040000, then the blocks. With
    // fullDump every block is read, erased ones included.
    void startMemoryReadout(bool fullDump);

    int commandNumber() const { return commandNumber_; }
    int failureCount() const { return failureCount_; }
    int pendingRequest() const { return pendingRequest_; }
    bool pausing() const { return pausing_; }
    // A resend waits for the line to be quiet.
    bool waitingForQuiet() const { return awaitingQuiet_; }
    int linePosition() const { return linePosition_; }
    ChainCounters& counters() { return counters_; }
    const ChainCounters& counters() const { return counters_; }
    PanelState& state() { return state_; }
    WriteArguments& writeArguments() { return args_; }
    ReplyParser& parser() { return parser_; }

    // Memory read-out state: startMemoryReadout sets memoryReadoutActive; the
    // session clears it when the read-out finishes or aborts, when its window
    // is gone, and when a failure or time-out abandons the chain (the
    // read-out's own data timer then reports the error). The read-out sets
    // memoryReadoutCancelled when the user stops it. At most 256 blocks are
    // read, as the block number travels as one byte.
    bool memoryReadoutActive = false;
    bool memoryReadoutCancelled = false;
    bool fullDumpMode = false;

private:
    void handleLine();
    void refresh(bool connected);
    void onReplyTimeout();
    void sendNow();
    void resendWhenQuiet();
    void stopWaitingForQuiet();
    void endFailurePause();
    void refreshIfCycleEnds();
    void deliverNotifications(int answered);
    void deliverReadoutEvents(int answered);
    int takeRequest();
    bool readoutWindowExists() const { return memory_ != nullptr && memory_->memoryWindowExists(); }
    int nextAfterFailure();
    int nextAfterSuccess(int answered);
    int successor(int answered);
    int readoutRule(Readout rule);
    int abortReadout();
    int readoutBlockLimit() const;

    PanelState& state_;
    WriteArguments& args_;
    TimerService& timers_;
    DisplayListener* display_ = nullptr;
    std::vector<ReplyListener*> replyListeners_;
    MemoryReadoutListener* memory_ = nullptr;
    LineObserver* observer_ = nullptr;
    std::string droppedInPause_;   // collected only for the observer
    ChainCounters counters_;
    ReplyParser parser_;
    CommandBuilder builder_;

    int commandNumber_ = 0;
    int pendingRequest_ = 0;   // a command number, 0 = none
    int failureCount_ = 0;
    bool pausing_ = false;
    bool awaitingQuiet_ = false;
    bool heardSinceSend_ = false;   // a character arrived since the last send
    std::array<char, kReceiveLineSize> line_{};
    int linePosition_ = 0;
};

}  // namespace mr420
