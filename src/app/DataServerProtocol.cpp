#include "app/DataServerProtocol.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "base/Win1250.h"
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

std::vector<std::string_view> splitWords(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size() && words.size() < 8) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

std::string cutWith(double value, const char* unit) { return formatTenthsCut(value) + unit; }

}  // namespace

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
    std::vector<std::string_view> w = splitWords(line);
    if (w.empty()) return {};
    const std::string_view command = w[0];
    if (command == "TOPICS" && w.size() == 1) {
        std::string out;
        for (const std::string& t : topics()) out += "TOPIC " + t + "\n";
        out += "END\n";
        return out;
    }
    const bool request = command == "REQUEST";
    const bool advise = command == "ADVISE";
    const bool unadvise = command == "UNADVISE";
    if (!request && !advise && !unadvise) return "ERR not supported\n";
    if (w.size() != 3) return "ERR expected a topic and an item\n";
    const int topic = findTopic(w[1]);
    const int item = findItem(w[2]);
    if (unadvise) {
        std::erase(session.advises, std::pair{topic, item});
        return "OK\n";
    }
    if (topic < 0) return "ERR unknown topic\n";
    if (item < 0) return "ERR unknown item\n";
    if (request) return dataLine(topic, item);
    std::pair<int, int> loop{topic, item};
    bool known = false;
    for (const auto& a : session.advises) known = known || a == loop;
    if (!known) session.advises.push_back(loop);   // at most topics x items entries
    return "OK\n" + dataLine(topic, item);
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
        session.pending.append(bytes.substr(0, lf));
        bytes.remove_prefix(lf + 1);
        std::string line = std::move(session.pending);
        session.pending.clear();
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > kMaxLineBytes) return Feed::Close;
        out += answer(session, line);
    }
    return Feed::Keep;
}

std::string DataServerProtocol::adviseData(const Session& session) const {
    std::string out;
    for (const auto& [topic, item] : session.advises)
        if (serving_ && topic >= 0 && offered_[static_cast<std::size_t>(topic)]) out += dataLine(topic, item);
    return out;
}

std::string defaultDataServerSocketPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/MR420";
    return "/tmp/mr420-" + std::to_string(::getuid()) + "/MR420";
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

bool dataServerSocketInUse(const std::string& socketPath) {
    if (socketPath.size() >= sizeof(sockaddr_un::sun_path)) return false;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, socketPath.c_str(), socketPath.size() + 1);
    int r = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    // EAGAIN: a live server with a full backlog.
    bool live = r == 0 || errno == EAGAIN;
    ::close(fd);
    return live;
}

}  // namespace mr420
