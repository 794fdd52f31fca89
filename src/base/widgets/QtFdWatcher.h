#pragma once
// Descriptor watches on the Qt event loop: one QSocketNotifier per descriptor
// and direction, so that the core's data server runs in the window.

#include <map>
#include <memory>

#include "base/Interfaces.h"

class QSocketNotifier;

namespace mr420 {

class QtFdWatcher : public FdWatcher {
public:
    QtFdWatcher() = default;
    ~QtFdWatcher() override;
    QtFdWatcher(const QtFdWatcher&) = delete;
    QtFdWatcher& operator=(const QtFdWatcher&) = delete;

    void watchFd(int fd, int events, Handler handler) override;
    void setFdEvents(int fd, int events) override;
    void unwatchFd(int fd) override;

private:
    struct Watch {
        std::shared_ptr<Handler> handler;   // kept alive while it runs
        QSocketNotifier* read = nullptr;
        QSocketNotifier* write = nullptr;
    };
    void onActivated(int fd, int readyFor);

    std::map<int, Watch> watches_;
};

}  // namespace mr420
