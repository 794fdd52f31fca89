#include "link/SerialPort.h"

#include <algorithm>
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

SerialPort::SerialPort(std::string lockDirectory) : lock_(std::move(lockDirectory)) {}

SerialPort::~SerialPort() { close(); }

int SerialPort::openDevice(int& err, PortHolder& holder) {
    speed_t speed;
    if (!speedFor(baud_, speed)) {
        err = EINVAL;
        return -1;
    }
    int fd = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        err = errno;
        // TIOCEXCL of the program that holds it.
        if (err == EBUSY) holder = lock_.findHolder(path_);
        return -1;
    }
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        err = errno == EINVAL ? ENOTTY : errno;
        ::close(fd);
        return -1;
    }
    // Locked before anything is set or flushed: a program that is refused
    // must not touch the line of the one that holds it.
    if (!lock_.acquire(fd, path_)) {
        holder = lock_.holder();
        err = EBUSY;
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
    // Nothing is special in the canonical mode the worker switches to while
    // a reply is due (see setLineMode): only LF ends a line.
    for (cc_t& special : tio.c_cc) special = _POSIX_VDISABLE;
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
    holder_ = {};
    losses_ = 0;

    int err = 0;
    int fd = openDevice(err, holder_);
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
        lock_.release();
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
        if (fd_ >= 0) (void)::tcflush(fd_, TCIFLUSH);
    }
    canonical_ = false;
    stalled_ = false;
    listening_ = false;
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
    // Every wait of the worker (for input, for room in the output, between
    // looks at a trickling line) ends on the wake descriptor.
    shutdown_ = true;
    const std::uint64_t one = 1;
    (void)!::write(wakeFd_, &one, sizeof one);
    if (worker_.joinable()) {
        // The worker may be blocked handing bytes to the thread calling us:
        // either that thread's events are kept flowing, or the hand-over is
        // dropped (nobody would handle it while we wait here).
        while (!workerDone_) {
            if (pumpEvents) pumpEvents();
            else if (delivery_ != nullptr) delivery_->dropWaitingHandOver();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        worker_.join();
    }
    finishClosing();
    lock_.release();
    closeFd(wakeFd_);
    open_ = false;
    connected_ = false;
}

void SerialPort::finishClosing() {
    std::lock_guard<std::mutex> guard(portLock_);
    if (fd_ < 0) return;
    // A frame still going out gets a moment to finish; whatever a stalled
    // adapter still holds after that is discarded, since the last close of a
    // terminal waits until its output has gone (up to 30 s on a serial
    // driver). Output the driver has passed on is left alone.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(kCloseDrainMs);
    int queued = 0;
    while (::ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0 && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)::ioctl(fd_, TIOCMBIC, &lines);
    if (queued > 0) (void)::tcflush(fd_, TCOFLUSH);
    closeFd(fd_);
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
    canonical_ = false;   // a reopened device starts raw
    // The lock file goes with the device: the name may come back as another
    // device, or ours may come back under another name. It is taken again
    // when the device is reopened.
    lock_.release();
    listening_ = false;
    if (connected_.exchange(false)) ++losses_;
}

bool SerialPort::tryReconnect() {
    // The lock is taken again; a device another program took meanwhile is
    // not back for us.
    int err = 0;
    PortHolder holder;
    int fd = openDevice(err, holder);
    if (fd < 0) return false;
    // A pty slave whose master nobody holds opens but reports a hang-up at
    // once; such a device is not back yet.
    pollfd check{fd, POLLIN, 0};
    if (::poll(&check, 1, 0) > 0 && (check.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        ::close(fd);
        lock_.release();
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(portLock_);
        fd_ = fd;
    }
    connected_ = true;
    return true;
}

void SerialPort::discardUntilQuiet() {
    listening_ = false;
    int fd;
    {
        std::lock_guard<std::mutex> guard(portLock_);
        fd = fd_;
        if (fd < 0) return;
        (void)::tcflush(fd, TCIFLUSH);
    }
    // While the worker runs, only the worker closes or replaces fd_.
    using Clock = std::chrono::steady_clock;
    const auto limit = Clock::now() + std::chrono::milliseconds(kOpenQuietLimitMs);
    auto quietUntil = Clock::now() + std::chrono::milliseconds(kOpenQuietMs);
    char scrap[256];
    while (!shutdown_) {
        const auto now = Clock::now();
        if (now >= quietUntil || now >= limit) break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(std::min(quietUntil, limit) - now);
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        const int n = ::poll(fds, 2, static_cast<int>(left.count()) + 1);
        if (n < 0 && errno != EINTR) break;
        // A frame asked for meanwhile stays pending until the line is quiet.
        if (n > 0 && (fds[1].revents & POLLIN)) drainWake();
        if (n > 0 && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))) break;   // the loop sees it
        if (n > 0 && (fds[0].revents & POLLIN)) {
            while (::read(fd, scrap, sizeof scrap) > 0) {
            }
            quietUntil = Clock::now() + std::chrono::milliseconds(kOpenQuietMs);
        }
    }
    listening_ = true;
}

