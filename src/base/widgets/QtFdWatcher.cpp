#include "base/widgets/QtFdWatcher.h"

#include <QSocketNotifier>

namespace mr420 {

namespace {

// A notifier may be ended from inside its own signal: it is disabled at
// once and deleted once the event loop has left it.
void retire(QSocketNotifier* notifier) {
    if (notifier == nullptr) return;
    notifier->setEnabled(false);
    notifier->disconnect();
    notifier->deleteLater();
}

}  // namespace

QtFdWatcher::~QtFdWatcher() {
    for (auto& [fd, watch] : watches_) {
        delete watch.read;
        delete watch.write;
    }
}

void QtFdWatcher::watchFd(int fd, int events, Handler handler) {
    unwatchFd(fd);
    Watch& watch = watches_[fd];
    watch.handler = std::make_shared<Handler>(std::move(handler));
    watch.read = new QSocketNotifier(fd, QSocketNotifier::Read);
    watch.write = new QSocketNotifier(fd, QSocketNotifier::Write);
    QObject::connect(watch.read, &QSocketNotifier::activated, [this, fd] { onActivated(fd, kReadable); });
    QObject::connect(watch.write, &QSocketNotifier::activated, [this, fd] { onActivated(fd, kWritable); });
    setFdEvents(fd, events);
}

void QtFdWatcher::setFdEvents(int fd, int events) {
    auto it = watches_.find(fd);
    if (it == watches_.end()) return;
    it->second.read->setEnabled((events & kReadable) != 0);
    it->second.write->setEnabled((events & kWritable) != 0);
}

void QtFdWatcher::unwatchFd(int fd) {
    auto it = watches_.find(fd);
    if (it == watches_.end()) return;
    retire(it->second.read);
    retire(it->second.write);
    watches_.erase(it);
}

void QtFdWatcher::onActivated(int fd, int readyFor) {
    auto it = watches_.find(fd);
    if (it == watches_.end()) return;
    const std::shared_ptr<Handler> handler = it->second.handler;
    (*handler)(readyFor);
}

}  // namespace mr420
