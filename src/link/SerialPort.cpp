#include "link/SerialPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
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
    lineBytes_ = 0;
    held_ = 0;
    lineEndHeld_ = false;
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
    held_ = 0;
    lineEndHeld_ = false;
    lineBytes_ = 0;
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

        bool look = false, failed = false;
        if (const auto until = quietWaitEnd(); until && !writePending()) {
            // A line trickles in and its end is not near: sleep a slice
            // without watching the port (see quietWaitEnd), then look. The
            // last character read was no CR, so the line's CR LF ends a
            // character's time from now at the earliest: a slice of that
            // time plus kLineEndCheckMs sees its line end at most
            // kLineEndCheckMs after it arrived.
            const long long untilNs =
                std::chrono::duration_cast<std::chrono::nanoseconds>(*until - std::chrono::steady_clock::now()).count();
            const long long sliceNs =
                std::clamp<long long>(untilNs, 0, kLineEndCheckMs * 1'000'000LL + characterNs());
            const timespec slice{static_cast<time_t>(sliceNs / 1'000'000'000LL),
                                 static_cast<long>(sliceNs % 1'000'000'000LL)};
            pollfd wake{wakeFd_, POLLIN, 0};
            if (::ppoll(&wake, 1, &slice, nullptr) > 0) drainWake();
            look = true;
        } else {
            // Held characters wait at most for the line's pause (see holdingTheLine).
            const int timeout = writePending() ? 0 : held_ > 0 ? linePauseMs() : -1;
            pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
            int n = ::poll(fds, 2, timeout);
            if (n < 0) {
                if (errno == EINTR) continue;
                deliverHeld();
                if (shutdown_) break;
                disconnect();
                continue;
            }
            if (fds[1].revents & POLLIN) drainWake();
            look = (fds[0].revents & POLLIN) != 0;
            failed = (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        }
        if (shutdown_) break;

        if (look || failed) {
            const bool alive = takeIn();
            if (shutdown_) break;
            if (!alive || failed) {
                deliverHeld();
                if (shutdown_) break;
                disconnect();
                continue;
            }
        }
        if (!holdingTheLine()) deliverHeld();
        if (shutdown_) break;

        if (writePending()) {
            // Everything received goes to the owner before the purge.
            deliverHeld();
            if (shutdown_) break;
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
    while (!shutdown_) {
        if (held_ == sizeof inbox_) deliverHeld();
        const std::size_t room = sizeof inbox_ - held_;
        ssize_t got;
        int err;
        {
            std::lock_guard<std::mutex> guard(portLock_);
            if (fd_ < 0) return false;
            got = ::read(fd_, inbox_ + held_, room);
            err = errno;
        }
        if (got > 0) {
            const auto count = static_cast<std::size_t>(got);
            held_ += count;
            noteArrival(inbox_ + held_ - count, count);
            const bool handOver = !holdingTheLine();
            if (handOver) deliverHeld();
            // A terminal's read takes everything queued; only while the owner
            // handled a hand-over (or the buffer was full) can more have come.
            if (handOver || count == room) continue;
            return true;
        }
        if (got < 0 && (err == EAGAIN || err == EWOULDBLOCK)) return true;
        if (got < 0 && err == EINTR) continue;
        return false;  // 0 is a hang-up, anything else (EIO) a failed device
    }
    return true;
}

void SerialPort::deliverHeld() {
    if (held_ == 0) return;
    const std::size_t count = held_;
    held_ = 0;
    lineEndHeld_ = false;
    delivery_->deliverBytes(inbox_, count);
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
        if (fd < 0) return;
        // Whatever input the device still holds belongs to an earlier
        // exchange. Only the input: the frame before may still be going out
        // (a character takes about 1 ms at 9600 baud).
        (void)::tcflush(fd, TCIFLUSH);
    }
    lineBytes_ = 0;   // the purge emptied the input: the reply starts afresh
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

void SerialPort::expectReply(std::size_t minimumLength) { expectedLineLength_ = minimumLength; }

long long SerialPort::characterNs() const { return 10'000'000'000LL / (baud_ > 0 ? baud_ : 9600); }

int SerialPort::linePauseMs() const {
    // Four characters' time, and never less than two looks.
    const long long ms = (4 * characterNs() + 999'999) / 1'000'000;
    return static_cast<int>(std::max<long long>(ms, 2LL * kLineEndCheckMs));
}

void SerialPort::noteArrival(const char* bytes, std::size_t count) {
    const auto now = std::chrono::steady_clock::now();
    lastArrival_ = now;
    const void* lf = std::memchr(bytes, '\n', count);
    if (lf == nullptr) {
        if (lineBytes_ == 0) lineStarted_ = now;
        lineBytes_ += count;
        return;
    }
    lineEndHeld_ = true;
    // Characters after the last line end begin the next line.
    const char* last = bytes + count;
    while (last > bytes && last[-1] != '\n') --last;
    lineBytes_ = static_cast<std::size_t>(bytes + count - last);
    if (lineBytes_ > 0) lineStarted_ = now;
}

bool SerialPort::holdingTheLine() const {
    if (held_ == 0 || lineEndHeld_ || held_ == sizeof inbox_) return false;
    const std::size_t expected = expectedLineLength_;
    // Without an announced length, or past it, characters go as they come.
    if (expected == 0 || lineBytes_ == 0 || lineBytes_ >= expected) return false;
    // A line that has paused is not trickling any more.
    const auto now = std::chrono::steady_clock::now();
    if (now - lastArrival_ > std::chrono::milliseconds(linePauseMs())) return false;
    // Nor one that came much faster than the line's pace (a pseudo-terminal,
    // an adapter that passes on whole blocks): it is read as it comes.
    const long long elapsedNs =
        std::chrono::duration_cast<std::chrono::nanoseconds>(lastArrival_ - lineStarted_).count();
    return elapsedNs >= static_cast<long long>(lineBytes_ - 1) * characterNs() / 2;
}

std::optional<std::chrono::steady_clock::time_point> SerialPort::quietWaitEnd() const {
    if (!holdingTheLine()) return std::nullopt;
    // The line end is character number `expected` at the earliest. From the
    // time the character before it (CR) is due, the worker watches the port
    // for every character, so that a reply of the announced length is handed
    // over the moment its line end arrives. lastArrival_ lags the arrival of
    // the last character read by less than a character's time, so this wakes
    // the worker after that CR is due and before the line end is.
    const std::size_t expected = expectedLineLength_;
    if (lineBytes_ + 1 >= expected) return std::nullopt;
    // After a CR the line end may be next: watch the port for it.
    if (inbox_[held_ - 1] == '\r') return std::nullopt;
    const auto missing = static_cast<long long>(expected - lineBytes_ - 1);
    const auto end = lastArrival_ + std::chrono::nanoseconds(missing * characterNs());
    if (end <= std::chrono::steady_clock::now()) return std::nullopt;
    return end;
}

}  // namespace mr420
