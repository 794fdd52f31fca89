#include "support/VirtualClock.h"

#include <algorithm>

namespace mr420::test {

void VirtualClock::startTimer(int id, int milliseconds) {
    const std::int64_t period = std::max(1, milliseconds);
    timers_[id] = Timer{period, now_ + period, nextOrder_++};
    ++starts_[id];
}

void VirtualClock::stopTimer(int id) { timers_.erase(id); }

std::int64_t VirtualClock::remaining(int id) const {
    auto it = timers_.find(id);
    return it == timers_.end() ? -1 : it->second.due - now_;
}

int VirtualClock::startCount(int id) const {
    auto it = starts_.find(id);
    return it == starts_.end() ? 0 : it->second;
}

void VirtualClock::advance(std::int64_t milliseconds) {
    const std::int64_t end = now_ + milliseconds;
    for (;;) {
        auto next = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it) {
            if (it->second.due > end) continue;
            if (next == timers_.end() || it->second.due < next->second.due ||
                (it->second.due == next->second.due && it->second.order < next->second.order))
                next = it;
        }
        if (next == timers_.end()) break;
        const int id = next->first;
        now_ = next->second.due;
        // Re-arm before the handler, which may restart or stop the timer.
        next->second.due = now_ + next->second.period;
        next->second.order = nextOrder_++;
        if (handler_) handler_(id);
    }
    now_ = end;
}

}  // namespace mr420::test
