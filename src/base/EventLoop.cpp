#include "base/EventLoop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <vector>

namespace mr420 {

EventLoop::EventLoop() : wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

EventLoop::~EventLoop() {
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

void EventLoop::watchFd(int fd, int events, Handler handler) {
    watches_[fd] = Watch{events, std::make_shared<Handler>(std::move(handler))};
}

void EventLoop::setFdEvents(int fd, int events) {
    auto it = watches_.find(fd);
    if (it != watches_.end()) it->second.events = events;
}

void EventLoop::unwatchFd(int fd) { watches_.erase(fd); }

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
    // The loop thread is woken with the lock free, so that it does not wake
    // only to sleep again on the lock (a context switch more per line).
    lock.unlock();
    wake_.notify_one();
    if (wakeFd_ >= 0) {
        const std::uint64_t one = 1;
        (void)!::write(wakeFd_, &one, sizeof one);
    }
    lock.lock();
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
    const bool handled = !letGo_;
    if (handled) {
        pending_ = nullptr;
        pendingCount_ = 0;
    }
    letGo_ = false;
    // The worker is woken with the lock free (see deliverBytes).
    lock.unlock();
    if (handled) handled_.notify_all();
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
        if (watches_.empty() || wakeFd_ < 0) {
            std::unique_lock lock(mutex_);
            wake_.wait_until(lock, wakeAt, [&] { return pending_ != nullptr; });
            handlePendingBytes(lock);
        } else {
            pollUntil(wakeAt);
        }
        fireDueTimers();
    }
}

void EventLoop::pollUntil(Clock::time_point wakeAt) {
    std::vector<pollfd> fds{{wakeFd_, POLLIN, 0}};
    for (const auto& [fd, watch] : watches_) {
        short events = 0;
        if (watch.events & kReadable) events |= POLLIN;
        if (watch.events & kWritable) events |= POLLOUT;
        if (events != 0) fds.push_back({fd, events, 0});
    }
    bool bytesWaiting;
    {
        std::lock_guard lock(mutex_);
        bytesWaiting = pending_ != nullptr;
    }
    // A hand-over that comes after this look writes the eventfd.
    timespec wait{0, 0};
    if (!bytesWaiting) {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(wakeAt - Clock::now());
        if (left.count() > 0) wait = {static_cast<time_t>(left.count() / 1'000'000'000), static_cast<long>(left.count() % 1'000'000'000)};
    }
    const int ready = ::ppoll(fds.data(), fds.size(), &wait, nullptr);
    if (ready < 0 && errno != EINTR) return;
    if (fds[0].revents & POLLIN) {
        std::uint64_t count;
        (void)!::read(wakeFd_, &count, sizeof count);
    }
    {
        std::unique_lock lock(mutex_);
        handlePendingBytes(lock);
    }
    if (ready <= 0) return;
    for (std::size_t i = 1; i < fds.size(); ++i) {
        // An end or an error is reported as readable: reading tells which.
        const bool failed = (fds[i].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        int readyFor = 0;
        if ((fds[i].revents & POLLIN) || failed) readyFor |= kReadable;
        if (fds[i].revents & POLLOUT) readyFor |= kWritable;
        // An earlier handler may have ended this watch or changed it.
        auto it = watches_.find(fds[i].fd);
        if (it == watches_.end()) continue;
        readyFor &= it->second.events | (failed ? kReadable : 0);
        if (readyFor == 0) continue;
        const std::shared_ptr<Handler> handler = it->second.handler;
        (*handler)(readyFor);
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
