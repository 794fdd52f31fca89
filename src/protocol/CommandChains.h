#pragma once
// Which command follows which: the poll cycle, the chains that read and write
// the panel's settings, and the memory read-out, as one table beside the
// command table. Per command it says what follows its last frame, when it is
// passed over, the indexes it is sent with (one frame and one reply each), how
// the read-out's state moves it on, and the counters it starts from when it
// is requested on its own. The session asks it what comes next; the
// configuration table walks it for the replies a dialog's read brings.
//
// Moving on from an accepted reply to command A:
//   1. A's read-out rule may end the chain (or abort the read-out);
//   2. A is sent again while its sweep has an index left;
//   3. otherwise A's `next` is reached: its sweep starts from its first
//      indexes, and if its `when` does not hold it is passed over as if it
//      had been answered (from 1 again). Identity ends every chain.

#include <array>
#include <cstdint>
#include <vector>

#include "protocol/PanelCommand.h"
#include "protocol/WriteArguments.h"

namespace mr420 {

// When a step reached from another is sent.
enum class When : std::uint8_t {
    Always,
    Mr411Info,       // new firmware that supports an MR411, or old firmware
    Mr411Readings,   // an MR411 not reported absent and supported, or old firmware
    Mr466Info,       // new firmware that supports an MR466, or old firmware
    Mr466Readings,   // an MR466 supported and not absent on new firmware, or old firmware
    BackupServer,    // firmware that has the backup server (2.08 on)
    BlockHasData,    // the selected block is not erased, or every block is read
};

// How the read-out's state moves a step on.
enum class Readout : std::uint8_t {
    None,
    Pressure,   // 024000: goes on only while a read-out is active
    Size,       // 040000: ends unless a read-out is active; then a cancel aborts it
    Select,     // 041000: a cancel aborts; ends unless active, or after the last block
    Block,      // 041100: a cancel aborts; ends unless active; then the next block
};

struct IndexSpan {
    int first = 0;
    int last = -1;   // last < first: no span
};

// The indexes a step is sent with: `counter` through its spans (the second
// one follows the first), and when it has passed them, `outer` steps once
// and `counter` starts again. An `outer` index beyond its span belongs to a
// chain requested on its own (the PAP password), which ends there.
struct Sweep {
    int ChainCounters::*counter = nullptr;   // nullptr: one frame
    std::array<IndexSpan, 2> spans{};
    int ChainCounters::*outer = nullptr;
    IndexSpan outerSpan{};
};

// Counters a chain requested on its own starts from.
struct ChainStart {
    int ChainCounters::*counter = nullptr;
    int value = 0;
    int ChainCounters::*second = nullptr;
    int secondValue = 0;
    bool endsReadout = false;   // the request itself ends a memory read-out
};

struct ChainStep {
    PanelCommand command;
    PanelCommand next;   // after the last frame; Identity: the poll cycle (again)
    When when;
    Sweep sweep;
    Readout readout;
    ChainStart start;
};

// Indexed by command number.
extern const std::array<ChainStep, kCommandCount> kChainTable;

inline const ChainStep& chainStep(PanelCommand c) { return kChainTable[static_cast<std::size_t>(c)]; }

// The firmware from which the backup-server steps are sent, and from which
// firmware reports its probe support.
constexpr int kBackupServerFirmware = 208;
constexpr int kNewFirmware = 108;

// Whether a step reached from another is sent; `fullDump`: a read-out that
// reads every block, erased ones included.
bool stepTaken(When when, const PanelState& state, bool fullDump);

// Sets the counters a step's sweep starts from.
void startSweep(const Sweep& sweep, ChainCounters& counters);
// Steps the counters after an accepted reply; true when the step is sent again.
// Sets `ended` when the chain ends with this step (an outer index beyond its span).
bool advanceSweep(const Sweep& sweep, ChainCounters& counters, bool& ended);

// The command sent after an accepted reply to `answered`, with the counters
// moved on (the steps as the header's comment has them). `readoutRule(rule)`
// judges the read-out's rows: -1 when the chain goes on, or the command that
// follows instead.
template <class ReadoutRule>
int nextInChain(int answered, ChainCounters& counters, const PanelState& state, bool fullDump, ReadoutRule&& readoutRule) {
    constexpr int kEnd = toNumber(PanelCommand::Identity);
    if (!isValidCommandNumber(answered)) return kEnd;
    int command = answered;
    // A step passed over counts as answered; no chain is longer than the table.
    for (int steps = 0; steps < kCommandCount; ++steps) {
        const ChainStep& step = kChainTable[static_cast<std::size_t>(command)];
        if (const int instead = readoutRule(step.readout); instead >= 0) return instead;
        bool ended = false;
        if (advanceSweep(step.sweep, counters, ended)) return command;
        if (ended || step.next == PanelCommand::Identity) return kEnd;
        command = toNumber(step.next);
        const ChainStep& reached = kChainTable[static_cast<std::size_t>(command)];
        startSweep(reached.sweep, counters);
        if (stepTaken(reached.when, state, fullDump)) return command;
    }
    return kEnd;
}

// The counters a chain requested on its own starts from.
void startRequested(PanelCommand command, ChainCounters& counters);

// One index span of a step as a chain's read brings it.
struct ChainReply {
    PanelCommand command;
    IndexSpan indexes;   // {0, 0} for a step without a sweep
};

// The replies of the chain from `first` to `last` (both included, or to its
// end), in the order they are sent, with the `when` of each step judged on
// `state` with no read-out running, or every step when `state` is nullptr.
std::vector<ChainReply> chainReplies(PanelCommand first, PanelCommand last, const PanelState* state);

}  // namespace mr420
