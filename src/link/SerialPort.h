#pragma once
// One serial port and the worker thread that does all its reading and writing.
//
// The worker waits with poll() on the port and on an eventfd that carries write
// requests and the shutdown. Received bytes are handed to a ByteDelivery in one
// blocking call per read, so the owner sees them strictly in order and nothing
// else is read until it has handled them. A frame handed to send() is written
// by the worker after it has delivered everything queued and purged the port.
//
// If the device goes away while open (a USB adapter pulled, the far end of a
// pty closed) the worker closes it, waits quietly and reopens the same path
// with the same settings when it comes back.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "base/Interfaces.h"

namespace mr420 {

enum class PortOpenError { None, NoSuchDevice, PermissionDenied, Busy, NotATty, Other };

// How an errno from open() or the first terminal call reads as a PortOpenError.
PortOpenError openErrorFromErrno(int err);

// English diagnostic for a failed open (the UI adds its translated line).
std::string describeOpenError(PortOpenError error, int err);

class SerialPort : public FramePort {
public:
    static constexpr std::size_t kMaxFrameLength = 256;

    SerialPort();
    ~SerialPort() override;  // close()

    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Raw 8N1, no flow control, DTR and RTS on, O_NOCTTY, exclusive (TIOCEXCL).
    // An object that is open already is closed first. On failure nothing stays
    // open and lastError() tells why.
    bool open(const std::string& devicePath, ByteDelivery& delivery, int baud = 9600);

    // Purges the port and starts the worker. False when not open, when the
    // worker runs already, or when the thread cannot be created.
    bool startWorker();

    // Copies exactly `length` bytes (at most kMaxFrameLength; longer frames are
    // refused) and asks the worker to write them. Returns at once. May be
    // called from any thread, including from inside deliverBytes. A frame
    // still waiting is replaced. Frames sent while the device is gone are dropped.
    void send(const char* frame, std::size_t length) override;

    // While a reply of at least this length is arriving, the worker does not
    // wake for every character: it sleeps until the characters still missing
    // before the earliest possible line end have had time to arrive, then
    // hands them over together. The line end itself is never delayed.
    void expectReply(std::size_t minimumLength) override;

    // Drops DTR and RTS, stops the worker and closes the device. While the
    // worker is still alive pumpEvents is called about every millisecond, so a
    // worker blocked in a delivery to the UI thread can finish. Called from
    // inside deliverBytes it only stops the worker; the object must then be
    // closed again (or destroyed) on another thread. Safe to call twice or
    // when never opened.
    void close(const std::function<void()>& pumpEvents = {});

    bool isOpen() const;
    PortOpenError lastError() const;
    int lastErrno() const;
    std::string lastErrorText() const;  // strerror of lastErrno()

    // False while the device node is gone or hung up; true again after the
    // worker has reopened it.
    bool deviceConnected() const;

    const std::string& devicePath() const { return path_; }

protected:
    // Runs on the worker right before the write step's purge. Does nothing
    // here; tests use it to make input arrive inside that window.
    virtual void beforeWriteStep() {}

private:
    // Opens and configures path; returns the descriptor or -1 with err set.
    int openDevice(int& err) const;
    void workerLoop();
    bool readAndDeliver();  // false when the device failed
    void writeStep();
    void disconnect();
    bool tryReconnect();
    void drainWake();
    void waitForMoreOfTheLine();
    void countLineBytes(const char* bytes, std::size_t count);
    bool waitWritable(int fd);

    std::string path_;
    ByteDelivery* delivery_ = nullptr;
    int baud_ = 9600;
    bool open_ = false;

    // Serialises operations on the descriptor between the UI thread and the worker.
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

    std::atomic<std::size_t> expectedLineLength_{0};
    std::size_t lineBytes_ = 0;   // worker only: characters of the line being received
    std::chrono::steady_clock::time_point lineStarted_;   // worker only: first character of that line

    PortOpenError lastError_ = PortOpenError::None;
    int lastErrno_ = 0;
};

}  // namespace mr420
