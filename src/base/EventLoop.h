#pragma once
// A plain single-threaded event loop without Qt: numbered timers on the steady
// clock, the blocking hand-over of received bytes from the serial worker and
// watches of descriptors (the data server's sockets).
// It runs the session wherever no Qt event loop exists: in tests, benchmarks
// and command-line tools. The thread that calls run() plays the role of the
// user-interface thread.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "base/Interfaces.h"

namespace mr420 {

class EventLoop : public TimerService, public ByteDelivery, public FdWatcher {
public:
    using Clock = std::chrono::steady_clock;

    EventLoop();
    ~EventLoop() override;
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    // Handlers run on the loop thread.
    void setByteHandler(std::function<void(char)> handler) { byteHandler_ = std::move(handler); }
    void setTimerHandler(std::function<void(int)> handler) { timerHandler_ = std::move(handler); }

    // TimerService, loop thread only. Timers repeat until stopped, like window timers.
    void startTimer(int id, int milliseconds) override;
    void stopTimer(int id) override;
    bool timerRunning(int id) const { return timers_.count(id) != 0; }

    // ByteDelivery, called on the serial worker: waits until the loop thread
    // has run every byte through the byte handler, the hand-over is dropped,
    // or the loop is shut down.
    void deliverBytes(const char* bytes, std::size_t count) override;

    // ByteDelivery, for a port closing without running the loop (any thread):
    // a hand-over nobody handles yet returns at once and its bytes are never
    // handled. One that the handler is going through on another thread is
    // left to finish. Called from inside the handler, it lets go of the
    // hand-over being handled: the worker returns, and the handler sees no
    // byte after the current one.
    void dropWaitingHandOver() override;

    // FdWatcher, loop thread only. While any descriptor is watched the loop
    // waits in poll(), woken for a hand-over through an eventfd.
    void watchFd(int fd, int events, Handler handler) override;
    void setFdEvents(int fd, int events) override;
    void unwatchFd(int fd) override;

    // Runs until `until` returns true (checked after every event) or the time
    // is up. Returns the result of the last check.
    bool runFor(Clock::duration limit, const std::function<bool()>& until = {});

    // Handles a pending hand-over, if any; for SerialPort::close. Called
    // from inside the byte handler it cannot finish the hand-over being
    // handled, and lets go of it as dropWaitingHandOver does.
    void pumpOnce();

    // Makes every waiting and future hand-over return at once (for shutdown).
    void shutdown();

private:
    struct Timer {
        Clock::duration period;
        Clock::time_point due;
    };
    // Runs a waiting hand-over through the byte handler; after one it
    // returns with `lock` released (the caller is done with it).
    bool handlePendingBytes(std::unique_lock<std::mutex>& lock);
    void letGoOfTheHandOverBeingHandled();   // mutex_ held, on the handling thread
    void fireDueTimers();
    // Waits in poll() until a watched descriptor is ready, a hand-over
    // arrives or `wakeAt`; then handles the hand-over and the descriptors.
    void pollUntil(Clock::time_point wakeAt);

    struct Watch {
        int events = 0;
        std::shared_ptr<Handler> handler;   // kept alive while it runs
    };
    std::map<int, Watch> watches_;
    int wakeFd_ = -1;   // eventfd: written by deliverBytes while the loop polls

    std::function<void(char)> byteHandler_;
    std::function<void(int)> timerHandler_;
    std::map<int, Timer> timers_;

    std::mutex mutex_;
    std::condition_variable wake_;      // bytes arrived (loop waits on it)
    std::condition_variable handled_;   // bytes handled (worker waits on it)
    const char* pending_ = nullptr;
    std::size_t pendingCount_ = 0;
    bool shutdown_ = false;
    // The hand-over in pending_ is going through the handler on handlingThread_.
    bool handling_ = false;
    std::thread::id handlingThread_;
    // The worker of the hand-over being handled has been let go: its buffer
    // must not be read any more.
    std::atomic<bool> letGo_{false};
};

}  // namespace mr420
