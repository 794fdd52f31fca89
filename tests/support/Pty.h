#pragma once
// The far end of a serial line in the tests: a pseudo-terminal master made by
// the test; the port under test opens the slave.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
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

}  // namespace mr420::test
