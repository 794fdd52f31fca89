#include "link/widgets/QtByteDelivery.h"

#include <QCoreApplication>
#include <QThread>

namespace mr420 {

QtByteDelivery::QtByteDelivery(std::function<void(char)> onCharacter, QObject* parent)
    : QObject(parent), handler_(std::move(onCharacter)) {}

QtByteDelivery::~QtByteDelivery() = default;

void QtByteDelivery::setHandler(std::function<void(char)> onCharacter) { handler_ = std::move(onCharacter); }

void QtByteDelivery::deliverBytes(const char* bytes, std::size_t count) {
    if (count == 0 || discarding_) return;
    if (QThread::currentThread() == thread()) {
        handle(bytes, count);
        return;
    }
    // The worker's buffer stays valid: this call does not return before the
    // UI thread has run the lambda.
    QMetaObject::invokeMethod(
        this, [this, bytes, count] { handle(bytes, count); }, Qt::BlockingQueuedConnection);
}

void QtByteDelivery::handle(const char* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (discarding_ || dropping_ || !handler_) return;
        handler_(bytes[i]);
    }
}

void QtByteDelivery::dropWaitingHandOver() {
    if (QThread::currentThread() != thread()) return;
    // Only the queued hand-overs of this object run here, not the rest of the
    // event queue: the caller may be half way through tearing things down.
    const bool wasDropping = dropping_;
    dropping_ = true;
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    dropping_ = wasDropping;
}

void QtByteDelivery::pumpEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents, 1); }

}  // namespace mr420
