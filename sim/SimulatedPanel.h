#pragma once
// The simulated panel: takes one command frame, answers it from its model with
// the reply layout the program's parser expects, and applies writes to the
// model. Faults (bad LRC, silence, noise lines, refusals) are put on the
// replies here; delays and pacing belong to whoever carries the bytes.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "sim/FaultConfig.h"
#include "sim/PanelModel.h"

namespace mr420::sim {

class SimulatedPanel {
public:
    // Monotonic seconds; drives the panel clock and the drift of the readings.
    using TimeSource = std::function<double()>;

    explicit SimulatedPanel(PanelModel model = {}, TimeSource time = {});

    // `frame`: code, data and LRC, with or without CR LF. Returns the bytes to
    // send back (a noise line may precede the reply, the line faults may
    // have damaged or doubled it), or nullopt when the panel stays silent:
    // bad LRC, unknown code, malformed frame, or a silence fault.
    std::optional<std::string> handleFrame(std::string_view frame);
    // The reply handleFrame returned last is to go out kLateReplyMs late.
    bool lastReplyLate() const { return lastReplyLate_; }

    PanelModel& model() { return model_; }
    const PanelModel& model() const { return model_; }

    void setFaults(const FaultConfig& faults) { faults_ = faults; }
    const FaultConfig& faults() const { return faults_; }
    // No answers for the next `seconds` of the time source.
    void silenceFor(double seconds);

    // Seconds of the time source since the panel was made.
    double elapsedSeconds() const;
    int selectedBlock() const { return selectedBlock_; }
    std::uint64_t framesReceived() const { return framesReceived_; }
    std::uint64_t repliesSent() const { return repliesSent_; }

    // The reply line to a command with the given data digits, as the panel
    // builds it (LRC and CR LF included), without faults and without
    // advancing the clock. Applies writes. nullopt when the panel would not
    // answer the frame.
    std::optional<std::string> reply(int commandNumber, std::string_view data, bool refuse = false);

private:
    void advanceTime();
    void putLineFaults(std::string& line);
    bool due(int every) const { return every > 0 && repliesSent_ % static_cast<std::uint64_t>(every) == 0; }

    PanelModel model_;
    TimeSource time_;
    FaultConfig faults_;
    double start_ = 0;
    double lastTick_ = 0;
    double clockFraction_ = 0;
    int selectedBlock_ = 0;
    std::uint64_t framesReceived_ = 0;
    std::uint64_t repliesSent_ = 0;
    std::uint64_t lineEndsLost_ = 0;
    std::uint32_t noise_ = 0x2545F491;   // xorshift state: the same faults on every run
    bool lastReplyLate_ = false;
};

}  // namespace mr420::sim
