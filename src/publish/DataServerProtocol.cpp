#include "publish/DataServerProtocol.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "base/StringTable.h"
#include "base/UnixSocket.h"
#include "base/ValueFormat.h"

namespace mr420 {

using namespace data_server;

namespace {

constexpr std::array<Channel, kTopicCount> kTopicChannels{kChannelTemp1, kChannelTemp2, kChannelRh,
                                                              kChannelDp,    kChannelWb,    kChannelPressure};

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

// The first eight words of a line, without a heap allocation per line.
struct Words {
    std::array<std::string_view, 8> word;
    std::size_t count = 0;
    bool empty() const { return count == 0; }
    std::size_t size() const { return count; }
    std::string_view operator[](std::size_t i) const { return word[i]; }
};

Words splitWords(std::string_view line) {
    // The library's searches: no branch of this file's per byte.
    constexpr std::string_view kBlanks = " \t";
    Words words;
    std::size_t start = line.find_first_not_of(kBlanks);
    while (start != std::string_view::npos && words.count < words.word.size()) {
        const std::size_t end = line.find_first_of(kBlanks, start);
        words.word[words.count++] = line.substr(start, end - start);
        if (end == std::string_view::npos) break;
        start = line.find_first_not_of(kBlanks, end);
    }
    return words;
}

std::string cutWith(double value, const char* unit) { return formatTenthsCut(value) + unit; }

bool isControlOrBlank(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u <= 0x20 || u == 0x7f;
}

// A topic or item name is one word of a command line.
std::string nameFrom(std::string text) {
    for (char& c : text)
        if (isControlOrBlank(c)) c = '_';
    return text;
}

// A status text is the rest of a DATA line: it may hold blanks but no line end.
std::string statusFrom(std::string text) {
    for (char& c : text)
        if (c != ' ' && isControlOrBlank(c)) c = ' ';
    return text;
}

// The result of connecting to a socket path.
enum class Probe { Answers, Refused, Other };

Probe probeSocket(const std::string& socketPath) {
    const int fd = connectUnixSocket(socketPath, true);
    const int error = errno;
    if (fd >= 0) ::close(fd);
    // EAGAIN: a live server with a full backlog.
    if (fd >= 0 || error == EAGAIN) return Probe::Answers;
    // Nobody listens on the socket: its program is gone.
    if (error == ECONNREFUSED) return Probe::Refused;
    return Probe::Other;
}

}  // namespace

DataServerTexts DataServerTexts::fromStringTable() {
    DataServerTexts texts;
    for (int i = 0; i < kTopicCount; ++i)
        texts.topicBaseNames[static_cast<std::size_t>(i)] = nameFrom(str(channelInfo(channelOfTopic(i)).topicStringId));
    for (int i = 0; i < kItemCount; ++i)
        texts.itemNames[static_cast<std::size_t>(i)] = nameFrom(str(kItemStringIds[static_cast<std::size_t>(i)]));
    texts.measurementOk = statusFrom(str(string_id::kDdeStatusOk));
    texts.measurementError = statusFrom(str(string_id::kDdeStatusError));
    return texts;
}

Channel channelOfTopic(int topicIndex) {
    if (topicIndex < 0 || topicIndex >= kTopicCount) return kChannelTemp1;
    return kTopicChannels[static_cast<std::size_t>(topicIndex)];
}

std::string dataItemText(const LiveReading& pane, int item, const DataServerTexts& texts) {
    const double v = pane.value;
    if (item == kItemStatus) return pane.valid() ? texts.measurementOk : texts.measurementError;
    if (item == kItemMeasurement) {
        switch (pane.displayKind) {
        case 1: return formatNumber("%.1f W/m2", v);
        case 2: return formatNumber("%.2f kLx", v);
        case 3: return pane.twoDecimals ? formatNumber("%.2f °C", v) : cutWith(v, " °C");
        case 4: return formatNumber("%.0f °", v);
        case 5: return cutWith(v, " hPa");
        case 6: return cutWith(v, " m/s");
        case 7: return cutWith(v, " %");
        case 8: return formatNumber("%.0f ppm", v);
        default: return {};
        }
    }
    if (item == kItemValue) {
        switch (pane.displayKind) {
        case 2: return formatNumber("%.2f", v);
        case 4:
        case 8: return formatNumber("%.0f", v);
        case 1:
        case 3:
        case 5:
        case 6:
        case 7: return pane.twoDecimals ? formatNumber("%.2f", v) : formatTenthsCut(v);
        default: return {};
        }
    }
    return {};
}

std::string topicName(const std::string& baseName, long panelSerialNumber) {
    return baseName + "#" + std::to_string(panelSerialNumber);
}

DataServerProtocol::DataServerProtocol(DataServerTexts texts) : texts_(std::move(texts)) {}

bool DataServerProtocol::setTexts(DataServerTexts texts) {
    if (serving_) return false;
    texts_ = std::move(texts);
    return true;
}

bool DataServerProtocol::start(long panelSerialNumber, const LiveReadings& panes) {
    if (serving_) return false;
    panes_ = panes;
    bool any = false;
    for (int i = 0; i < kTopicCount; ++i) {
        const LiveReading& p = panes[channelOfTopic(i)];
        offered_[static_cast<std::size_t>(i)] = p.present && p.hasValue;
        any = any || offered_[static_cast<std::size_t>(i)];
        topicNames_[static_cast<std::size_t>(i)] =
            offered_[static_cast<std::size_t>(i)] ? topicName(texts_.topicBaseNames[static_cast<std::size_t>(i)],
                                                              panelSerialNumber)
                                                  : std::string();
    }
    serving_ = any;
    return true;
}

void DataServerProtocol::stop() {
    serving_ = false;
    offered_.fill(false);
    for (auto& n : topicNames_) n.clear();
}

std::vector<std::string> DataServerProtocol::topics() const {
    std::vector<std::string> names;
    if (!serving_) return names;
    for (int i = 0; i < kTopicCount; ++i)
        if (offered_[static_cast<std::size_t>(i)]) names.push_back(topicNames_[static_cast<std::size_t>(i)]);
    return names;
}

int DataServerProtocol::findTopic(std::string_view name) const {
    if (!serving_) return -1;
    for (int i = 0; i < kTopicCount; ++i)
        if (offered_[static_cast<std::size_t>(i)] && equalsIgnoringAsciiCase(name, topicNames_[static_cast<std::size_t>(i)]))
            return i;
    return -1;
}

int DataServerProtocol::findItem(std::string_view name) const {
    for (int i = 0; i < kItemCount; ++i)
        if (equalsIgnoringAsciiCase(name, texts_.itemNames[static_cast<std::size_t>(i)])) return i;
    return -1;
}

std::string DataServerProtocol::dataLine(int topic, int item) const {
    std::string line = "DATA ";
    line += topicNames_[static_cast<std::size_t>(topic)];
    line += ' ';
    line += texts_.itemNames[static_cast<std::size_t>(item)];
    line += ' ';
    line += dataItemText(panes_[channelOfTopic(topic)], item, texts_);
    line += '\n';
    return line;
}

std::string DataServerProtocol::answer(Session& session, std::string_view line) const {
    std::string out;
    answerInto(session, line, out);
    return out;
}

void DataServerProtocol::answerInto(Session& session, std::string_view line, std::string& out) const {
    const Words w = splitWords(line);
    if (w.empty()) return;
    const std::string_view command = w[0];
    if (command == "TOPICS" && w.size() == 1) {
        for (const std::string& t : topics()) out.append("TOPIC ").append(t).append("\n");
        out += "END\n";
        return;
    }
    const bool request = command == "REQUEST";
    const bool advise = command == "ADVISE";
    const bool unadvise = command == "UNADVISE";
    if (!request && !advise && !unadvise) {
        out += "ERR not supported\n";
        return;
    }
    if (w.size() != 3) {
        out += "ERR expected a topic and an item\n";
        return;
    }
    const int topic = findTopic(w[1]);
    const int item = findItem(w[2]);
    if (unadvise) {
        std::erase(session.advises, std::pair{topic, item});
        out += "OK\n";
        return;
    }
    if (topic < 0) {
        out.append(kUnknownTopicReply).append("\n");
        return;
    }
    if (item < 0) {
        out += "ERR unknown item\n";
        return;
    }
    if (request) {
        out += dataLine(topic, item);
        return;
    }
    std::pair<int, int> loop{topic, item};
    bool known = false;
    for (const auto& a : session.advises) known = known || a == loop;
    if (!known) session.advises.push_back(loop);   // at most topics x items entries
    out += "OK\n";
    out += dataLine(topic, item);
}

DataServerProtocol::Feed DataServerProtocol::feed(Session& session, std::string_view bytes, std::string& out) const {
    while (!bytes.empty()) {
        std::size_t lf = bytes.find('\n');
        if (lf == std::string_view::npos) {
            session.pending.append(bytes);
            // Room for a CR before the LF that has not arrived yet.
            if (session.pending.size() > kMaxLineBytes + 1) return Feed::Close;
            return Feed::Keep;
        }
        // A line that arrived whole is answered where it lies; only the
        // pieces of a split one are joined (in a buffer that is kept).
        std::string_view line = bytes.substr(0, lf);
        bytes.remove_prefix(lf + 1);
        if (!session.pending.empty()) {
            session.pending.append(line);
            line = session.pending;
        }
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() > kMaxLineBytes) return Feed::Close;
        answerInto(session, line, out);
        session.pending.clear();
    }
    return Feed::Keep;
}

