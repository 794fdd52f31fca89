#include "sim/PtyPanel.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace mr420::sim {

namespace {

// A frame is at most 18 characters and CR LF; anything much longer is noise.
constexpr std::size_t kMaxLine = 256;

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

PtyPanel::PtyPanel(PanelModel model, FaultConfig faults, std::string linkPath)
    : panel_(std::move(model)), linkPath_(std::move(linkPath)) {
    panel_.setFaults(faults);
}

PtyPanel::~PtyPanel() { stop(); }

void PtyPanel::setError(const std::string& text) {
    std::lock_guard<std::mutex> guard(mutex_);
    error_ = text + ": " + std::strerror(errno);
}

std::string PtyPanel::lastError() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return error_;
}

std::string PtyPanel::slavePath() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return slavePath_;
}

void PtyPanel::setFaults(const FaultConfig& faults) {
    std::lock_guard<std::mutex> guard(mutex_);
    panel_.setFaults(faults);
}

FaultConfig PtyPanel::faults() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return panel_.faults();
}

void PtyPanel::withModel(const std::function<void(PanelModel&)>& f) {
    std::lock_guard<std::mutex> guard(mutex_);
    f(panel_.model());
}

PanelModel PtyPanel::modelSnapshot() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return panel_.model();
}

void PtyPanel::silenceFor(double seconds) {
    std::lock_guard<std::mutex> guard(mutex_);
    panel_.silenceFor(seconds);
}

std::uint64_t PtyPanel::framesReceived() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return panel_.framesReceived();
}

bool PtyPanel::setTranscript(const std::string& path) { return transcript_.open(path); }

bool PtyPanel::openPty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0) {
        setError("posix_openpt");
        return false;
    }
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        setError("grantpt/unlockpt");
        closePty();
        return false;
    }
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        setError("ptsname");
        closePty();
        return false;
    }
    heldSlave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (heldSlave_ < 0) {
        setError(std::string("open ") + name);
        closePty();
        return false;
    }
    termios tio{};
    if (::tcgetattr(heldSlave_, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B9600);
        ::cfsetospeed(&tio, B9600);
        (void)::tcsetattr(heldSlave_, TCSANOW, &tio);
    }
    // Our own descriptor was opened before the watch, so only the client's
    // opens and closes are counted.
    inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify_ >= 0 && ::inotify_add_watch(inotify_, name, IN_OPEN | IN_CLOSE) < 0) closeFd(inotify_);
    clientOpens_ = 0;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        slavePath_ = name;
    }
    if (!makeLink()) {
        closePty();
        return false;
    }
    return true;
}

bool PtyPanel::makeLink() {
    if (linkPath_.empty()) return true;
    // Made beside the link and renamed over it, so the link never dangles.
    const std::string temporary = linkPath_ + ".new" + std::to_string(::getpid());
    (void)::unlink(temporary.c_str());
    if (::symlink(slavePath().c_str(), temporary.c_str()) != 0) {
        setError("symlink " + temporary);
        return false;
    }
    if (::rename(temporary.c_str(), linkPath_.c_str()) != 0) {
        setError("rename to " + linkPath_);
        (void)::unlink(temporary.c_str());
        return false;
    }
    return true;
}

void PtyPanel::closePty() {
    closeFd(inotify_);
    closeFd(heldSlave_);
    closeFd(master_);
}

std::optional<std::string> PtyPanel::start() {
    if (running()) return slavePath();
    if (::pipe2(wakePipe_, O_NONBLOCK | O_CLOEXEC) != 0) {
        setError("pipe");
        return std::nullopt;
    }
    if (!openPty()) {
        closeFd(wakePipe_[0]);
        closeFd(wakePipe_[1]);
        return std::nullopt;
    }
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
    return slavePath();
}

void PtyPanel::stop() {
    if (thread_.joinable()) {
        stopping_ = true;
        const char c = 'x';
        (void)!::write(wakePipe_[1], &c, 1);
        thread_.join();
    }
    if (!linkPath_.empty() && master_ >= 0) {
        // Remove the link only while it still points at our device.
        char target[256];
        const ssize_t n = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
        if (n > 0) {
            target[n] = '\0';
            if (slavePath() == target) (void)::unlink(linkPath_.c_str());
        }
    }
    closePty();
    closeFd(wakePipe_[0]);
    closeFd(wakePipe_[1]);
}

