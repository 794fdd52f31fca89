#pragma once
// The reply parser: checks one received line against the command that was sent
// and stores what the line carries in PanelState. Its only outward call is the
// acknowledgement of a finished write.

#include <cstddef>
#include <cstdint>

#include "protocol/SessionListener.h"
#include "protocol/WriteArguments.h"
#include "protocol/PanelState.h"

namespace mr420 {

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
    BadLine,          // a character other than a hex digit or ':', or not the length
                      // of the reply accepted before on this connection
    WrongIndex,       // the reply names another index than the one requested
};

// The index a frame of `commandNumber` names for these counters (the slot of
// 025D00, 025E00, 026800, 026900; the text of 025400, 026200; the text and
// chunk of 025500, 026300, 026500), or kNoIndex for the other commands.
constexpr int kNoIndex = -1;
int requestedIndex(int commandNumber, const ChainCounters& counters);

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
    //
    // Every character before CR LF must be a hex digit or ':', and once a
    // reply to the command has been accepted since PanelState::received was
    // last cleared, the line must be as long as that one; anything else is a
    // BadLine. With `index` other than kNoIndex, a reply that names another
    // index is stored under its own index but is no answer (WrongIndex).
    bool parse(const char* line, std::size_t length, int commandNumber, int index = kNoIndex);

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
