#include "base/EventLoop.h"

#include <vector>

namespace mr420 {

void EventLoop::startTimer(int id, int milliseconds) {
    auto period = std::chrono::milliseconds(milliseconds < 1 ? 1 : milliseconds);
    timers_[id] = Timer{period, Clock::now() + period};
}

void EventLoop::stopTimer(int id) { timers_.erase(id); }

void EventLoop::deliverBytes(const char* bytes, std::size_t count) {
    std::unique_lock lock(mutex_);
    if (shutdown_) return;
    pending_ = bytes;
    pendingCount_ = count;
    wake_.notify_one();
    handled_.wait(lock, [&] { return pending_ == nullptr || shutdown_; });
}

bool EventLoop::handlePendingBytes(std::unique_lock<std::mutex>& lock) {
    if (pending_ == nullptr) return false;
    // The worker is blocked until we clear pending_, so the buffer stays valid
    // while we run the handler without the lock.
    const char* bytes = pending_;
    std::size_t count = pendingCount_;
    lock.unlock();
    for (std::size_t i = 0; i < count; ++i)
        if (byteHandler_) byteHandler_(bytes[i]);
    lock.lock();
    pending_ = nullptr;
    pendingCount_ = 0;
    handled_.notify_all();
    return true;
}

void EventLoop::fireDueTimers() {
    auto now = Clock::now();
    std::vector<int> due;
    for (auto& [id, timer] : timers_)
        if (timer.due <= now) due.push_back(id);
    for (int id : due) {
        auto it = timers_.find(id);
        if (it == timers_.end() || it->second.due > now) continue;   // stopped or restarted by an earlier handler
        it->second.due = now + it->second.period;
        if (timerHandler_) timerHandler_(id);
    }
}

bool EventLoop::runFor(Clock::duration limit, const std::function<bool()>& until) {
    const auto end = Clock::now() + limit;
    while (true) {
        if (until && until()) return true;
        auto now = Clock::now();
        if (now >= end) return until ? until() : false;
        auto wakeAt = end;
        for (auto& [id, timer] : timers_)
            if (timer.due < wakeAt) wakeAt = timer.due;
        {
            std::unique_lock lock(mutex_);
            wake_.wait_until(lock, wakeAt, [&] { return pending_ != nullptr; });
            handlePendingBytes(lock);
        }
        fireDueTimers();
    }
}

void EventLoop::pumpOnce() {
    std::unique_lock lock(mutex_);
    handlePendingBytes(lock);
}

void EventLoop::shutdown() {
    std::lock_guard lock(mutex_);
    shutdown_ = true;
    handled_.notify_all();
}

}  // namespace mr420
