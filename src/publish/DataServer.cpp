#include "publish/DataServer.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "base/UnixSocket.h"

namespace mr420 {

namespace {

constexpr std::size_t kReadChunk = 4096;
constexpr std::string_view kTooManyClients = "ERR too many clients\n";

}  // namespace

DataServer::~DataServer() { stop(); }

std::string DataServer::socketDirectory() const {
    return directoryOverride_.empty() ? defaultDataServerSocketDirectory() : directoryOverride_;
}

bool DataServer::start(long panelSerialNumber, const LiveReadings& panes) {
    if (protocol_.serving() || claimed_.fd >= 0) return false;
    protocol_.setTexts(DataServerTexts::fromStringTable());
    if (!protocol_.start(panelSerialNumber, panes)) return false;
    if (!protocol_.serving()) return true;   // nothing to offer

    ClaimedDataServerSocket claimed = claimDataServerSocket(socketDirectory());
    if (claimed.fd < 0) {
        protocol_.stop();
        return false;
    }
    claimed_ = std::move(claimed);
    watcher_.watchFd(claimed_.fd, FdWatcher::kReadable, [this](int) { acceptClients(); });
    return true;
}

void DataServer::stop() {
    while (!clients_.empty()) drop(clients_.begin()->first);
    if (claimed_.fd >= 0) {
        watcher_.unwatchFd(claimed_.fd);
        // Under the directory's lock no other instance claims the path
        // between our removing the file and closing the socket.
        DataServerDirectoryLock lock(claimed_.directory);
        removeClaimedDataServerSocket(claimed_);
        ::close(claimed_.fd);
    }
    claimed_ = {};
    protocol_.stop();
}

void DataServer::publish(const LiveReadings& panes) {
    protocol_.setReadings(panes);
    // send() may drop a client: walk over the descriptors as they are now.
    std::vector<int> advised;
    for (const auto& [fd, client] : clients_)
        if (!client.session.advises.empty()) advised.push_back(fd);
    for (int fd : advised) {
        auto it = clients_.find(fd);
        if (it != clients_.end()) send(fd, protocol_.adviseData(it->second.session));
    }
}

void DataServer::acceptClients() {
    while (claimed_.fd >= 0) {
        const int fd = acceptConnection(claimed_.fd);
        if (fd < 0) return;
        if (clientCount() >= data_server::kMaxClients) {
            (void)!::send(fd, kTooManyClients.data(), kTooManyClients.size(), MSG_NOSIGNAL);
            ::close(fd);
            continue;
        }
        clients_.emplace(fd, Client{});
        watcher_.watchFd(fd, FdWatcher::kReadable, [this, fd](int readyFor) { onClientReady(fd, readyFor); });
    }
}

void DataServer::onClientReady(int fd, int readyFor) {
    auto it = clients_.find(fd);
    if (it == clients_.end()) return;
    if ((readyFor & FdWatcher::kWritable) && !flush(fd, it->second)) return;
    if (!(readyFor & FdWatcher::kReadable)) return;
    // One chunk a wake-up, so that a client that floods the server cannot
    // hold up the loop; the rest wakes it again.
    char chunk[kReadChunk];
    const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
    if (n <= 0) {
        drop(fd);   // the client has gone, or its socket failed
        return;
    }
    std::string reply;
    const DataServerProtocol::Feed f =
        protocol_.feed(it->second.session, std::string_view(chunk, static_cast<std::size_t>(n)), reply);
    if (!reply.empty() && !send(fd, reply)) return;
    if (f == DataServerProtocol::Feed::Close) drop(fd);
}

bool DataServer::send(int fd, std::string_view bytes) {
    auto it = clients_.find(fd);
    if (it == clients_.end()) return false;
    it->second.queued.append(bytes);
    return flush(fd, it->second);
}

bool DataServer::flush(int fd, Client& client) {
    if (!sendWhatTheSocketTakes(fd, client.queued) || client.queued.size() > data_server::kMaxQueuedBytes) {
        drop(fd);
        return false;
    }
    watcher_.setFdEvents(fd, FdWatcher::kReadable | (client.queued.empty() ? 0 : FdWatcher::kWritable));
    return true;
}

void DataServer::drop(int fd) {
    if (clients_.erase(fd) == 0) return;
    watcher_.unwatchFd(fd);
    ::close(fd);
}

}  // namespace mr420
