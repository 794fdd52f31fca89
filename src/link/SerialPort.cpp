#include "link/SerialPort.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace mr420 {

namespace {

// How long a gone device is left alone before the next attempt to reopen it.
constexpr int kReconnectPollMs = 250;
// How long one frame may wait for room in the output queue before it is given up.
constexpr int kWriteTimeoutMs = 5000;

bool speedFor(int baud, speed_t& speed) {
    switch (baud) {
    case 1200: speed = B1200; return true;
    case 2400: speed = B2400; return true;
    case 4800: speed = B4800; return true;
    case 9600: speed = B9600; return true;
    case 19200: speed = B19200; return true;
    case 38400: speed = B38400; return true;
    case 57600: speed = B57600; return true;
    case 115200: speed = B115200; return true;
    case 230400: speed = B230400; return true;
    default: return false;
    }
}

// The port whose worker runs on this thread, if any.
thread_local const SerialPort* workerOfThisThread = nullptr;

void closeFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

}  // namespace

PortOpenError openErrorFromErrno(int err) {
    switch (err) {
    case 0: return PortOpenError::None;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR: return PortOpenError::NoSuchDevice;
    case EACCES:
    case EPERM:
    case EROFS: return PortOpenError::PermissionDenied;
    case EBUSY: return PortOpenError::Busy;
    case ENOTTY: return PortOpenError::NotATty;
    default: return PortOpenError::Other;
    }
}

std::string describeOpenError(PortOpenError error, int err) {
    const std::string reason = err != 0 ? std::string(" (") + std::strerror(err) + ")" : std::string();
    switch (error) {
    case PortOpenError::None:
        return "The port is open.";
    case PortOpenError::NoSuchDevice:
        return "The device does not exist" + reason + ". Check that the adapter is plugged in "
               "and that the [PORTS] entry of the settings file names the right device.";
    case PortOpenError::PermissionDenied:
        return "Access to the device was denied" + reason + ". The user needs to be in the group "
               "that owns the device (usually \"dialout\"); log in again after adding it.";
    case PortOpenError::Busy:
        return "The device is in use by another program" + reason + ".";
    case PortOpenError::NotATty:
        return "The device is not a serial port" + reason + ".";
    case PortOpenError::Other:
        break;
    }
    return "The device could not be opened" + reason + ".";
}

SerialPort::SerialPort() = default;

SerialPort::~SerialPort() { close(); }

int SerialPort::openDevice(int& err) const {
    speed_t speed;
    if (!speedFor(baud_, speed)) {
        err = EINVAL;
        return -1;
    }
    int fd = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        err = errno;
        return -1;
    }
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        err = errno == EINVAL ? ENOTTY : errno;
        ::close(fd);
        return -1;
    }
    // Later opens by others fail with EBUSY (except for privileged users).
    (void)::ioctl(fd, TIOCEXCL);
    // Raw 8N1 without any flow control. VMIN 1 with O_NONBLOCK makes an empty
    // queue read as EAGAIN, so a read of 0 bytes means the line hung up.
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    // Settings that a device does not take are not fatal: it is used as it is.
    (void)::tcsetattr(fd, TCSANOW, &tio);
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)::ioctl(fd, TIOCMBIS, &lines);
    (void)::tcflush(fd, TCIOFLUSH);
    err = 0;
    return fd;
}

bool SerialPort::open(const std::string& devicePath, ByteDelivery& delivery, int baud) {
    close();
    path_ = devicePath;
    delivery_ = &delivery;
    baud_ = baud;
    lastError_ = PortOpenError::None;
    lastErrno_ = 0;

    int err = 0;
    int fd = openDevice(err);
    if (fd < 0) {
        lastErrno_ = err;
        lastError_ = openErrorFromErrno(err);
        if (lastError_ == PortOpenError::None) lastError_ = PortOpenError::Other;
        return false;
    }
    int wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake < 0) {
        lastErrno_ = errno;
        lastError_ = PortOpenError::Other;
        ::close(fd);
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(portLock_);
        fd_ = fd;
    }
    wakeFd_ = wake;
    {
        std::lock_guard<std::mutex> guard(frameLock_);
        writePending_ = false;
        frameLength_ = 0;
    }
    shutdown_ = false;
    connected_ = true;
    open_ = true;
    return true;
}

