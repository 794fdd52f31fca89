#include "cli/ServiceControl.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>

#include "base/UnixSocket.h"
#include "cli/CliTexts.h"
#include "publish/DataServerProtocol.h"

namespace mr420::cli {

namespace {

void escapeInto(std::string& out, std::string_view field) {
    for (char c : field) {
        if (c == '\\') out += "\\\\";
        else if (c == '\t') out += "\\t";
        else if (c == '\n') out += "\\n";
        else out += c;
    }
}

std::optional<ucred> peerOf(int fd) {
    ucred peer{};
    socklen_t length = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0) return std::nullopt;
    return peer;
}

// A FILE* whose bytes go to a client as frames of one kind.
struct FrameSink {
    std::function<void(std::string_view)> put;
};

ssize_t writeSink(void* cookie, const char* bytes, std::size_t size) {
    static_cast<FrameSink*>(cookie)->put(std::string_view(bytes, size));
    return static_cast<ssize_t>(size);
}

std::FILE* openSink(FrameSink& sink) {
    cookie_io_functions_t functions{};
    functions.write = writeSink;
    std::FILE* file = ::fopencookie(&sink, "w", functions);
    if (file != nullptr) std::setvbuf(file, nullptr, _IOLBF, 4096);
    return file;
}

}  // namespace

std::string controlSocketPath(const std::string& directory, pid_t servicePid) {
    return directory + "/" + data_server::kServiceName + "-control-" + std::to_string(servicePid);
}

std::string encodeControlRequest(const std::string& cwd, const std::vector<std::string>& arguments) {
    std::string line = "RUN\t";
    escapeInto(line, cwd);
    for (const std::string& a : arguments) {
        line += '\t';
        escapeInto(line, a);
    }
    line += '\n';
    return line;
}

std::optional<ControlRequest> decodeControlRequest(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (line.size() > kMaxControlLine || !line.starts_with("RUN\t")) return std::nullopt;
    std::vector<std::string> fields{""};
    for (std::size_t i = 4; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            fields.emplace_back();
        } else if (c == '\\') {
            if (++i == line.size()) return std::nullopt;
            const char e = line[i];
            if (e == '\\') fields.back() += '\\';
            else if (e == 't') fields.back() += '\t';
            else if (e == 'n') fields.back() += '\n';
            else return std::nullopt;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            return std::nullopt;
        } else {
            fields.back() += c;
        }
    }
    if (fields.front().empty() || fields.front().front() != '/') return std::nullopt;   // the cwd is absolute
    ControlRequest r;
    r.cwd = fields.front();
    r.arguments.push_back("mr420-cli");
    r.arguments.insert(r.arguments.end(), fields.begin() + 1, fields.end());
    return r;
}

std::string controlFrame(char kind, std::string_view bytes) {
    std::string frame(5, '\0');
    frame[0] = kind;
    const auto n = static_cast<std::uint32_t>(bytes.size());
    for (int i = 0; i < 4; ++i) frame[1 + i] = static_cast<char>((n >> (24 - 8 * i)) & 0xFF);
    frame.append(bytes);
    return frame;
}

// --- the service's side ----------------------------------------------------

ControlServer::~ControlServer() {
    while (!clients_.empty()) drop(clients_.begin()->first);
    if (listenFd_ >= 0) {
        watcher_.unwatchFd(listenFd_);
        ::unlink(path_.c_str());
        ::close(listenFd_);
    }
}

bool ControlServer::listen(const std::string& directory) {
    const std::string path = controlSocketPath(directory, ::getpid());
    if (!prepareDataServerSocketDirectory(path)) return false;
    ::unlink(path.c_str());   // a socket left by a process of this PID that ended
    const int fd = listenOnUnixSocket(path, data_server::kListenBacklog);
    if (fd < 0) return false;
    listenFd_ = fd;
    path_ = path;
    watcher_.watchFd(fd, FdWatcher::kReadable, [this](int) { accept(); });
    return true;
}

void ControlServer::accept() {
    for (int fd; (fd = acceptConnection(listenFd_)) >= 0;) {
        clients_.emplace(fd, Client{});
        if (const auto peer = peerOf(fd); !peer || peer->uid != ::getuid()) {
            send(fd, 'e', text(Text::ServiceOfAnotherUser, {std::to_string(::getpid())}) + "\n");
            send(fd, 'x', std::to_string(exit_status::kPortFailed));
            drop(fd);
            continue;
        }
        watcher_.watchFd(fd, FdWatcher::kReadable, [this, fd](int readyFor) { onReady(fd, readyFor); });
    }
}

void ControlServer::onReady(int fd, int readyFor) {
    auto it = clients_.find(fd);
    if (it == clients_.end()) return;
    if (readyFor & FdWatcher::kWritable) flush(fd);
    if (!(readyFor & FdWatcher::kReadable) || clients_.count(fd) == 0) return;
    Client& client = it->second;
    char chunk[2048];
    const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0 || client.requested) {
        // Gone, or more than its one line: a command under way finishes without it.
        drop(fd);
        return;
    }
    client.in.append(chunk, static_cast<std::size_t>(n));
    const std::size_t lf = client.in.find('\n');
    if (lf == std::string::npos) {
        if (client.in.size() > kMaxControlLine) drop(fd);
        return;
    }
    std::optional<ControlRequest> request = decodeControlRequest(std::string_view(client.in).substr(0, lf + 1));
    if (!request || lf + 1 != client.in.size()) {
        drop(fd);
        return;
    }
    client.requested = true;
    waiting_.emplace_back(fd, std::move(*request));
    if (wake_) wake_();
}

