#pragma once
// A non-blocking client of a local stream socket the test's server listens
// on; the test runs the server's loop while it reads.

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "base/UnixSocket.h"

namespace mr420::test {

struct SocketClient {
    int fd;
    explicit SocketClient(const std::string& path) : fd(connectUnixSocket(path, true)) { EXPECT_GE(fd, 0) << path; }
    ~SocketClient() { ::close(fd); }
    SocketClient(const SocketClient&) = delete;
    SocketClient& operator=(const SocketClient&) = delete;

    void send(const std::string& bytes) const {
        ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }
    // Appends what has arrived; false once the server has closed the connection.
    bool read(std::string& into) const {
        char buf[4096];
        for (ssize_t n; (n = ::recv(fd, buf, sizeof buf, 0)) != 0;) {
            if (n < 0) return true;
            into.append(buf, static_cast<std::size_t>(n));
        }
        return false;
    }
};

}  // namespace mr420::test
