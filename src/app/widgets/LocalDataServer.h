#pragma once
// The local data server on a QLocalServer: publishes the live readings to
// other programs with the line protocol of DataServerProtocol. Everything runs
// on the UI thread without ever waiting for a client: a client that sends an
// over-long line is closed, one that stops reading is dropped once 64 KiB are
// queued for it, and connections beyond 32 are refused.
//
// Several programs (panels on different ports) serve side by side: each
// listens on the first free socket of the directory (MR420, MR420-2, ...).

#include <QObject>

#include <memory>
#include <string>
#include <vector>

#include "app/DataServerProtocol.h"

class QLocalServer;
class QLocalSocket;

namespace mr420 {

class LocalDataServer : public QObject {
    Q_OBJECT
public:
    explicit LocalDataServer(QObject* parent = nullptr);
    ~LocalDataServer() override;

    // Another directory for the sockets than the default one (tests).
    void setSocketDirectory(const std::string& directory) { directoryOverride_ = directory; }
    std::string socketDirectory() const;
    // The socket it listens on; empty when not listening.
    std::string socketPath() const { return claimed_.path; }

    // Fixes the topics, with the names of the language loaded now, and
    // listens on the first free socket of the directory. Returns false when
    // already serving or no socket at all can be had (the caller shows
    // message 121). With no channel to offer it succeeds without listening.
    bool start(long panelSerialNumber, const LiveReadings& panes);
    // Closes every client and removes the socket. Safe when stopped.
    void stop();
    // After every display refresh: new values and one DATA line per advise loop.
    void publish(const LiveReadings& panes);

    bool isListening() const;
    int clientCount() const { return static_cast<int>(clients_.size()); }

private:
    struct Client {
        QLocalSocket* socket = nullptr;
        DataServerProtocol::Session session;
    };

    void onNewConnection();
    void onReadyRead(QLocalSocket* socket);
    void dropClient(QLocalSocket* socket);
    // Queues bytes for a client; false when it was dropped for not reading.
    bool send(Client& client, const std::string& bytes);
    Client* find(QLocalSocket* socket);

    DataServerProtocol protocol_;
    QLocalServer* server_ = nullptr;
    std::vector<std::unique_ptr<Client>> clients_;
    std::string directoryOverride_;
    ClaimedDataServerSocket claimed_;
};

}  // namespace mr420
