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
    // A handler that pumps (a port closed from inside it) must not start on
    // the same bytes again.
    if (pending_ == nullptr || handling_) return false;
    // The worker is blocked until we clear pending_, so the buffer stays valid
    // while we run the handler without the lock, unless it is let go.
    const char* bytes = pending_;
    std::size_t count = pendingCount_;
    handling_ = true;
    handlingThread_ = std::this_thread::get_id();
    letGo_ = false;
    lock.unlock();
    for (std::size_t i = 0; i < count && !letGo_; ++i)
        if (byteHandler_) byteHandler_(bytes[i]);
    lock.lock();
    handling_ = false;
    if (!letGo_) {
        pending_ = nullptr;
        pendingCount_ = 0;
        handled_.notify_all();
    }
    letGo_ = false;
    return true;
}

void EventLoop::letGoOfTheHandOverBeingHandled() {
    letGo_ = true;
    pending_ = nullptr;
    pendingCount_ = 0;
    handled_.notify_all();
}

void EventLoop::dropWaitingHandOver() {
    std::lock_guard lock(mutex_);
    if (pending_ == nullptr) return;
    if (handling_) {
        // On another thread the handler finishes by itself; on this one it
        // is our caller, and the worker cannot wait for it.
        if (handlingThread_ == std::this_thread::get_id()) letGoOfTheHandOverBeingHandled();
        return;
    }
    pending_ = nullptr;
    pendingCount_ = 0;
    handled_.notify_all();
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
    if (pending_ != nullptr && handling_ && handlingThread_ == std::this_thread::get_id()) {
        letGoOfTheHandOverBeingHandled();
        return;
    }
    handlePendingBytes(lock);
}

void EventLoop::shutdown() {
    std::lock_guard lock(mutex_);
    shutdown_ = true;
    handled_.notify_all();
}

}  // namespace mr420
