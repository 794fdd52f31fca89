#pragma once
// The far end of a serial line in the tests: a pseudo-terminal master made by
// the test; the port under test opens the slave.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

namespace mr420::test {

struct Pty {
    int master = -1;
    std::string slave;

    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return;
        slave = ::ptsname(master);
    }
    ~Pty() { closeMaster(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool ok() const { return master >= 0 && !slave.empty(); }
    void closeMaster() {
        if (master >= 0) ::close(master);
        master = -1;
    }
    // Writes all of `bytes`, waiting while the pseudo-terminal is full.
    void write(const std::string& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master, bytes.data() + done, bytes.size() - done);
            if (n > 0) done += static_cast<std::size_t>(n);
            else if (n < 0 && errno == EAGAIN) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            else return;
        }
    }
    // Reads until `count` bytes came or `timeout` passed.
    std::string read(std::size_t count, std::chrono::milliseconds timeout) const {
        std::string got;
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (got.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
            char buf[512];
            const ssize_t n = ::read(master, buf, std::min(sizeof buf, count - got.size()));
            if (n > 0) got.append(buf, static_cast<std::size_t>(n));
            else if (n < 0 && errno != EAGAIN) break;
        }
        return got;
    }
};

// Opens a terminal device in raw mode, non-blocking; -1 when it cannot.
inline int openRawTerminal(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fd;
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

// One line up to and including LF, or what came before the time-out or the
// far end's hang-up.
inline std::string readLineFrom(int fd, std::chrono::milliseconds timeout = std::chrono::seconds(2)) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (::poll(&p, 1, std::max(static_cast<int>(left.count()), 1)) <= 0) break;
        if (p.revents & (POLLHUP | POLLERR)) break;
        char c;
        if (::read(fd, &c, 1) != 1) continue;
        line.push_back(c);
        if (c == '\n') break;
    }
    return line;
}

}  // namespace mr420::test
