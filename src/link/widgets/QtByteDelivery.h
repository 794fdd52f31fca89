#pragma once
// Hands the bytes the serial worker receives to the UI thread and waits there
// until they are handled, so the session sees them strictly in order and no
// session data crosses threads. The handler runs once per byte.
//
// While the worker waits here, the UI thread must keep its events flowing for
// the hand-over to finish; SerialPort::close does that with pumpEvents(),
// which is what this class gives it. A port closed without it (destroyed, or
// opened again) releases the waiting hand-over with dropWaitingHandOver().
// The character handler itself must not close the port: the hand-over it
// runs in cannot end before it returns.

#include <QObject>

#include <atomic>
#include <functional>

#include "link/SerialPort.h"

namespace mr420 {

class QtByteDelivery : public QObject, public ByteDelivery {
    Q_OBJECT
public:
    // Lives on the thread that creates it (the UI thread).
    explicit QtByteDelivery(std::function<void(char)> onCharacter = {}, QObject* parent = nullptr);
    ~QtByteDelivery() override;

    void setHandler(std::function<void(char)> onCharacter);

    // Called on the worker thread; returns once every byte went through the
    // handler on the UI thread. Called on the UI thread itself it runs the
    // handler directly. After setDiscarding(true) bytes are dropped (the
    // window is going away and the session must not see them).
    void deliverBytes(const char* bytes, std::size_t count) override;

    void setDiscarding(bool discard) { discarding_ = discard; }

    // On the UI thread: runs the hand-overs queued for it without handing
    // their bytes to the handler, so that waiting workers return. Elsewhere
    // it does nothing (the UI thread's own loop finishes them).
    void dropWaitingHandOver() override;

    // For SerialPort::close: handles pending hand-overs on the UI thread.
    static void pumpEvents();

private:
    void handle(const char* bytes, std::size_t count);

    std::function<void(char)> handler_;
    std::atomic<bool> discarding_{false};
    bool dropping_ = false;   // UI thread only
};

}  // namespace mr420