bool SerialPort::startWorker() {
    if (!open_ || worker_.joinable()) return false;
    {
        std::lock_guard<std::mutex> guard(portLock_);
        if (fd_ >= 0) (void)::tcflush(fd_, TCIOFLUSH);
    }
    workerDone_ = false;
    try {
        worker_ = std::thread([this] {
            workerOfThisThread = this;
            workerLoop();
            workerDone_ = true;
        });
    } catch (const std::system_error&) {
        workerDone_ = true;
        return false;
    }
    return true;
}

void SerialPort::send(const char* frame, std::size_t length) {
    if (!open_ || frame == nullptr || length > kMaxFrameLength) return;
    {
        std::lock_guard<std::mutex> guard(frameLock_);
        std::memcpy(frame_, frame, length);
        frameLength_ = length;
        writePending_ = true;
    }
    const std::uint64_t one = 1;
    (void)!::write(wakeFd_, &one, sizeof one);
}

void SerialPort::close(const std::function<void()>& pumpEvents) {
    if (!open_) return;
    if (workerOfThisThread == this) {
        // From inside a delivery the worker cannot wait for itself: it only
        // stops, and a later close on another thread finishes the job.
        shutdown_ = true;
        return;
    }
    {
        std::lock_guard<std::mutex> guard(portLock_);
        if (fd_ >= 0) {
            int lines = TIOCM_DTR | TIOCM_RTS;
            (void)::ioctl(fd_, TIOCMBIC, &lines);
        }
    }
    shutdown_ = true;
    const std::uint64_t one = 1;
    (void)!::write(wakeFd_, &one, sizeof one);
    if (worker_.joinable()) {
        // The worker may be blocked handing bytes to the thread calling us.
        while (!workerDone_) {
            if (pumpEvents) pumpEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        worker_.join();
    }
    {
        std::lock_guard<std::mutex> guard(portLock_);
        closeFd(fd_);
    }
    closeFd(wakeFd_);
    open_ = false;
    connected_ = false;
}

bool SerialPort::isOpen() const { return open_; }
PortOpenError SerialPort::lastError() const { return lastError_; }
int SerialPort::lastErrno() const { return lastErrno_; }
std::string SerialPort::lastErrorText() const { return lastErrno_ != 0 ? std::strerror(lastErrno_) : ""; }
bool SerialPort::deviceConnected() const { return connected_; }

void SerialPort::drainWake() {
    std::uint64_t count;
    while (::read(wakeFd_, &count, sizeof count) > 0) {
    }
}

void SerialPort::disconnect() {
    {
        std::lock_guard<std::mutex> guard(portLock_);
        closeFd(fd_);
    }
    connected_ = false;
}

bool SerialPort::tryReconnect() {
    int err = 0;
    int fd = openDevice(err);
    if (fd < 0) return false;
    // A pty slave whose master nobody holds opens but reports a hang-up at
    // once; such a device is not back yet.
    pollfd check{fd, POLLIN, 0};
    if (::poll(&check, 1, 0) > 0 && (check.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        ::close(fd);
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(portLock_);
        fd_ = fd;
    }
    connected_ = true;
    return true;
}

void SerialPort::workerLoop() {
    while (!shutdown_) {
        int fd;
        {
            std::lock_guard<std::mutex> guard(portLock_);
            fd = fd_;
        }
        if (fd < 0) {
            // The device is gone: wait without spinning and look again.
            pollfd wake{wakeFd_, POLLIN, 0};
            (void)::poll(&wake, 1, kReconnectPollMs);
            drainWake();
            if (shutdown_) break;
            {
                std::lock_guard<std::mutex> guard(frameLock_);
                writePending_ = false;  // nothing to write to
            }
            tryReconnect();
            continue;
        }

        waitForMoreOfTheLine();
        if (shutdown_) break;
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        int n = ::poll(fds, 2, -1);
        if (n < 0) {
            if (errno == EINTR) continue;
            disconnect();
            continue;
        }
        if (fds[1].revents & POLLIN) drainWake();
        if (shutdown_) break;

        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) {
            bool alive = readAndDeliver();
            if (shutdown_) break;
            if (!alive || (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))) {
                disconnect();
                continue;
            }
        }

        bool pending;
        {
            std::lock_guard<std::mutex> guard(frameLock_);
            pending = writePending_;
        }
        if (pending) writeStep();
    }
}

