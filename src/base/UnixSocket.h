#pragma once
// Local stream sockets as the data server, the service's control socket and
// their clients use them: one place for the address, the listening socket,
// accepting and sending without waiting.

#include <sys/un.h>

#include <optional>
#include <string>

namespace mr420 {

// The address of a socket file; nullopt for an empty path or one too long
// for sun_path.
std::optional<sockaddr_un> unixSocketAddress(const std::string& path);

// A stream socket connected to `path` (close-on-exec, non-blocking when
// asked); -1 with errno set when it cannot be had.
int connectUnixSocket(const std::string& path, bool nonBlocking = false);

// A stream socket bound to `path`, its file given mode 0600 before it
// listens, close-on-exec and non-blocking; -1 with errno set when it cannot
// be had (EADDRINUSE: the path is taken). The file is removed again when
// only the mode or the listen failed.
int listenOnUnixSocket(const std::string& path, int backlog);

// The next waiting connection, non-blocking and close-on-exec; -1 when none
// waits (or accepting failed: the next wake-up tries again).
int acceptConnection(int listenFd);

// Sends as much of `queued` as a non-blocking socket takes now and removes
// it from the queue; false when the socket failed (the peer has gone).
bool sendWhatTheSocketTakes(int fd, std::string& queued);

}  // namespace mr420