void ControlServer::runWaiting() {
    if (running_) return;
    running_ = true;
    while (!waiting_.empty()) {
        const int fd = waiting_.front().first;
        const ControlRequest request = std::move(waiting_.front().second);
        waiting_.pop_front();
        if (clients_.count(fd) == 0) continue;
        FrameSink out{[this, fd](std::string_view b) { send(fd, 'o', b); }};
        FrameSink err{[this, fd](std::string_view b) { send(fd, 'e', b); }};
        CliStreams io;
        io.out = openSink(out);
        io.err = openSink(err);
        if (io.out == nullptr || io.err == nullptr) {
            if (io.out) std::fclose(io.out);
            if (io.err) std::fclose(io.err);
            drop(fd);
            continue;
        }
        runningFd_ = fd;
        const int status = run_(request, io);
        std::fclose(io.out);
        std::fclose(io.err);
        runningFd_ = -1;
        // The client may have gone meanwhile: then there is nobody to tell.
        if (auto it = clients_.find(fd); it != clients_.end() && it->second.dropped) {
            ::close(fd);
            clients_.erase(it);
        } else {
            send(fd, 'x', std::to_string(status));
        }
    }
    running_ = false;
}

void ControlServer::send(int fd, char kind, std::string_view bytes) {
    auto it = clients_.find(fd);
    if (it == clients_.end() || it->second.dropped) return;
    it->second.out += controlFrame(kind, bytes);
    flush(fd);
}

void ControlServer::flush(int fd) {
    auto it = clients_.find(fd);
    if (it == clients_.end()) return;
    Client& client = it->second;
    if (!sendWhatTheSocketTakes(fd, client.out) || client.out.size() > kMaxControlQueue) {
        drop(fd);
        return;
    }
    watcher_.setFdEvents(fd, FdWatcher::kReadable | (client.out.empty() ? 0 : FdWatcher::kWritable));
}

void ControlServer::drop(int fd) {
    auto it = clients_.find(fd);
    if (it == clients_.end()) return;
    watcher_.unwatchFd(fd);
    for (auto w = waiting_.begin(); w != waiting_.end();) w = w->first == fd ? waiting_.erase(w) : w + 1;
    if (fd == runningFd_) {
        // Closed when its command ends, so that the number is not given to
        // a new client while the command still writes to it.
        it->second.dropped = true;
        it->second.out.clear();
        return;
    }
    ::close(fd);
    clients_.erase(it);
}

// --- the client's side -----------------------------------------------------

std::optional<int> runThroughService(pid_t servicePid, const std::vector<std::string>& arguments, const CliStreams& io) {
    const std::string path = controlSocketPath(defaultDataServerSocketDirectory(), servicePid);
    const int fd = connectUnixSocket(path);
    if (fd < 0) return std::nullopt;
    // The command and its values go only to the service that holds the
    // port, and only when it is this user's.
    const auto peer = peerOf(fd);
    if (!peer || peer->pid != servicePid) {
        ::close(fd);
        return std::nullopt;
    }
    if (peer->uid != ::getuid()) {
        ::close(fd);
        std::fprintf(io.err, "%s\n", text(Text::ServiceOfAnotherUser, {std::to_string(servicePid)}).c_str());
        return exit_status::kPortFailed;
    }
    char cwd[4096];
    const std::vector<std::string> rest(arguments.begin() + (arguments.empty() ? 0 : 1), arguments.end());
    const std::string request = encodeControlRequest(::getcwd(cwd, sizeof cwd) ? cwd : "/", rest);
    if (request.size() > kMaxControlLine + 1 ||
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
        ::close(fd);
        return std::nullopt;
    }
    std::string in;
    for (;;) {
        if (stopSignal().load() != 0) {
            ::close(fd);   // the service finishes the command without us
            return 128 + stopSignal().load();
        }
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        char chunk[4096];
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        in.append(chunk, static_cast<std::size_t>(n));
        while (in.size() >= 5) {
            std::uint32_t length = 0;
            for (int i = 1; i <= 4; ++i) length = (length << 8) | static_cast<unsigned char>(in[static_cast<std::size_t>(i)]);
            if (in.size() < 5 + static_cast<std::size_t>(length)) break;
            const std::string bytes = in.substr(5, length);
            const char kind = in[0];
            in.erase(0, 5 + length);
            if (kind == 'x') {
                ::close(fd);
                return std::atoi(bytes.c_str());
            }
            std::FILE* to = kind == 'o' ? io.out : io.err;
            std::fwrite(bytes.data(), 1, bytes.size(), to);
            std::fflush(to);
        }
    }
    ::close(fd);
    return exit_status::kNoCommunication;   // the service ended before the command did
}

}  // namespace mr420::cli
