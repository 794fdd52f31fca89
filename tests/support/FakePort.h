#pragma once
// A FramePort that records every frame sent, with the virtual time when given a clock.

#include <string>
#include <vector>

#include "base/Interfaces.h"
#include "support/VirtualClock.h"

namespace mr420::test {

class FakePort : public FramePort {
public:
    explicit FakePort(const VirtualClock* clock = nullptr) : clock_(clock) {}

    void expectReply(std::size_t minimumLength) override { expectedLengths.push_back(minimumLength); }

    void send(const char* frame, std::size_t length) override {
        frames.emplace_back(frame, length);
        times.push_back(clock_ ? clock_->now() : 0);
    }

    const std::string& last() const { return frames.back(); }
    // The six-digit codes of the frames, in order.
    std::vector<std::string> codes() const {
        std::vector<std::string> out;
        for (const std::string& f : frames) out.push_back(f.substr(0, 6));
        return out;
    }
    void clear() {
        frames.clear();
        times.clear();
    }

    std::vector<std::string> frames;
    std::vector<long long> times;
    std::vector<std::size_t> expectedLengths;   // announced before each frame

private:
    const VirtualClock* clock_;
};

}  // namespace mr420::test
