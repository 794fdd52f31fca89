#pragma once
// The small interfaces through which the core reaches the event loop and the
// port. The front end implements them on Qt, the command line on the plain
// event loop; tests replace them with fakes and a virtual clock.

#include <cstddef>
#include <functional>

namespace mr420 {

// Window-style timers keyed by fixed numeric ids. Starting a running timer
// restarts it. Expiry is reported by whoever owns the service calling the
// handler registered for that id (see TimerRouter).
class TimerService {
public:
    virtual ~TimerService() = default;
    virtual void startTimer(int id, int milliseconds) = 0;
    virtual void stopTimer(int id) = 0;
};

// Where the command builder hands a finished frame. The serial port implements it.
class FramePort {
public:
    virtual ~FramePort() = default;
    virtual void send(const char* frame, std::size_t length) = 0;
    // The reply to the frame about to be sent is at least this long (CR LF
    // included; 0 = unknown). A port may use it to wake less often while the
    // reply trickles in at 9600 baud.
    virtual void expectReply(std::size_t /*minimumLength*/) {}
};

// Called on the serial WORKER thread with bytes received; must not return
// until they are handled on the thread that runs the session (the Qt front
// end hands them over with a blocking queued call, the plain event loop with
// a condition variable).
class ByteDelivery {
public:
    virtual ~ByteDelivery() = default;
    virtual void deliverBytes(const char* bytes, std::size_t count) = 0;

    // Called by a port that stops its worker while nobody keeps the handling
    // thread's events flowing (it is destroyed, or opened again), about every
    // millisecond until the worker has ended, on the thread that closes it.
    // A hand-over that waits for the calling thread must then return without
    // its bytes being handled: the port is going away. A delivery that never
    // waits for another thread has nothing to do.
    virtual void dropWaitingHandOver() {}
};

// Tells the thread that runs the session when a descriptor (a socket) can
// be read or written. The plain event loop polls; the window uses socket
// notifiers. Handlers run on that thread and may change or end any watch,
// their own included.
class FdWatcher {
public:
    static constexpr int kReadable = 1;   // data, an end of file or an error is there
    static constexpr int kWritable = 2;
    using Handler = std::function<void(int readyFor)>;

    virtual ~FdWatcher() = default;
    // Watches `fd` for `events` (kReadable, kWritable or both; 0 keeps the
    // watch but reports nothing), replacing an earlier watch of it.
    virtual void watchFd(int fd, int events, Handler handler) = 0;
    // What a watched descriptor is watched for, its handler kept.
    virtual void setFdEvents(int fd, int events) = 0;
    virtual void unwatchFd(int fd) = 0;
};

}  // namespace mr420
