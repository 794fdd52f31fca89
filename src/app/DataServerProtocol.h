#pragma once
// The local data server without its socket: the topics fixed at each start,
// the three items and their texts, and the line protocol spoken with each
// client. Read-only: nothing a client sends changes the program.
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
constexpr int kTopicCount = 6;
constexpr int kItemCount = 3;
constexpr int kItemValue = 0;       // "Wynik": the bare number
constexpr int kItemMeasurement = 1; // "Pomiar": the number with its unit
constexpr int kItemStatus = 2;      // "Status"
}  // namespace data_server

// Texts of the string table (UTF-8).
struct DataServerTexts {
    // Topic order: TEMP1, TEMP2, RH, DP, WB, PRESSURE (strings 145-150).
    std::array<std::string, data_server::kTopicCount> topicBaseNames{"Temperatura1", "Temperatura2", "Wilgotność",
                                                                      "Rosa",         "Para",         "Ciśnienie"};
    std::array<std::string, data_server::kItemCount> itemNames{"Wynik", "Pomiar", "Status"};   // 151-153
    std::string measurementOk = "Pomiar OK";        // 196
    std::string measurementError = "Błąd pomiaru";  // 195
};

// The pane behind a topic index.
Channel channelOfTopic(int topicIndex);

// The text of one item of a pane, under the process locale's decimal
// separator. Tenths are cut as the panes show them.
std::string dataItemText(const LiveReading& pane, int item, const DataServerTexts& texts = {});

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

    explicit DataServerProtocol(DataServerTexts texts = {});

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
    int findTopic(std::string_view name) const;
    int findItem(std::string_view name) const;
    std::string dataLine(int topic, int item) const;

    DataServerTexts texts_;
    bool serving_ = false;
    std::array<bool, data_server::kTopicCount> offered_{};
    std::array<std::string, data_server::kTopicCount> topicNames_;
    LiveReadings panes_{};
};

// Where the server listens: $XDG_RUNTIME_DIR/MR420, else /tmp/mr420-<uid>/MR420.
std::string defaultDataServerSocketPath();

// Makes sure the socket's directory can be used: the /tmp fallback directory
// is created with mode 0700 and must be a real directory owned by this user
// (a looser mode is tightened). Fails for a path too long for a socket.
bool prepareDataServerSocketDirectory(const std::string& socketPath);

// True when a server answers on that path (another instance is serving).
bool dataServerSocketInUse(const std::string& socketPath);

}  // namespace mr420
