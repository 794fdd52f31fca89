#include "app/widgets/LocalDataServer.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace mr420 {

namespace {
constexpr qint64 kReadChunk = 4096;
}

LocalDataServer::LocalDataServer(QObject* parent) : QObject(parent) {}

LocalDataServer::~LocalDataServer() { stop(); }

std::string LocalDataServer::socketDirectory() const {
    return directoryOverride_.empty() ? defaultDataServerSocketDirectory() : directoryOverride_;
}

bool LocalDataServer::isListening() const { return server_ != nullptr && server_->isListening(); }

bool LocalDataServer::start(long panelSerialNumber, const LiveReadings& panes) {
    if (protocol_.serving() || server_ != nullptr) return false;
    protocol_.setTexts(DataServerTexts::fromStringTable());
    if (!protocol_.start(panelSerialNumber, panes)) return false;
    if (!protocol_.serving()) return true;   // nothing to offer

    ClaimedDataServerSocket claimed = claimDataServerSocket(socketDirectory());
    if (claimed.fd < 0) {
        protocol_.stop();
        return false;
    }
    auto* server = new QLocalServer(this);
    server->setMaxPendingConnections(data_server::kMaxClients);
    if (!server->listen(static_cast<qintptr>(claimed.fd))) {
        delete server;
        DataServerDirectoryLock lock(claimed.directory);
        removeClaimedDataServerSocket(claimed);
        ::close(claimed.fd);
        protocol_.stop();
        return false;
    }
    server_ = server;
    claimed_ = std::move(claimed);
    connect(server_, &QLocalServer::newConnection, this, &LocalDataServer::onNewConnection);
    return true;
}

void LocalDataServer::stop() {
    while (!clients_.empty()) dropClient(clients_.back()->socket);
    if (server_ != nullptr) {
        // Under the directory's lock no other instance claims the path
        // between our removing the file and the server closing (which
        // removes the file of that name too).
        DataServerDirectoryLock lock(claimed_.directory);
        removeClaimedDataServerSocket(claimed_);
        server_->disconnect(this);
        server_->close();   // closes the descriptor
        delete server_;
        server_ = nullptr;
    }
    claimed_ = {};
    protocol_.stop();
}

void LocalDataServer::publish(const LiveReadings& panes) {
    protocol_.setReadings(panes);
    // send() may drop a client, so walk over a copy of the socket list.
    std::vector<QLocalSocket*> sockets;
    for (const auto& c : clients_) sockets.push_back(c->socket);
    for (QLocalSocket* s : sockets) {
        Client* c = find(s);
        if (c == nullptr || c->session.advises.empty()) continue;
        send(*c, protocol_.adviseData(c->session));
    }
}

LocalDataServer::Client* LocalDataServer::find(QLocalSocket* socket) {
    for (auto& c : clients_)
        if (c->socket == socket) return c.get();
    return nullptr;
}

void LocalDataServer::onNewConnection() {
    while (server_ != nullptr && server_->hasPendingConnections()) {
        QLocalSocket* socket = server_->nextPendingConnection();
        if (socket == nullptr) break;
        if (clientCount() >= data_server::kMaxClients) {
            socket->write("ERR too many clients\n");
            socket->flush();
            socket->abort();
            socket->deleteLater();
            continue;
        }
        socket->setReadBufferSize(kReadChunk);
        auto client = std::make_unique<Client>();
        client->socket = socket;
        clients_.push_back(std::move(client));
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { dropClient(socket); });
        if (socket->bytesAvailable() > 0) onReadyRead(socket);
    }
}

void LocalDataServer::onReadyRead(QLocalSocket* socket) {
    while (Client* client = find(socket)) {
        if (socket->bytesAvailable() <= 0) return;
        QByteArray chunk = socket->read(kReadChunk);
        if (chunk.isEmpty()) return;
        std::string reply;
        DataServerProtocol::Feed f =
            protocol_.feed(client->session, std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())), reply);
        if (!reply.empty() && !send(*client, reply)) return;
        if (f == DataServerProtocol::Feed::Close) {
            dropClient(socket);
            return;
        }
    }
}

bool LocalDataServer::send(Client& client, const std::string& bytes) {
    QLocalSocket* socket = client.socket;
    if (socket->write(bytes.data(), static_cast<qint64>(bytes.size())) < 0 ||
        socket->bytesToWrite() > static_cast<qint64>(data_server::kMaxQueuedBytes)) {
        dropClient(socket);
        return false;
    }
    return true;
}

void LocalDataServer::dropClient(QLocalSocket* socket) {
    for (auto it = clients_.begin(); it != clients_.end(); ++it) {
        if ((*it)->socket != socket) continue;
        clients_.erase(it);
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
        return;
    }
}

}  // namespace mr420
