#pragma once
// One serial port and the worker thread that does all its reading and writing.
//
// The worker waits with poll() on the port and on an eventfd that carries write
// requests and the shutdown. Received bytes are handed to a ByteDelivery in
// blocking calls (one per wake-up of the worker: one per line while a reply
// is due, see expectReply), so the owner sees them strictly in
// order and nothing else is read until it has handled them. A frame handed
// to send() is written by the worker after it has delivered everything
// received and purged the port's input; output still going out is never
// discarded.
//
// If the device goes away while open (a USB adapter pulled, the far end of a
// pty closed, a read or write failing with the device removed) the worker
// closes it, counts the loss (deviceLosses), waits quietly and reopens the
// same path with the same settings when it comes back.
//
// Every open and reopen takes the port's lock (PortLock) before the device
// is configured, so a program refused because another one holds the port
// leaves that program's line alone.
//
// At every open and reopen the worker discards what the driver holds and
// whatever arrives until the line has been quiet for kOpenQuietMs (the tail
// of a reply to another program, an adapter's buffer), before it hands over
// any byte or writes the first frame. Only input is discarded.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "base/Interfaces.h"
#include "link/PortLock.h"

namespace mr420 {

enum class PortOpenError { None, NoSuchDevice, PermissionDenied, Busy, NotATty, Other };

// How an errno from open() or the first terminal call reads as a PortOpenError.
PortOpenError openErrorFromErrno(int err);

// The message of a failed open, in the program's language, is
// describePortOpenFailure of the panel connection.

class SerialPort : public FramePort {
public:
    static constexpr std::size_t kMaxFrameLength = 256;

    // The lock directory as PortLock takes it (empty: the default one).
    explicit SerialPort(std::string lockDirectory = {});
    ~SerialPort() override;  // close()

    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Raw 8N1, no flow control, DTR and RTS on, O_NOCTTY, exclusive (TIOCEXCL)
    // and locked. An object that is open already is closed first (bytes
    // still on their way from it are dropped). On failure nothing stays open
    // and lastError() tells why; a port another program holds is Busy, and
    // holder() names that program when it can be told.
    bool open(const std::string& devicePath, ByteDelivery& delivery, int baud = 9600);

    // Purges the port's input and starts the worker. False when not open,
    // when the worker runs already, or when the thread cannot be created.
    bool startWorker();

    // Copies exactly `length` bytes (at most kMaxFrameLength; longer frames are
    // refused) and asks the worker to write them. Returns at once. May be
    // called from any thread, including from inside deliverBytes. A frame
    // still waiting is replaced. Frames sent while the device is gone are dropped.
    void send(const char* frame, std::size_t length) override;

    // While a reply of this length (more than 0) is due, the port is in
    // canonical mode with LF as the only line end: the kernel wakes the
    // worker once per line, and each line is handed over the moment its LF
    // arrives, whatever its length. A reply that has not ended after
    // lineStallMs (twice its time at the line's pace plus
    // kReplyStartMarginMs) is read as it comes until the next frame. With 0
    // characters go to the owner as they come.
    void expectReply(std::size_t minimumLength) override;
    static constexpr int kReplyStartMarginMs = 100;

    // Stops the worker, drops DTR and RTS and closes the device. Output that
    // has not gone out within kCloseDrainMs is discarded, so a stalled
    // adapter cannot hold the caller. While the worker is still alive
    // pumpEvents is called about every millisecond, so a worker blocked in a
    // delivery to the calling thread can finish; without it the delivery is
    // asked to drop that hand-over instead (ByteDelivery::dropWaitingHandOver),
    // so the destructor and open() of an open port never wait on the thread
    // they are called on. A frame handed to send() before still goes out if
    // the device takes it at once. Called from inside deliverBytes on the
    // worker it only stops the worker; the object must then be closed again
    // (or destroyed) on another thread. Safe to call twice or when never
    // opened.
    void close(const std::function<void()>& pumpEvents = {});

    static constexpr int kCloseDrainMs = 50;
    // Quiet the line must keep after an open before its input counts, and
    // the longest an open waits for that (a line that never goes quiet).
    static constexpr int kOpenQuietMs = 40;
    static constexpr int kOpenQuietLimitMs = 1000;

    bool isOpen() const;
    PortOpenError lastError() const;
    int lastErrno() const;
    std::string lastErrorText() const;  // strerror of lastErrno()
    const PortHolder& holder() const { return holder_; }
    // Why the lock file was not written at the last open, or empty.
    const std::string& lockNote() const { return lock_.note(); }

    // True once the line has been quiet after the open or the last reopen:
    // from then on received bytes are handed over.
    bool listening() const { return listening_; }

    // False while the device node is gone or hung up; true again after the
    // worker has reopened it.
    bool deviceConnected() const;
    // How often the device went away since it was opened; read from any
    // thread, so that a loss and return between two looks is still seen.
    unsigned deviceLosses() const { return losses_; }

    const std::string& devicePath() const { return path_; }

protected:
    // Runs on the worker right before the write step's purge. Does nothing
    // here; tests use it to make input arrive inside that window.
    virtual void beforeWriteStep() {}

private:
    // Opens, locks and configures path; returns the descriptor or -1 with
    // err set (EBUSY, with holder filled when it can be told, when another
    // program holds the port).
    int openDevice(int& err, PortHolder& holder);
    void workerLoop();
    bool takeIn();          // hands over all the driver holds; false when the device failed
    bool wantsCanonical() const;
    void setLineMode(int fd, bool canonical);
    int lineStallMs() const;
    void writeStep();
    bool writePending();
    void disconnect();
    bool tryReconnect();
    void drainWake();
    void discardUntilQuiet();
    bool waitWritable(int fd, bool& hungUp);
    void finishClosing();

    std::string path_;
    ByteDelivery* delivery_ = nullptr;
    int baud_ = 9600;
    bool open_ = false;

    // Guards fd_ between the UI thread and the worker. Held for single calls
    // on the descriptor, never across a wait.
    mutable std::mutex portLock_;
    int fd_ = -1;
    int wakeFd_ = -1;  // eventfd: write requests and shutdown

    std::mutex frameLock_;
    char frame_[kMaxFrameLength] = {};
    std::size_t frameLength_ = 0;
    bool writePending_ = false;

    std::thread worker_;
    std::atomic<bool> shutdown_{false};
    std::atomic<bool> workerDone_{true};
    std::atomic<bool> connected_{false};
    std::atomic<bool> listening_{false};
    std::atomic<unsigned> losses_{0};

    std::atomic<std::size_t> expectedLineLength_{0};

    // Worker only.
    char inbox_[4096] = {};
    bool canonical_ = false;   // the terminal's mode as last set
    bool stalled_ = false;     // the reply due did not end in time: raw until the next frame

    PortOpenError lastError_ = PortOpenError::None;
    int lastErrno_ = 0;
    PortLock lock_;
    PortHolder holder_;
};

}  // namespace mr420
