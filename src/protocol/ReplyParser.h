#pragma once
// The reply parser: checks one received line against the command that was sent
// and stores what the line carries in PanelState. Its only outward call is the
// acknowledgement of a finished write.

#include <cstddef>
#include <cstdint>

#include "protocol/SessionListener.h"
#include "protocol/PanelState.h"

namespace mr420 {

// Seconds since 2000-01-01 00:00:00 -> date and time. The day of week is that
// of the computer's local time at the call (nobody reads it); milliseconds 0.
PanelClock decodePanelClock(std::uint32_t seconds);

class ReplyParser {
public:
    explicit ReplyParser(PanelState& state, WriteAckListener* ackListener = nullptr);

    void setAckListener(WriteAckListener* listener);

    // line: the received characters including CR LF; length: their count;
    // commandNumber: the command that was sent (0..62). True when the line is
    // the valid reply to that command; its fields have then been stored.
    // Sets PanelState::ignoredLine on every call and keeps a copy of the line
    // in PanelState::lineCopy.
    bool parse(const char* line, std::size_t length, int commandNumber);

private:
    PanelState& state_;
    WriteAckListener* ackListener_;
};

}  // namespace mr420