std::string DataServerProtocol::adviseData(const Session& session) const {
    std::string out;
    for (const auto& [topic, item] : session.advises)
        if (serving_ && topic >= 0 && offered_[static_cast<std::size_t>(topic)]) out += dataLine(topic, item);
    return out;
}

std::string defaultDataServerSocketDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') return runtime;
    return "/tmp/mr420-" + std::to_string(::getuid());
}

std::string defaultDataServerSocketPath() { return dataServerSocketPaths(defaultDataServerSocketDirectory()).front(); }

std::vector<std::string> dataServerSocketPaths(const std::string& directory) {
    std::vector<std::string> paths;
    const std::string first = directory + "/" + kServiceName;
    paths.push_back(first);
    for (int n = 2; n <= kMaxInstances; ++n) paths.push_back(first + "-" + std::to_string(n));
    return paths;
}

bool prepareDataServerSocketDirectory(const std::string& socketPath) {
    if (socketPath.empty() || socketPath.size() >= sizeof(sockaddr_un::sun_path)) return false;
    std::size_t slash = socketPath.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return false;
    const std::string dir = socketPath.substr(0, slash);
    const bool fallback = dir == "/tmp/mr420-" + std::to_string(::getuid());
    if (fallback) {
        if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat st{};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    if (fallback) {
        // A directory in /tmp that someone else made could let them replace our socket.
        if (st.st_uid != ::getuid()) return false;
        if ((st.st_mode & 0077) != 0 && ::chmod(dir.c_str(), 0700) != 0) return false;
    }
    return true;
}

bool dataServerSocketInUse(const std::string& socketPath) { return probeSocket(socketPath) == Probe::Answers; }

bool dataServerSocketFree(const std::string& socketPath) {
    struct stat st{};
    if (::lstat(socketPath.c_str(), &st) != 0) return errno == ENOENT;
    return S_ISSOCK(st.st_mode) && probeSocket(socketPath) == Probe::Refused;
}

std::string firstFreeDataServerSocketPath(const std::string& directory) {
    for (const std::string& path : dataServerSocketPaths(directory))
        if (path.size() < sizeof(sockaddr_un::sun_path) && dataServerSocketFree(path)) return path;
    return {};
}

DataServerDirectoryLock::DataServerDirectoryLock(const std::string& directory, int waitMs) {
    const std::string path = directory + "/" + kServiceName + ".lock";
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) return;
    constexpr int kStepMs = 5;
    for (int waited = 0;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            held_ = true;
            return;
        }
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK || waited >= waitMs) return;
        ::usleep(kStepMs * 1000);
        waited += kStepMs;
    }
}

