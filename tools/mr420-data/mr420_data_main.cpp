// mr420-data: reads the live readings that a running mr420 publishes.
//
//   mr420-data [--socket PATH] topics
//   mr420-data [--socket PATH] get TOPIC ITEM
//   mr420-data [--socket PATH] follow TOPIC ITEM
//
// Items: Wynik (number), Pomiar (number with unit), Status.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "app/DataServerProtocol.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: mr420-data [--socket PATH] topics\n"
                 "       mr420-data [--socket PATH] get TOPIC ITEM\n"
                 "       mr420-data [--socket PATH] follow TOPIC ITEM\n"
                 "items: Wynik, Pomiar, Status\n");
    return 2;
}

class Connection {
public:
    bool open(const std::string& path) {
        if (path.size() >= sizeof(sockaddr_un::sun_path)) return false;
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0) return false;
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
        return ::connect(fd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~Connection() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool sendLine(const std::string& line) {
        std::string data = line + "\n";
        std::size_t done = 0;
        while (done < data.size()) {
            ssize_t n = ::send(fd_, data.data() + done, data.size() - done, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    // One line without its LF; false at the end of the connection.
    bool readLine(std::string& line) {
        for (;;) {
            std::size_t lf = buffer_.find('\n');
            if (lf != std::string::npos) {
                line = buffer_.substr(0, lf);
                buffer_.erase(0, lf + 1);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                return true;
            }
            char chunk[4096];
            ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }

private:
    int fd_ = -1;
    std::string buffer_;
};

// The text of a "DATA <topic> <item> <text>" line.
bool dataText(const std::string& line, std::string& text) {
    if (line.rfind("DATA ", 0) != 0) return false;
    std::size_t topicEnd = line.find(' ', 5);
    if (topicEnd == std::string::npos) return false;
    std::size_t itemEnd = line.find(' ', topicEnd + 1);
    text = itemEnd == std::string::npos ? std::string() : line.substr(itemEnd + 1);
    return true;
}

int fail(const std::string& line) {
    std::fprintf(stderr, "mr420-data: %s\n", line.empty() ? "connection closed" : line.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string socketPath = mr420::defaultDataServerSocketPath();
    int i = 1;
    if (i + 1 < argc && std::strcmp(argv[i], "--socket") == 0) {
        socketPath = argv[i + 1];
        i += 2;
    }
    if (i >= argc) return usage();
    const std::string command = argv[i];
    const int rest = argc - i - 1;
    if (!(command == "topics" && rest == 0) && !((command == "get" || command == "follow") && rest == 2))
        return usage();

    Connection c;
    if (!c.open(socketPath)) {
        std::fprintf(stderr, "mr420-data: no data server at %s (is mr420 running and connected?)\n",
                     socketPath.c_str());
        return 1;
    }
    std::string line;
    if (command == "topics") {
        if (!c.sendLine("TOPICS")) return fail("");
        while (c.readLine(line)) {
            if (line == "END") return 0;
            if (line.rfind("TOPIC ", 0) == 0)
                std::printf("%s\n", line.c_str() + 6);
            else
                return fail(line);
        }
        return fail("");
    }
    const std::string args = std::string(argv[i + 1]) + " " + argv[i + 2];
    if (command == "get") {
        if (!c.sendLine("REQUEST " + args) || !c.readLine(line)) return fail("");
        std::string text;
        if (!dataText(line, text)) return fail(line);
        std::printf("%s\n", text.c_str());
        return 0;
    }
    if (!c.sendLine("ADVISE " + args) || !c.readLine(line)) return fail("");
    if (line != "OK") return fail(line);
    while (c.readLine(line)) {
        std::string text;
        if (dataText(line, text)) {
            std::printf("%s\n", text.c_str());
            std::fflush(stdout);
        }
    }
    return 0;   // the server stopped
}
