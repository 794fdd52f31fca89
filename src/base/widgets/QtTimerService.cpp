#include "base/widgets/QtTimerService.h"

#include <QTimer>

namespace mr420 {

QtTimerService::QtTimerService(std::function<void(int)> onExpiry) : handler_(std::move(onExpiry)) {}

QtTimerService::~QtTimerService() = default;

void QtTimerService::setHandler(std::function<void(int)> onExpiry) { handler_ = std::move(onExpiry); }

void QtTimerService::startTimer(int id, int milliseconds) {
    auto& slot = timers_[id];
    if (!slot) {
        // The QTimer is kept once made: a handler may stop or restart its own
        // timer while its timeout signal is being emitted.
        slot = std::make_unique<QTimer>();
        slot->setTimerType(Qt::PreciseTimer);
        QObject::connect(slot.get(), &QTimer::timeout, [this, id] {
            if (handler_) handler_(id);
        });
    }
    slot->start(milliseconds < 0 ? 0 : milliseconds);
}

void QtTimerService::stopTimer(int id) {
    auto it = timers_.find(id);
    if (it != timers_.end()) it->second->stop();
}

bool QtTimerService::isActive(int id) const {
    auto it = timers_.find(id);
    return it != timers_.end() && it->second->isActive();
}

int QtTimerService::interval(int id) const {
    auto it = timers_.find(id);
    return it == timers_.end() ? -1 : it->second->interval();
}

}  // namespace mr420