DataServerDirectoryLock::~DataServerDirectoryLock() {
    if (fd_ >= 0) ::close(fd_);   // releases the lock
}

ClaimedDataServerSocket claimDataServerSocket(const std::string& directory, int lockWaitMs) {
    ClaimedDataServerSocket claimed;
    const std::vector<std::string> paths = dataServerSocketPaths(directory);
    if (!prepareDataServerSocketDirectory(paths.front())) return claimed;
    DataServerDirectoryLock lock(directory, lockWaitMs);
    for (const std::string& path : paths) {
        if (path.size() >= sizeof(sockaddr_un::sun_path)) break;   // the later names are longer still
        if (!dataServerSocketFree(path)) continue;
        // A stale socket is removed so that the path can be bound again.
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) continue;
        const int fd = listenOnUnixSocket(path, kListenBacklog);
        struct stat st{};
        if (fd < 0 || ::lstat(path.c_str(), &st) != 0) {
            const int error = errno;
            if (fd >= 0) {
                ::close(fd);
                ::unlink(path.c_str());
            }
            if (error == EADDRINUSE) continue;   // an instance without the lock was quicker
            return claimed;                      // the directory takes no sockets
        }
        claimed.fd = fd;
        claimed.directory = directory;
        claimed.path = path;
        claimed.device = static_cast<unsigned long long>(st.st_dev);
        claimed.inode = static_cast<unsigned long long>(st.st_ino);
        return claimed;
    }
    return claimed;
}

void removeClaimedDataServerSocket(const ClaimedDataServerSocket& claimed) {
    if (claimed.path.empty()) return;
    struct stat st{};
    if (::lstat(claimed.path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) return;
    if (static_cast<unsigned long long>(st.st_dev) != claimed.device ||
        static_cast<unsigned long long>(st.st_ino) != claimed.inode)
        return;   // another instance's socket by now
    ::unlink(claimed.path.c_str());
}

}  // namespace mr420
