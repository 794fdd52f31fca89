#pragma once
// The local data server without Qt: the topics fixed at each start, the three
// items and their texts, the line protocol spoken with each client, and the
// sockets the running instances share a directory with. Read-only: nothing a
// client sends changes the program.
//
//   TOPICS                    -> "TOPIC <topic>" per topic, then "END"
//   REQUEST <topic> <item>    -> "DATA <topic> <item> <text>" or "ERR <reason>"
//   ADVISE <topic> <item>     -> "OK", one DATA line at once, then one per publish
//   UNADVISE <topic> <item>   -> "OK"
//   anything else             -> "ERR not supported"
//
// Lines are UTF-8 and end in LF (CR LF accepted).

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ui/LiveReadings.h"

namespace mr420 {

namespace data_server {
constexpr std::size_t kMaxLineBytes = 1024;        // a longer line closes the connection
constexpr int kMaxClients = 32;
constexpr std::size_t kMaxQueuedBytes = 64 * 1024; // a client that stops reading is dropped
constexpr const char* kServiceName = "MR420";
constexpr int kMaxInstances = 16;                  // MR420, MR420-2, ... MR420-16
constexpr int kListenBacklog = 50;
constexpr int kTopicCount = 6;
constexpr int kItemCount = 3;
constexpr int kItemValue = 0;       // the bare number
constexpr int kItemMeasurement = 1; // the number with its unit
constexpr int kItemStatus = 2;      // measurement OK or error
// String ids of the item names, in item order.
constexpr std::array<int, kItemCount> kItemStringIds{151, 152, 153};
// The reply to a topic this server does not offer; a client that looks a
// topic up across several servers moves on to the next one on it.
constexpr const char* kUnknownTopicReply = "ERR unknown topic";
}  // namespace data_server

// The names and status texts the server uses (UTF-8). Topic and item names
// never contain a blank or a control character; status texts never contain
// a line break.
struct DataServerTexts {
    // Topic order: TEMP1, TEMP2, RH, DP, WB, PRESSURE.
    std::array<std::string, data_server::kTopicCount> topicBaseNames;
    std::array<std::string, data_server::kItemCount> itemNames;
    std::string measurementOk;
    std::string measurementError;

    // The texts of the language loaded now: topic base names from the
    // channel table's topic strings, the item names, the two status texts.
    // Blanks and control characters in a name become '_', control
    // characters in a status text become a space.
    static DataServerTexts fromStringTable();
};

// The pane behind a topic index.
Channel channelOfTopic(int topicIndex);

// The text of one item of a pane, under the process locale's decimal
// separator. Tenths are cut as the panes show them.
std::string dataItemText(const LiveReading& pane, int item,
                         const DataServerTexts& texts = DataServerTexts::fromStringTable());

// "%s#%li" of a base name and the panel serial number.
std::string topicName(const std::string& baseName, long panelSerialNumber);

class DataServerProtocol {
public:
    // What one connection has said so far.
    struct Session {
        std::string pending;                    // bytes of an unfinished line
        std::vector<std::pair<int, int>> advises;   // (topic index, item), no duplicates
    };

    enum class Feed { Keep, Close };

    explicit DataServerProtocol(DataServerTexts texts = DataServerTexts::fromStringTable());

    // Other names for the next start; false (and nothing changes) while serving.
    bool setTexts(DataServerTexts texts);
    const DataServerTexts& texts() const { return texts_; }

    // Fixes the topic set: a channel is offered when its pane is shown and has
    // a value. Returns false when already serving. With no channel offered it
    // returns true and serves nothing.
    bool start(long panelSerialNumber, const LiveReadings& panes);
    void stop();
    bool serving() const { return serving_; }

    // The registered topic names, in topic order.
    std::vector<std::string> topics() const;

    // The pane values that requests and advises are answered from.
    void setReadings(const LiveReadings& panes) { panes_ = panes; }

    // Feeds received bytes; replies for every complete line are appended to
    // out. Close when a line is longer than kMaxLineBytes.
    Feed feed(Session& session, std::string_view bytes, std::string& out) const;

    // Reply to one line (without its line end).
    std::string answer(Session& session, std::string_view line) const;

    // The DATA lines of every advise loop of a session (after a refresh).
    std::string adviseData(const Session& session) const;

private:
    // answer(), appended to out.
    void answerInto(Session& session, std::string_view line, std::string& out) const;
    int findTopic(std::string_view name) const;
    int findItem(std::string_view name) const;
    std::string dataLine(int topic, int item) const;

    DataServerTexts texts_;
    bool serving_ = false;
    std::array<bool, data_server::kTopicCount> offered_{};
    std::array<std::string, data_server::kTopicCount> topicNames_;
    LiveReadings panes_{};
};

// The directory of the sockets: $XDG_RUNTIME_DIR, else /tmp/mr420-<uid>.
std::string defaultDataServerSocketDirectory();

// Where the first instance listens: <default directory>/MR420.
std::string defaultDataServerSocketPath();

// Every socket an instance may listen on in a directory, in the order they
// are taken: MR420, MR420-2, ... MR420-16. A client looks at all of them,
// since an instance that stopped leaves a gap.
std::vector<std::string> dataServerSocketPaths(const std::string& directory);

// Makes sure the socket's directory can be used: the /tmp fallback directory
// is created with mode 0700 and must be a real directory owned by this user
// (a looser mode is tightened). Fails for a path too long for a socket.
bool prepareDataServerSocketDirectory(const std::string& socketPath);

// True when a server answers on that path (another instance is serving).
bool dataServerSocketInUse(const std::string& socketPath);

// True when an instance may listen on that path: nothing is there, or a
// socket that nobody answers on (left by a program that did not stop).
bool dataServerSocketFree(const std::string& socketPath);

// The first free path of dataServerSocketPaths(directory); empty when every
// one is taken.
std::string firstFreeDataServerSocketPath(const std::string& directory);

// Serialises claiming and removing sockets among the instances sharing a
// directory (an advisory lock on <directory>/MR420.lock), so that two
// instances starting at once neither pick the same socket nor take over one
// the other has just created. Waits at most waitMs for another holder;
// without the lock (held() false) the caller goes on unprotected.
class DataServerDirectoryLock {
public:
    explicit DataServerDirectoryLock(const std::string& directory, int waitMs = 1000);
    ~DataServerDirectoryLock();
    DataServerDirectoryLock(const DataServerDirectoryLock&) = delete;
    DataServerDirectoryLock& operator=(const DataServerDirectoryLock&) = delete;
    bool held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};

// A listening socket an instance has claimed.
struct ClaimedDataServerSocket {
    int fd = -1;              // listening, close-on-exec, non-blocking; -1 when none could be had
    std::string directory;
    std::string path;
    unsigned long long device = 0;   // of the socket file, to recognise it at removal
    unsigned long long inode = 0;
};

// Prepares the directory and, holding its DataServerDirectoryLock, listens
// on the first free socket path (a stale socket there is removed first) with
// mode 0600. fd -1 when the directory cannot be used or every path is taken.
ClaimedDataServerSocket claimDataServerSocket(const std::string& directory, int lockWaitMs = 1000);

// Removes the claimed socket file, but only while it is still the one that
// was claimed (its device and inode). Call it before closing the descriptor:
// once that is closed, a new socket may be given the same inode. Hold the
// directory's lock around removing the file and closing the socket.
void removeClaimedDataServerSocket(const ClaimedDataServerSocket& claimed);

}  // namespace mr420
