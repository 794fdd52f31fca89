#include "base/UnixSocket.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace mr420 {

std::optional<sockaddr_un> unixSocketAddress(const std::string& path) {
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path) return std::nullopt;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

int connectUnixSocket(const std::string& path, bool nonBlocking) {
    const std::optional<sockaddr_un> address = unixSocketAddress(path);
    if (!address) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | (nonBlocking ? SOCK_NONBLOCK : 0), 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

int listenOnUnixSocket(const std::string& path, int backlog) {
    const std::optional<sockaddr_un> address = unixSocketAddress(path);
    if (!address) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    // Nobody can connect before listen(): the mode is set in time.
    if (::chmod(path.c_str(), 0600) != 0 || ::listen(fd, backlog) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(path.c_str());
        errno = error;
        return -1;
    }
    return fd;
}

int acceptConnection(int listenFd) {
    for (;;) {
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0 || (errno != EINTR && errno != ECONNABORTED)) return fd;
    }
}

bool sendWhatTheSocketTakes(int fd, std::string& queued) {
    std::size_t sent = 0;
    bool failed = false;
    while (sent < queued.size()) {
        const ssize_t n = ::send(fd, queued.data() + sent, queued.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        failed = !(n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
        break;
    }
    queued.erase(0, sent);
    return !failed;
}

}  // namespace mr420
