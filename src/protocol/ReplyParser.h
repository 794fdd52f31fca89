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

// What the parser made of the last line.
enum class ReplyVerdict : std::uint8_t {
    Accepted,
    Ignored,          // a "09" line or an empty line: no answer, keep waiting
    BadChecksum,
    UnknownCommand,   // the awaited command number is outside 0..62
    WrongPrefix,      // not the reply to the command sent
    TooShort,
    Refused,          // the panel's refusal digit is set
    BadFields,        // a field does not decode
};

// "bad LRC", "wrong prefix", ... for the line trace.
const char* describeVerdict(ReplyVerdict verdict);

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

    ReplyVerdict verdict() const { return verdict_; }

private:
    bool judge(ReplyVerdict verdict) {
        verdict_ = verdict;
        return verdict == ReplyVerdict::Accepted;
    }

    PanelState& state_;
    WriteAckListener* ackListener_;
    ReplyVerdict verdict_ = ReplyVerdict::Ignored;
};

}  // namespace mr420
