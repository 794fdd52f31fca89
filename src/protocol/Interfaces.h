#pragma once
// The small interfaces through which the protocol core reaches the outside.
// The front end implements them on Qt; tests replace them with fakes and a
// virtual clock.

#include <cstddef>

namespace mr420 {

// Window-style timers keyed by fixed numeric ids. Starting a running timer
// restarts it. Expiry is reported by whoever owns the service calling the
// handler registered for that id (see the session and the main window).
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

// Receives the parser's acknowledgement of an acknowledged write.
class WriteAckListener {
public:
    virtual ~WriteAckListener() = default;
    virtual void onWriteAcknowledged(int commandNumber) = 0;
};

}  // namespace mr420
