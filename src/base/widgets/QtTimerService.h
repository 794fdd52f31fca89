#pragma once
// Window-style timers on QTimer, keyed by their fixed numeric ids. Every
// expiry goes to one handler with the timer's id; like a window timer the
// timer keeps running until it is stopped.

#include <functional>
#include <map>
#include <memory>

#include "base/Interfaces.h"

class QTimer;

namespace mr420 {

class QtTimerService : public TimerService {
public:
    explicit QtTimerService(std::function<void(int)> onExpiry = {});
    ~QtTimerService() override;

    QtTimerService(const QtTimerService&) = delete;
    QtTimerService& operator=(const QtTimerService&) = delete;

    void setHandler(std::function<void(int)> onExpiry);

    // Starting a running timer restarts it with the new period.
    void startTimer(int id, int milliseconds) override;
    // Stopping a timer that does not run does nothing.
    void stopTimer(int id) override;

    bool isActive(int id) const;
    int interval(int id) const;  // -1 when the id was never started

private:
    std::function<void(int)> handler_;
    std::map<int, std::unique_ptr<QTimer>> timers_;
};

}  // namespace mr420
