#pragma once
// Builds the frame of one panel command from the command table, the write
// arguments and the session's chain counters, and hands it to the port with
// the length of the reply to expect.

#include <cstddef>
#include <string>

#include "base/Interfaces.h"
#include "protocol/PanelCommand.h"
#include "protocol/WriteArguments.h"

namespace mr420 {

class CommandBuilder {
public:
    CommandBuilder(TimerService& timers, const WriteArguments& args, const ChainCounters& counters,
                   const ReceivedReplies& received);

    // nullptr = no port open: sends then only restart the reply timer.
    void setPort(FramePort* port);
    FramePort* port() const { return port_; }

    // Restarts the reply timer (1030, 6000 ms) on every call, so that a missing
    // port or an unknown command ends in a time-out; then sends the frame of
    // `commandNumber` when a port is set and the number is in 0..62.
    void sendCurrent(int commandNumber);

    // The complete frame (code, data, LRC, CR LF); "" for a number outside 0..62.
    static std::string buildFrame(int commandNumber, const WriteArguments& args, const ChainCounters& counters);

    // A panel answers each command with a line of fixed layout, so the next
    // reply is announced to the port with the length learnt in `received`
    // (never less than the table's minimum).
    std::size_t expectedReplyLength(int commandNumber) const;

private:
    TimerService& timers_;
    const WriteArguments& args_;
    const ChainCounters& counters_;
    const ReceivedReplies& received_;
    FramePort* port_ = nullptr;
};

}  // namespace mr420
