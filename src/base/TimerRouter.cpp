#include "base/TimerRouter.h"

namespace mr420 {

void TimerRouter::route(int id, std::function<void(int)> handler) {
    if (handler)
        handlers_[id] = std::move(handler);
    else
        handlers_.erase(id);
}

bool TimerRouter::dispatch(int id) {
    auto it = handlers_.find(id);
    if (it == handlers_.end()) {
        clock_.stopTimer(id);
        return false;
    }
    // A copy: the handler may replace or remove its own route.
    const auto handler = it->second;
    handler(id);
    return true;
}

}  // namespace mr420
