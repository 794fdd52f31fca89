#pragma once
// Routes the expiries of numbered timers to the feature that owns each id.
// The event loop's timer service reports every expiry to dispatch(); each
// feature starts and stops its timers through the router and registers the
// handler of its ids once, so no owner needs a switch over every timer.

#include <functional>
#include <map>

#include "base/Interfaces.h"

namespace mr420 {

class TimerRouter : public TimerService {
public:
    explicit TimerRouter(TimerService& clock) : clock_(clock) {}

    void startTimer(int id, int milliseconds) override { clock_.startTimer(id, milliseconds); }
    void stopTimer(int id) override { clock_.stopTimer(id); }

    // The handler of one id (replacing an earlier one); an empty function removes it.
    void route(int id, std::function<void(int id)> handler);

    // Runs the handler of `id`. An id nobody handles is stopped, so that a
    // forgotten timer does not fire for ever; returns false then.
    bool dispatch(int id);

private:
    TimerService& clock_;
    std::map<int, std::function<void(int)>> handlers_;
};

}  // namespace mr420