void SerialPort::workerLoop() {
    discardUntilQuiet();
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
            if (tryReconnect()) discardUntilQuiet();
            continue;
        }

        setLineMode(fd, wantsCanonical());
        // While a reply is due the kernel wakes the worker once per line; a
        // reply that has not ended by the time it should have is read as it
        // comes from then on (see lineStallMs).
        const int timeout = writePending() ? 0 : canonical_ ? lineStallMs() : -1;
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        const int n = ::poll(fds, 2, timeout);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (shutdown_) break;
            disconnect();
            continue;
        }
        if (fds[1].revents & POLLIN) drainWake();
        if (shutdown_) break;
        if (n == 0 && canonical_ && !writePending()) {
            stalled_ = true;
            continue;
        }
        const bool failed = (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        if ((fds[0].revents & POLLIN) || failed) {
            const bool alive = takeIn();
            if (shutdown_) break;
            if (!alive || failed) {
                disconnect();
                continue;
            }
        }
        if (writePending()) {
            // A line that has not ended is kept by the driver in canonical
            // mode: read raw, it goes to the owner before the purge like
            // everything else received.
            if (canonical_) {
                setLineMode(fd, false);
                const bool alive = takeIn();
                if (shutdown_) break;
                if (!alive) {
                    disconnect();
                    continue;
                }
            }
            writeStep();
        }
    }
    // A frame handed to send() before the port was closed still goes out if
    // the device takes it at once (waitWritable gives up on the shutdown).
    if (writePending()) writeStep();
}

bool SerialPort::writePending() {
    std::lock_guard<std::mutex> guard(frameLock_);
    return writePending_;
}

bool SerialPort::takeIn() {
    // One hand-over for whatever the driver holds: in canonical mode a read
    // returns at most one line, so several lines take several reads.
    std::size_t held = 0;
    bool alive = true;
    while (!shutdown_) {
        if (held == sizeof inbox_) {
            delivery_->deliverBytes(inbox_, held);
            held = 0;
            continue;
        }
        ssize_t got;
        int err;
        {
            std::lock_guard<std::mutex> guard(portLock_);
            if (fd_ < 0) return false;
            got = ::read(fd_, inbox_ + held, sizeof inbox_ - held);
            err = errno;
        }
        if (got > 0) {
            held += static_cast<std::size_t>(got);
            continue;
        }
        if (got < 0 && err == EINTR) continue;
        // EAGAIN: all is read; 0 is a hang-up, anything else (EIO) a failed device.
        alive = got < 0 && (err == EAGAIN || err == EWOULDBLOCK);
        break;
    }
    if (held > 0 && !shutdown_) delivery_->deliverBytes(inbox_, held);
    return alive;
}

bool SerialPort::waitWritable(int fd, bool& hungUp) {
    // No lock is held here, and the shutdown ends the wait at once, so close()
    // never waits for an adapter that has stopped taking output. A frame
    // requested meanwhile stays pending and is written after this one.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
    while (!shutdown_) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - std::chrono::steady_clock::now()).count();
        if (left <= 0) return false;
        pollfd fds[2] = {{fd, POLLOUT, 0}, {wakeFd_, POLLIN, 0}};
        int n = ::poll(fds, 2, static_cast<int>(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (fds[1].revents & POLLIN) drainWake();
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            hungUp = true;
            return false;
        }
        if (fds[0].revents & POLLOUT) return true;
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
    int fd;
    {
        std::lock_guard<std::mutex> guard(portLock_);
        fd = fd_;
    }
    if (fd < 0) return;
    // The reply to this frame is due from now on.
    stalled_ = false;
    setLineMode(fd, wantsCanonical());
    // Whatever input the device still holds belongs to an earlier exchange.
    // Only the input: the frame before may still be going out (a character
    // takes about 1 ms at 9600 baud).
    (void)::tcflush(fd, TCIFLUSH);
    // While the worker runs, only the worker closes or replaces fd_, so fd
    // stays valid here without the lock.
    bool failed = false;
    std::size_t done = 0;
    while (done < length) {
        ssize_t put = ::write(fd, frame + done, length - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
        } else if (put < 0 && errno == EINTR) {
            continue;
        } else if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A device removed while its output waits hangs up.
            if (!waitWritable(fd, failed)) break;
        } else {
            failed = errno == EIO || errno == ENXIO || errno == ENODEV;
            break;
        }
    }
    if (failed) disconnect();
}

void SerialPort::expectReply(std::size_t minimumLength) {
    // The worker takes up the mode at once: characters that are to go as
    // they come must not wait in the driver for a line end, and a reply due
    // is to be handed over whole.
    const std::size_t before = expectedLineLength_.exchange(minimumLength);
    if ((before == 0) != (minimumLength == 0) && wakeFd_ >= 0) {
        const std::uint64_t one = 1;
        (void)!::write(wakeFd_, &one, sizeof one);
    }
}

bool SerialPort::wantsCanonical() const { return expectedLineLength_ > 0 && !stalled_; }

void SerialPort::setLineMode(int fd, bool canonical) {
    if (canonical == canonical_) return;
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return;
    // Canonical: the driver keeps a line until its LF (every other special
    // character is disabled at the open) and poll() reports whole lines only.
    // Leaving it makes what the driver holds of an unfinished line readable.
    if (canonical) tio.c_lflag |= ICANON;
    else tio.c_lflag &= ~ICANON;
    if (::tcsetattr(fd, TCSANOW, &tio) == 0) canonical_ = canonical;
}

int SerialPort::lineStallMs() const {
    // Twice the time the announced reply takes at the line's pace, and a
    // margin for the panel's answer to start.
    const long long characterNs = 10'000'000'000LL / (baud_ > 0 ? baud_ : 9600);
    const long long lineMs = static_cast<long long>(expectedLineLength_) * characterNs / 1'000'000;
    return static_cast<int>(std::min<long long>(2 * lineMs + kReplyStartMarginMs, 60'000));
}

}  // namespace mr420
