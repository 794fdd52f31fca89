#pragma once
// What the session engine reports, as small interfaces, each implemented where
// it is consumed. All calls come on the thread that runs the session, from
// inside its character or timer handler.
//
// For one accepted reply the session calls, in this order: the reply
// listeners (every accepted reply, by command), then the memory read-out
// events the reply carries, then - when the reply ends a poll cycle or a
// chain - the display refresh. Write acknowledgements come from the parser
// while it parses, before all of these.

#include <cstdint>

#include "protocol/PanelCommand.h"

namespace mr420 {

// End of a poll cycle or chain (connected = no measurement error), and the
// no-communication state (connected false).
class DisplayListener {
public:
    virtual ~DisplayListener() = default;
    virtual void refreshDisplay(bool connected) = 0;
};

// Every reply the parser accepted, named by the command it answered; its
// fields are in PanelState. The features decide which replies concern them
// (a configuration dialog fills itself from the last read of its chain).
class ReplyListener {
public:
    virtual ~ReplyListener() = default;
    virtual void onReplyAccepted(PanelCommand command) = 0;
};

// The parser's acknowledgement of an acknowledged write.
class WriteAckListener {
public:
    virtual ~WriteAckListener() = default;
    virtual void onWriteAcknowledged(int commandNumber) = 0;
};

// The memory read-out, told only while a read-out runs.
class MemoryReadoutListener {
public:
    virtual ~MemoryReadoutListener() = default;
    // Whether the read-out window is still open; when it is gone the
    // read-out ends quietly.
    virtual bool memoryWindowExists() = 0;
    virtual void memoryTakePressure(double pressureHpa) = 0;                  // after 024000
    virtual void memorySetTotal(int blocks) = 0;                             // after 040000
    virtual void memoryBlockErased(int block) = 0;                           // after 041000, empty block
    virtual void memoryBlockData(int block, const std::uint8_t* data256) = 0;  // after 041100
    virtual void memoryFinish() = 0;                                         // last block seen: decode
    virtual void memoryAbort() = 0;                                          // cancelled by the user
};

}  // namespace mr420
