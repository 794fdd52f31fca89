#pragma once
// The local data server: publishes the live readings to other programs with
// the line protocol of DataServerProtocol, on the sockets of an FdWatcher
// (the plain event loop, or the window's socket notifiers). It never waits
// for a client: a client that sends an over-long line is closed, one that
// stops reading is dropped once 64 KiB are queued for it, and connections
// beyond 32 are told so and closed.
//
// Several programs (panels on different ports) serve side by side: each
// listens on the first free socket of the directory (MR420, MR420-2, ...).

#include <map>
#include <string>
#include <string_view>

#include "base/Interfaces.h"
#include "publish/DataServerProtocol.h"

namespace mr420 {

class DataServer {
public:
    explicit DataServer(FdWatcher& watcher) : watcher_(watcher) {}
    ~DataServer();
    DataServer(const DataServer&) = delete;
    DataServer& operator=(const DataServer&) = delete;

    // Another directory for the sockets than the default one (tests).
    void setSocketDirectory(const std::string& directory) { directoryOverride_ = directory; }
    std::string socketDirectory() const;
    // The socket it listens on; empty when not listening.
    std::string socketPath() const { return claimed_.path; }

    // Fixes the topics, with the names of the language loaded now, and listens on the first free socket of the
    // directory. Returns false when already serving or no socket at all can
    // be had. With no channel to offer it succeeds without listening.
    bool start(long panelSerialNumber, const LiveReadings& panes);
    // Closes every client and removes the socket. Safe when stopped.
    void stop();
    // After every display refresh: new values and one DATA line per advise loop.
    void publish(const LiveReadings& panes);

    bool isListening() const { return claimed_.fd >= 0; }
    int clientCount() const { return static_cast<int>(clients_.size()); }

private:
    struct Client {
        DataServerProtocol::Session session;
        std::string queued;   // not yet taken by the socket
    };

    void acceptClients();
    void onClientReady(int fd, int readyFor);
    // Queues bytes and writes what the socket takes; false when the client
    // was dropped (it stopped reading or its socket failed).
    bool send(int fd, std::string_view bytes);
    bool flush(int fd, Client& client);
    void drop(int fd);

    FdWatcher& watcher_;
    DataServerProtocol protocol_;
    std::map<int, Client> clients_;
    std::string directoryOverride_;
    ClaimedDataServerSocket claimed_;
};

}  // namespace mr420
