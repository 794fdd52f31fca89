#pragma once
// The local data server in the window: the core's DataServer on socket
// notifiers of the Qt event loop, owned by the window like its other parts.

#include <QObject>

#include <string>

#include "base/widgets/QtFdWatcher.h"
#include "publish/DataServer.h"

namespace mr420 {

class LocalDataServer : public QObject {
public:
    explicit LocalDataServer(QObject* parent = nullptr) : QObject(parent) {}

    // Another directory for the sockets than the default one (tests).
    void setSocketDirectory(const std::string& directory) { server_.setSocketDirectory(directory); }
    std::string socketDirectory() const { return server_.socketDirectory(); }
    // The socket it listens on; empty when not listening.
    std::string socketPath() const { return server_.socketPath(); }

    // Fixes the topics, with the names of the language loaded now, and
    // listens on the first free socket of the directory. Returns false when
    // already serving or no socket at all can be had (the caller shows
    // message 121). With no channel to offer it succeeds without listening.
    bool start(long panelSerialNumber, const LiveReadings& panes) { return server_.start(panelSerialNumber, panes); }
    // Closes every client and removes the socket. Safe when stopped.
    void stop() { server_.stop(); }
    // After every display refresh: new values and one DATA line per advise loop.
    void publish(const LiveReadings& panes) { server_.publish(panes); }

    bool isListening() const { return server_.isListening(); }
    int clientCount() const { return server_.clientCount(); }

private:
    QtFdWatcher watcher_;   // before the server, which unwatches as it ends
    DataServer server_{watcher_};
};

}  // namespace mr420
