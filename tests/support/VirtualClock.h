#pragma once
// A TimerService on a virtual clock. Like window timers, a started timer fires
// every period until it is stopped; starting a running timer restarts it.
// advance(ms) moves the clock and fires every due expiry in time order
// (equal times: in the order they were armed, a re-armed period counting as
// armed at its last expiry), calling the handler
// with the timer's id. Handlers may start and stop timers.

#include <cstdint>
#include <functional>
#include <map>

#include "base/Interfaces.h"

namespace mr420::test {

class VirtualClock : public TimerService {
public:
    explicit VirtualClock(std::function<void(int)> onExpiry = {}) : handler_(std::move(onExpiry)) {}

    void setHandler(std::function<void(int)> onExpiry) { handler_ = std::move(onExpiry); }

    void startTimer(int id, int milliseconds) override;
    void stopTimer(int id) override;

    void advance(std::int64_t milliseconds);

    std::int64_t now() const { return now_; }
    bool isActive(int id) const { return timers_.count(id) != 0; }
    // Milliseconds until the timer fires, -1 when it does not run.
    std::int64_t remaining(int id) const;
    int startCount(int id) const;

private:
    struct Timer {
        std::int64_t period;
        std::int64_t due;
        std::uint64_t order;
    };
    std::function<void(int)> handler_;
    std::map<int, Timer> timers_;
    std::map<int, int> starts_;
    std::int64_t now_ = 0;
    std::uint64_t nextOrder_ = 0;
};

}  // namespace mr420::test