bool SerialPort::readAndDeliver() {
    char buffer[4096];
    // Everything queued now is delivered before a pending write is looked at.
    while (!shutdown_) {
        ssize_t got;
        {
            std::lock_guard<std::mutex> guard(portLock_);
            if (fd_ < 0) return false;
            got = ::read(fd_, buffer, sizeof buffer);
        }
        if (got > 0) {
            countLineBytes(buffer, static_cast<std::size_t>(got));
            delivery_->deliverBytes(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        if (got < 0 && errno == EINTR) continue;
        return false;  // 0 is a hang-up, anything else (EIO) a failed device
    }
    return true;
}

bool SerialPort::waitWritable(int fd) {
    for (int waited = 0; waited < kWriteTimeoutMs && !shutdown_; waited += 100) {
        pollfd out{fd, POLLOUT, 0};
        int n = ::poll(&out, 1, 100);
        if (n > 0) return (out.revents & (POLLERR | POLLHUP | POLLNVAL)) == 0;
        if (n < 0 && errno != EINTR) return false;
    }
    return false;
}

void SerialPort::writeStep() {
    char frame[kMaxFrameLength];
    std::size_t length;
    {
        std::lock_guard<std::mutex> guard(frameLock_);
        if (!writePending_) return;
        writePending_ = false;
        length = frameLength_;
        std::memcpy(frame, frame_, length);
    }
    beforeWriteStep();
    bool failed = false;
    {
        std::lock_guard<std::mutex> guard(portLock_);
        if (fd_ < 0) return;
        // Whatever the device still holds belongs to an earlier exchange.
        (void)::tcflush(fd_, TCIOFLUSH);
        std::size_t done = 0;
        while (done < length) {
            ssize_t put = ::write(fd_, frame + done, length - done);
            if (put > 0) {
                done += static_cast<std::size_t>(put);
            } else if (put < 0 && errno == EINTR) {
                continue;
            } else if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (!waitWritable(fd_)) break;
            } else {
                failed = errno == EIO || errno == ENXIO || errno == ENODEV;
                break;
            }
        }
    }
    if (failed) disconnect();
    lineBytes_ = 0;   // the purge emptied the input: the reply starts afresh
}

void SerialPort::expectReply(std::size_t minimumLength) { expectedLineLength_ = minimumLength; }

void SerialPort::countLineBytes(const char* bytes, std::size_t count) {
    const void* lf = std::memchr(bytes, '\n', count);
    if (lf == nullptr) {
        if (lineBytes_ == 0) lineStarted_ = std::chrono::steady_clock::now();
        lineBytes_ += count;
        return;
    }
    // Characters after the last line end begin the next line.
    const char* last = bytes + count;
    while (last > bytes && last[-1] != '\n') --last;
    lineBytes_ = static_cast<std::size_t>(bytes + count - last);
}

void SerialPort::waitForMoreOfTheLine() {
    const std::size_t expected = expectedLineLength_;
    // Only inside a line that has begun: when the panel starts to answer is unknown.
    if (expected == 0 || lineBytes_ == 0 || lineBytes_ + 2 >= expected) return;
    // The line end is character number `expected` at the earliest; wake one
    // character before the one that precedes it.
    const long long characterNs = 10'000'000'000LL / (baud_ > 0 ? baud_ : 9600);
    // Only when the characters come at the line's pace; a line that arrives
    // at once (a pseudo-terminal, a fast adapter) is read as it comes.
    const long long elapsedNs =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - lineStarted_).count();
    if (lineBytes_ < 2 || elapsedNs < static_cast<long long>(lineBytes_ - 1) * characterNs / 2) return;
    const std::size_t missing = expected - lineBytes_ - 2;
    const long long waitNs = static_cast<long long>(missing) * characterNs;
    timespec timeout{static_cast<time_t>(waitNs / 1'000'000'000LL), static_cast<long>(waitNs % 1'000'000'000LL)};
    // A write request or the shutdown ends the wait at once.
    pollfd wake{wakeFd_, POLLIN, 0};
    (void)::ppoll(&wake, 1, &timeout, nullptr);
}

}  // namespace mr420
