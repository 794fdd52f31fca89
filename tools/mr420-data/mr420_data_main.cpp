// mr420-data: reads the live readings that running mr420 programs publish.
//
//   mr420-data [--socket PATH] topics
//   mr420-data [--socket PATH] get TOPIC ITEM
//   mr420-data [--socket PATH] follow TOPIC ITEM
//   mr420-data --help
//
// Without --socket it looks at every socket a program may listen on in the
// runtime directory (MR420, MR420-2, ...): topics lists the topics of all of
// them, get and follow use the one that serves TOPIC.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

#include "publish/DataServerProtocol.h"
#include "base/StringTable.h"
#include "base/UnixSocket.h"

namespace {

using mr420::data_server::kItemStringIds;

// A server that accepts but does not answer must not hang a lookup.
constexpr int kReplyTimeoutSeconds = 5;

void printUsage(std::FILE* out) {
    std::fprintf(out,
                 "usage: mr420-data [--socket PATH] topics\n"
                 "       mr420-data [--socket PATH] get TOPIC ITEM\n"
                 "       mr420-data [--socket PATH] follow TOPIC ITEM\n"
                 "       mr420-data --help\n"
                 "Without --socket every program serving in %s is asked.\n"
                 "items: %s, %s, %s (Value, Measurement, Status when the program runs in English)\n",
                 mr420::defaultDataServerSocketDirectory().c_str(), mr420::builtinString(kItemStringIds[0]),
                 mr420::builtinString(kItemStringIds[1]), mr420::builtinString(kItemStringIds[2]));
}

int usageError() {
    printUsage(stderr);
    return 2;
}

class Connection {
public:
    // Connects with a time limit on connecting, sending and each read.
    bool open(const std::string& path) {
        const std::optional<sockaddr_un> address = mr420::unixSocketAddress(path);
        if (!address) return false;
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0) return false;
        setTimeout(kReplyTimeoutSeconds);
        return ::connect(fd_, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0;
    }
    ~Connection() {
        if (fd_ >= 0) ::close(fd_);
    }
    // 0: wait as long as it takes.
    void setTimeout(int seconds) {
        timeval tv{};
        tv.tv_sec = seconds;
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
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
    // One line without its LF; false at the end of the connection or when
    // the server does not answer in time.
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

int noServer(bool oneSocket, const std::string& where) {
    std::fprintf(stderr, "mr420-data: no data server %s %s (is mr420 running and connected?)\n",
                 oneSocket ? "at" : "in", where.c_str());
    return 1;
}

// The topics of every server, in the order of the sockets.
int listTopics(const std::vector<std::string>& sockets, bool oneSocket, const std::string& where) {
    int answered = 0;
    bool failed = false;
    for (const std::string& path : sockets) {
        Connection c;
        if (!c.open(path)) continue;
        std::string topics;
        std::string line;
        bool ended = false;
        if (c.sendLine("TOPICS")) {
            while (c.readLine(line)) {
                if (line == "END") {
                    ended = true;
                    break;
                }
                if (line.rfind("TOPIC ", 0) != 0) break;
                topics += line.substr(6) + "\n";
            }
        }
        if (!ended) {
            // The others are still listed.
            std::fprintf(stderr, "mr420-data: %s: %s\n", path.c_str(),
                         line.empty() || line.rfind("TOPIC ", 0) == 0 ? "no complete reply" : line.c_str());
            failed = true;
            continue;
        }
        ++answered;
        std::fputs(topics.c_str(), stdout);
    }
    if (answered == 0 && !failed) return noServer(oneSocket, where);
    return failed ? 1 : 0;
}

// REQUEST or ADVISE at the first server that offers the topic.
int lookUp(const std::vector<std::string>& sockets, bool oneSocket, const std::string& where, bool follow,
           const std::string& topic, const std::string& item) {
    const std::string unknownTopic = mr420::data_server::kUnknownTopicReply;
    const std::string command = std::string(follow ? "ADVISE " : "REQUEST ") + topic + " " + item;
    bool anyServer = false;
    std::string lastFailure;
    for (const std::string& path : sockets) {
        Connection c;
        if (!c.open(path)) continue;
        anyServer = true;
        std::string line;
        if (!c.sendLine(command) || !c.readLine(line)) {
            lastFailure = path + ": no reply";
            continue;
        }
        if (line == unknownTopic) continue;   // served elsewhere, perhaps
        std::string text;
        if (!follow) {
            if (!dataText(line, text)) return fail(line);
            std::printf("%s\n", text.c_str());
            return 0;
        }
        if (line != "OK") return fail(line);
        c.setTimeout(0);   // between refreshes the program may be quiet for long
        while (c.readLine(line)) {
            if (dataText(line, text)) {
                std::printf("%s\n", text.c_str());
                std::fflush(stdout);
            }
        }
        return 0;   // the server stopped
    }
    if (!anyServer) return noServer(oneSocket, where);
    return fail(lastFailure.empty() ? unknownTopic : lastFailure);
}

}  // namespace

int main(int argc, char** argv) {
    for (int a = 1; a < argc; ++a) {
        if (std::strcmp(argv[a], "--help") == 0 || std::strcmp(argv[a], "-h") == 0) {
            printUsage(stdout);
            return 0;
        }
    }
    std::vector<std::string> sockets;
    std::string where = mr420::defaultDataServerSocketDirectory();
    bool oneSocket = false;
    int i = 1;
    if (i + 1 < argc && std::strcmp(argv[i], "--socket") == 0) {
        where = argv[i + 1];
        sockets.push_back(where);
        oneSocket = true;
        i += 2;
    } else {
        sockets = mr420::dataServerSocketPaths(where);
    }
    if (i >= argc) return usageError();
    const std::string command = argv[i];
    const int rest = argc - i - 1;
    if (command == "topics" && rest == 0) return listTopics(sockets, oneSocket, where);
    if ((command == "get" || command == "follow") && rest == 2)
        return lookUp(sockets, oneSocket, where, command == "follow", argv[i + 1], argv[i + 2]);
    return usageError();
}