std::optional<std::string> PtyPanel::closeAndRecreate() {
    if (!running()) return std::nullopt;
    stopping_ = true;
    const char c = 'x';
    (void)!::write(wakePipe_[1], &c, 1);
    thread_.join();
    closePty();
    char drain[64];
    while (::read(wakePipe_[0], drain, sizeof drain) > 0) {
    }
    if (!openPty()) return std::nullopt;
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
    return slavePath();
}

void PtyPanel::clientClosed() {
    // A client that set exclusive mode would be locked out of its own
    // reopen, since the pty outlives its close; unread replies are stale.
    (void)::ioctl(heldSlave_, TIOCNXCL);
    (void)::tcflush(heldSlave_, TCIFLUSH);
}

bool PtyPanel::waitOrStop(int milliseconds) {
    if (milliseconds <= 0) return !stopping_;
    pollfd p{wakePipe_[0], POLLIN, 0};
    (void)::poll(&p, 1, milliseconds);
    return !stopping_;
}

bool PtyPanel::writeAll(const char* data, std::size_t length) {
    while (length > 0) {
        const ssize_t n = ::write(master_, data, length);
        if (n > 0) {
            data += n;
            length -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            // Nobody reads the slave: give it a moment, then drop the reply.
            pollfd p{master_, POLLOUT, 0};
            if (::poll(&p, 1, 200) <= 0 || stopping_) return false;
            continue;
        }
        return false;
    }
    return true;
}

void PtyPanel::sendReply(const std::string& bytes, int delayMs, bool pace) {
    if (!waitOrStop(delayMs)) return;
    if (!pace) {
        if (writeAll(bytes.data(), bytes.size())) replyEndedAt_ = std::chrono::steady_clock::now();
        return;
    }
    using Clock = std::chrono::steady_clock;
    const auto begin = Clock::now();
    // Each character waits for its slot; the last one goes out without a
    // trailing wait, so the turnaround measured below starts when it is sent.
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto due = begin + std::chrono::microseconds(static_cast<long long>(i * kCharacterMicroseconds));
        const auto now = Clock::now();
        if (due > now) std::this_thread::sleep_for(due - now);
        if (!writeAll(&bytes[i], 1) || stopping_) return;
    }
    replyEndedAt_ = Clock::now();
}

PtyPanel::Turnaround PtyPanel::turnaround() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return turnaround_;
}

void PtyPanel::handleLine(const std::string& frame) {
    transcript_.frameReceived(frame);
    std::optional<std::string> reply;
    int delayMs = 0;
    bool pace = false;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        reply = panel_.handleFrame(frame);
        delayMs = panel_.faults().delayMs + (reply && panel_.lastReplyLate() ? kLateReplyMs : 0);
        pace = panel_.faults().pace;
    }
    transcript_.replySent(reply);
    if (reply) sendReply(*reply, delayMs, pace);
}

void PtyPanel::run() {
    std::string line;
    char buffer[512];
    while (!stopping_) {
        pollfd fds[3] = {{master_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}, {inotify_, POLLIN, 0}};
        const nfds_t count = inotify_ >= 0 ? 3 : 2;
        const int ready = ::poll(fds, count, 500);
        if (stopping_) break;
        if (ready < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents & POLLIN) {
            while (::read(wakePipe_[0], buffer, sizeof buffer) > 0) {
            }
        }
        if (count == 3 && (fds[2].revents & POLLIN)) {
            alignas(inotify_event) char events[4096];
            const ssize_t n = ::read(inotify_, events, sizeof events);
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(events + at);
                if (e->mask & IN_OPEN) ++clientOpens_;
                if (e->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) {
                    if (clientOpens_ > 0) --clientOpens_;
                    if (clientOpens_ == 0) {
                        clientClosed();
                        line.clear();
                    }
                }
                at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            }
        }
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0 && line.empty() && replyEndedAt_) {
                // First character of the frame that answers our last reply.
                const auto micros = std::chrono::duration<double, std::micro>(
                    std::chrono::steady_clock::now() - *replyEndedAt_).count();
                std::lock_guard<std::mutex> guard(mutex_);
                ++turnaround_.count;
                turnaround_.totalMicroseconds += micros;
                replyEndedAt_.reset();
            }
            for (ssize_t i = 0; i < n; ++i) {
                const char c = buffer[i];
                if (c == '\n') {
                    handleLine(line);
                    line.clear();
                } else if (line.size() < kMaxLine) {
                    line.push_back(c);
                }
            }
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            // Only while no slave is open at all; our own descriptor prevents
            // it, but never spin on it.
            (void)waitOrStop(50);
        }
    }
}

}  // namespace mr420::sim
