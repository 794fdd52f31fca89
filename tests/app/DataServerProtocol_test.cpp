#include "publish/DataServerProtocol.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "base/StringTable.h"
#include "base/UnixSocket.h"
#include "support/TestSupport.h"

namespace mr420 {
namespace {


LiveReadings mr411Panes() {
    LiveReadings p{};
    p[kChannelTemp1] = {true, true, false, 21.56, 3, false};
    p[kChannelTemp2] = {false, false, true, 0, 3, false};   // hidden
    p[kChannelRh] = {true, true, false, 45.46, 7, false};
    p[kChannelPressure] = {true, true, false, 1013.27, 5, false};
    p[kChannelDp] = {true, true, true, 9.27, 3, false};       // blinking, still offered
    p[kChannelWb] = {true, false, true, 11420, 8, false};     // no value: not offered
    return p;
}

TEST(DataItemText, TextsByKindCutTenthsAndStatus) {
    std::setlocale(LC_ALL, "C");
    const LiveReading t2{true, true, false, 21.56, 3, true};
    const LiveReading p{true, true, false, 1013.27, 5, false};
    // The value, measurement and status texts; nullptr: not looked at.
    struct Case {
        const char* what;
        LiveReading reading;
        const char* texts[data_server::kItemCount];
    };
    const Case cases[] = {
        {"temperature", {true, true, false, 21.56, 3, false}, {"21.5", "21.5 °C", "Pomiar OK"}},
        {"two decimals", t2, {"21.56", "21.56 °C", nullptr}},
        {"pressure", p, {"1013.2", "1013.2 hPa", nullptr}},
        {"blinking", {true, true, true, 45.46, 7, false}, {nullptr, "45.4 %", "Błąd pomiaru"}},
        {"the last value even without one", {true, false, false, 1234.5, 8, false}, {"1234", "1234 ppm", "Błąd pomiaru"}},
        {"below zero", {true, true, false, -0.05, 3, false}, {"0.0", nullptr, nullptr}},
        {"kLx", {true, true, false, 1.234, 2, false}, {nullptr, "1.23 kLx", nullptr}},
        {"no kind", {true, true, false, 1.0, 0, false}, {"", nullptr, nullptr}},
    };
    for (const Case& c : cases)
        for (int item = 0; item < data_server::kItemCount; ++item)
            if (c.texts[item]) {
                EXPECT_EQ(dataItemText(c.reading, item), c.texts[item]) << c.what << ", item " << item;
            }

    if (std::setlocale(LC_ALL, "pl_PL.UTF-8") != nullptr) {
        EXPECT_EQ(dataItemText(p, data_server::kItemMeasurement), "1013,2 hPa");
        EXPECT_EQ(dataItemText(t2, data_server::kItemValue), "21,56");
    }
    std::setlocale(LC_ALL, "C");
}

TEST(DataServerProtocol, TopicsAreFixedAtStart) {
    std::setlocale(LC_ALL, "C");
    DataServerProtocol server;
    LiveReadings panes = mr411Panes();
    ASSERT_TRUE(server.start(1234, panes));
    EXPECT_TRUE(server.serving());
    EXPECT_EQ(server.topics(),
              (std::vector<std::string>{"Temperatura1#1234", "Wilgotność#1234", "Rosa#1234", "Ciśnienie#1234"}));
    EXPECT_FALSE(server.start(1234, panes));   // already serving

    // A value appearing later gives no topic until the next start.
    panes[kChannelWb].hasValue = true;
    server.setReadings(panes);
    EXPECT_EQ(server.topics().size(), 4u);
    server.stop();
    EXPECT_TRUE(server.topics().empty());
    ASSERT_TRUE(server.start(1234, panes));
    EXPECT_EQ(server.topics().size(), 5u);

    // Nothing offered: success without serving.
    server.stop();
    ASSERT_TRUE(server.start(1234, LiveReadings{}));
    EXPECT_FALSE(server.serving());
    DataServerProtocol::Session s;
    EXPECT_EQ(server.answer(s, "TOPICS"), "END\n");
    EXPECT_EQ(server.answer(s, "REQUEST Temperatura1#1234 Wynik"), "ERR unknown topic\n");
}

TEST(DataServerProtocol, LineProtocol) {
    std::setlocale(LC_ALL, "C");
    DataServerProtocol server;
    ASSERT_TRUE(server.start(77, mr411Panes()));
    DataServerProtocol::Session s;
    std::string out;
    ASSERT_EQ(server.feed(s, "TOPICS\r\nREQUEST Ci\xc5\x9bnienie#77 Pomiar\nREQUEST rosa#77 status\n", out),
              DataServerProtocol::Feed::Keep);
    EXPECT_EQ(out,
              "TOPIC Temperatura1#77\nTOPIC Wilgotność#77\nTOPIC Rosa#77\nTOPIC Ciśnienie#77\nEND\n"
              "DATA Ciśnienie#77 Pomiar 1013.2 hPa\nDATA Rosa#77 Status Błąd pomiaru\n");

    out.clear();
    // A line split across reads.
    server.feed(s, "ADVISE Temperatura1#77 Wy", out);
    EXPECT_EQ(out, "");
    server.feed(s, "nik\n", out);
    EXPECT_EQ(out, "OK\nDATA Temperatura1#77 Wynik 21.5\n");
    out.clear();
    server.feed(s, "ADVISE Temperatura1#77 Wynik\nADVISE Wilgotność#77 Pomiar\n", out);
    EXPECT_EQ(s.advises.size(), 2u);   // the repeated advise is one loop

    LiveReadings later = mr411Panes();
    later[kChannelTemp1].value = 22.04;
    server.setReadings(later);
    EXPECT_EQ(server.adviseData(s), "DATA Temperatura1#77 Wynik 22.0\nDATA Wilgotność#77 Pomiar 45.4 %\n");
    EXPECT_EQ(server.answer(s, "UNADVISE Temperatura1#77 Wynik"), "OK\n");
    EXPECT_EQ(server.adviseData(s), "DATA Wilgotność#77 Pomiar 45.4 %\n");
    EXPECT_EQ(server.answer(s, "UNADVISE Nothing#1 Wynik"), "OK\n");

    EXPECT_EQ(server.answer(s, "REQUEST Para#77 Wynik"), "ERR unknown topic\n");   // not offered
    EXPECT_EQ(server.answer(s, "REQUEST Rosa#77 Kolor"), "ERR unknown item\n");
    EXPECT_EQ(server.answer(s, "ADVISE Rosa#77"), "ERR expected a topic and an item\n");
    EXPECT_EQ(server.answer(s, "POKE Rosa#77 Wynik 5"), "ERR not supported\n");
    EXPECT_EQ(server.answer(s, "EXECUTE [quit]"), "ERR not supported\n");
    EXPECT_EQ(server.answer(s, "topics"), "ERR not supported\n");
    EXPECT_EQ(server.answer(s, std::string("\x01\xff\0junk", 7)), "ERR not supported\n");
    EXPECT_EQ(server.answer(s, ""), "");
    EXPECT_EQ(s.advises.size(), 1u);
}

TEST(DataServerProtocol, LineLimit) {
    DataServerProtocol server;
    ASSERT_TRUE(server.start(1, mr411Panes()));
    std::string out;
    DataServerProtocol::Session ok;
    std::string longest(data_server::kMaxLineBytes, 'x');
    EXPECT_EQ(server.feed(ok, longest + "\r\n", out), DataServerProtocol::Feed::Keep);
    EXPECT_EQ(out, "ERR not supported\n");

    DataServerProtocol::Session tooLong;
    EXPECT_EQ(server.feed(tooLong, longest + "x\n", out), DataServerProtocol::Feed::Close);

    // Without a line end the buffer never grows past the limit.
    DataServerProtocol::Session flood;
    DataServerProtocol::Feed f = DataServerProtocol::Feed::Keep;
    for (int i = 0; i < 100 && f == DataServerProtocol::Feed::Keep; ++i) f = server.feed(flood, std::string(100, 'y'), out);
    EXPECT_EQ(f, DataServerProtocol::Feed::Close);
    EXPECT_LE(flood.pending.size(), data_server::kMaxLineBytes + 101);
}

TEST(DataServerSocketPath, RuntimeDirOrPrivateTmpDirectory) {
    test::EnvGuard runtimeDir("XDG_RUNTIME_DIR", "/run/user/1000");
    EXPECT_EQ(defaultDataServerSocketPath(), "/run/user/1000/MR420");
    runtimeDir.set(nullptr);
    const std::string fallbackDir = "/tmp/mr420-" + std::to_string(getuid());
    const std::string fallback = fallbackDir + "/MR420";
    EXPECT_EQ(defaultDataServerSocketPath(), fallback);
    ASSERT_TRUE(prepareDataServerSocketDirectory(fallback));
    struct stat st{};
    ASSERT_EQ(lstat(fallbackDir.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, getuid());
    ASSERT_EQ(chmod(fallbackDir.c_str(), 0755), 0);
    EXPECT_TRUE(prepareDataServerSocketDirectory(fallback));   // our own: tightened
    ASSERT_EQ(lstat(fallbackDir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    if (getuid() == 0 && chown(fallbackDir.c_str(), 65534, 65534) == 0) {
        EXPECT_FALSE(prepareDataServerSocketDirectory(fallback));   // someone else's
        ASSERT_EQ(chown(fallbackDir.c_str(), 0, 0), 0);
    }

    EXPECT_FALSE(prepareDataServerSocketDirectory("/nonexistent-dir-xyz/MR420"));
    EXPECT_FALSE(prepareDataServerSocketDirectory("/tmp/" + std::string(200, 'a') + "/MR420"));
    std::string dir = test::makeTempDir("sockpath");
    EXPECT_TRUE(prepareDataServerSocketDirectory(dir + "/MR420"));
    EXPECT_FALSE(dataServerSocketInUse(dir + "/MR420"));
}

// --- Names from the string table -------------------------------------------

// Installs a string override for one test and removes it at the end.
class StringOverride {
public:
    explicit StringOverride(std::map<int, std::string> texts) {
        setStringOverride([texts = std::move(texts)](int id) -> std::optional<std::string> {
            auto it = texts.find(id);
            if (it == texts.end()) return std::nullopt;
            return it->second;
        });
    }
    ~StringOverride() { setStringOverride({}); }
};

const std::map<int, std::string> kEnglish = {
    {145, "Temperature1"}, {146, "Temperature2"}, {147, "Humidity"}, {148, "DewPoint"},
    {149, "Vapour"},       {150, "Pressure"},     {151, "Value"},    {152, "Measurement"},
    {153, "Status"},       {195, "Measurement error"},              {196, "Measurement OK"},
};

TEST(DataServerTexts, FollowTheStringTable) {
    struct Case {
        const char* what;
        std::map<int, std::string> texts;
        std::array<std::string, data_server::kTopicCount> topics;
        std::array<std::string, data_server::kItemCount> items;
        std::string ok, error;
    };
    const Case cases[] = {
        {"built-in Polish",
         {},
         {"Temperatura1", "Temperatura2", "Wilgotność", "Rosa", "Para", "Ciśnienie"},
         {"Wynik", "Pomiar", "Status"},
         "Pomiar OK",
         "Błąd pomiaru"},
        {"English",
         kEnglish,
         {"Temperature1", "Temperature2", "Humidity", "DewPoint", "Vapour", "Pressure"},
         {"Value", "Measurement", "Status"},
         "Measurement OK",
         "Measurement error"},
        {"names with blanks, tabs and line ends are one word; a status keeps its blanks",
         {{148, "Dew point"}, {149, " Water\tvapour\r\n"}, {152, "With unit"}, {196, "All\r\nfine"}},
         {"Temperatura1", "Temperatura2", "Wilgotność", "Dew_point", "_Water_vapour__", "Ciśnienie"},
         {"Wynik", "With_unit", "Status"},
         "All  fine",
         "Błąd pomiaru"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StringOverride language(c.texts);
        const DataServerTexts t = DataServerTexts::fromStringTable();
        EXPECT_EQ(t.topicBaseNames, c.topics);
        EXPECT_EQ(t.itemNames, c.items);
        EXPECT_EQ(t.measurementOk, c.ok);
        EXPECT_EQ(t.measurementError, c.error);
    }
}

TEST(DataServerTexts, TopicOrderFollowsTheChannelTable) {
    // Each topic's name is the topic string of its channel, whatever it says.
    std::map<int, std::string> marked;
    for (const ChannelInfo& info : kChannels) marked[info.topicStringId] = std::string("T") + info.name;
    StringOverride language(marked);
    const DataServerTexts t = DataServerTexts::fromStringTable();
    for (int i = 0; i < data_server::kTopicCount; ++i) {
        EXPECT_EQ(t.topicBaseNames[static_cast<std::size_t>(i)], std::string("T") + channelName(channelOfTopic(i)));
    }
}

TEST(DataServerTexts, ServedNamesChangeWithTheLanguage) {
    std::setlocale(LC_ALL, "C");
    StringOverride language(kEnglish);
    DataServerProtocol server;   // takes the texts of the language loaded now
    ASSERT_TRUE(server.start(42, mr411Panes()));
    DataServerProtocol::Session s;
    EXPECT_EQ(server.answer(s, "TOPICS"),
              "TOPIC Temperature1#42\nTOPIC Humidity#42\nTOPIC DewPoint#42\nTOPIC Pressure#42\nEND\n");
    EXPECT_EQ(server.answer(s, "REQUEST Pressure#42 Measurement"), "DATA Pressure#42 Measurement 1013.2 hPa\n");
    EXPECT_EQ(server.answer(s, "REQUEST DewPoint#42 Status"), "DATA DewPoint#42 Status Measurement error\n");
    EXPECT_EQ(server.answer(s, "REQUEST temperature1#42 value"), "DATA Temperature1#42 Value 21.5\n");
    EXPECT_EQ(server.answer(s, "REQUEST Rosa#42 Wynik"), "ERR unknown topic\n");
    EXPECT_EQ(server.answer(s, "REQUEST DewPoint#42 Wynik"), "ERR unknown item\n");
    LiveReading ok{true, true, false, 1.0, 3, false};
    EXPECT_EQ(dataItemText(ok, data_server::kItemStatus), "Measurement OK");

    // New texts only take effect at the next start.
    EXPECT_FALSE(server.setTexts(DataServerTexts{}));
    EXPECT_EQ(server.texts().itemNames[0], "Value");
    server.stop();
    setStringOverride({});
    ASSERT_TRUE(server.setTexts(DataServerTexts::fromStringTable()));
    ASSERT_TRUE(server.start(42, mr411Panes()));
    EXPECT_EQ(server.answer(s, "REQUEST Rosa#42 Wynik"), "DATA Rosa#42 Wynik 9.2\n");
    EXPECT_EQ(server.answer(s, "REQUEST DewPoint#42 Value"), "ERR unknown topic\n");
}

// --- Sockets of several instances ---------------------------------------------

// A socket bound at path; listening unless `stale`, where it is closed at once
// and the file is left behind as by a program that died.
class TestSocket {
public:
    TestSocket(const std::string& path, bool stale) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_un addr = *unixSocketAddress(path);
        ok_ = ::bind(fd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 && (stale || ::listen(fd_, 4) == 0);
        if (stale) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~TestSocket() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return ok_; }

private:
    int fd_ = -1;
    bool ok_ = false;
};

void touch(const std::string& path) {
    int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0) << path;
    ::close(fd);
}

bool canConnect(const std::string& path) {
    const int fd = connectUnixSocket(path);
    if (fd >= 0) ::close(fd);
    return fd >= 0;
}

TEST(DataServerSockets, CandidatePathsInOrder) {
    const std::vector<std::string> paths = dataServerSocketPaths("/run/user/7");
    ASSERT_EQ(paths.size(), static_cast<std::size_t>(data_server::kMaxInstances));
    const std::pair<std::size_t, const char*> expected[] = {
        {0, "/run/user/7/MR420"}, {1, "/run/user/7/MR420-2"}, {2, "/run/user/7/MR420-3"}, {15, "/run/user/7/MR420-16"}};
    for (const auto& [index, path] : expected) EXPECT_EQ(paths[index], path) << index;

    test::EnvGuard runtimeDir("XDG_RUNTIME_DIR", "/run/user/7");
    EXPECT_EQ(defaultDataServerSocketDirectory(), "/run/user/7");
    EXPECT_EQ(defaultDataServerSocketPath(), paths.front());
    runtimeDir.set("relative");   // not a directory to trust
    EXPECT_EQ(defaultDataServerSocketDirectory(), "/tmp/mr420-" + std::to_string(::getuid()));
}

TEST(DataServerSockets, WhatIsFreeAndTheFirstFreePath) {
    enum class First { Nothing, RegularFile, StaleSocket, LiveSocket, Directory };
    struct Case {
        const char* what;
        First first;
        bool firstFree;
        const char* picked;   // name within the directory
    };
    const Case cases[] = {
        {"nothing there", First::Nothing, true, "MR420"},
        {"a socket nobody answers on is taken over", First::StaleSocket, true, "MR420"},
        {"a live instance", First::LiveSocket, false, "MR420-2"},
        {"a regular file is left alone", First::RegularFile, false, "MR420-2"},
        {"a directory is left alone", First::Directory, false, "MR420-2"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string dir = test::makeTempDir("free" + std::to_string(n++));
        const std::string first = dir + "/MR420";
        std::unique_ptr<TestSocket> socket;
        switch (c.first) {
        case First::Nothing: break;
        case First::RegularFile: touch(first); break;
        case First::StaleSocket: socket = std::make_unique<TestSocket>(first, true); break;
        case First::LiveSocket: socket = std::make_unique<TestSocket>(first, false); break;
        case First::Directory: ASSERT_EQ(::mkdir(first.c_str(), 0700), 0); break;
        }
        if (socket) {
            ASSERT_TRUE(socket->ok());
        }
        EXPECT_EQ(dataServerSocketFree(first), c.firstFree);
        EXPECT_EQ(dataServerSocketInUse(first), c.first == First::LiveSocket);
        EXPECT_EQ(firstFreeDataServerSocketPath(dir), dir + "/" + c.picked);
    }
}

TEST(DataServerSockets, ClaimTakesTheFirstFreeOneAndRemovesOnlyItsOwn) {
    const std::string dir = test::makeTempDir("claim");
    TestSocket live(dir + "/MR420", false);
    TestSocket stale(dir + "/MR420-2", true);
    ASSERT_TRUE(live.ok());
    ASSERT_TRUE(stale.ok());

    ClaimedDataServerSocket claimed = claimDataServerSocket(dir);
    ASSERT_GE(claimed.fd, 0);
    EXPECT_EQ(claimed.path, dir + "/MR420-2");
    EXPECT_EQ(claimed.directory, dir);
    struct stat st{};
    ASSERT_EQ(::lstat(claimed.path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(canConnect(claimed.path));   // listening
    EXPECT_EQ(firstFreeDataServerSocketPath(dir), dir + "/MR420-3");

    // The next claim skips both.
    ClaimedDataServerSocket next = claimDataServerSocket(dir);
    ASSERT_GE(next.fd, 0);
    EXPECT_EQ(next.path, dir + "/MR420-3");

    removeClaimedDataServerSocket(claimed);
    ::close(claimed.fd);
    EXPECT_NE(::lstat(claimed.path.c_str(), &st), 0);
    EXPECT_EQ(firstFreeDataServerSocketPath(dir), dir + "/MR420-2");   // the gap is reused

    // A socket someone else has put at the path since is not removed. The
    // claim is removed before its descriptor is closed (as the server does):
    // while it is open, no other socket can have its inode.
    ::unlink(next.path.c_str());
    TestSocket other(next.path, false);
    ASSERT_TRUE(other.ok());
    removeClaimedDataServerSocket(next);
    ::close(next.fd);
    EXPECT_EQ(::lstat(next.path.c_str(), &st), 0);
    EXPECT_TRUE(canConnect(next.path));
    removeClaimedDataServerSocket(ClaimedDataServerSocket{});   // nothing claimed: nothing happens
}

TEST(DataServerSockets, ClaimFailsOnlyWhenNoSocketCanBeHad) {
    const std::string dir = test::makeTempDir("full");
    for (const std::string& path : dataServerSocketPaths(dir)) touch(path);
    EXPECT_EQ(firstFreeDataServerSocketPath(dir), "");
    EXPECT_EQ(claimDataServerSocket(dir).fd, -1);
    ::unlink((dir + "/MR420-16").c_str());
    ClaimedDataServerSocket last = claimDataServerSocket(dir);
    ASSERT_GE(last.fd, 0);
    EXPECT_EQ(last.path, dir + "/MR420-16");
    ::close(last.fd);

    EXPECT_EQ(claimDataServerSocket(dir + "/missing").fd, -1);
    EXPECT_EQ(claimDataServerSocket("/tmp/" + std::string(120, 'a')).fd, -1);   // too long for a socket
}

TEST(DataServerSockets, DirectoryLock) {
    const std::string dir = test::makeTempDir("lock");
    {
        DataServerDirectoryLock first(dir, 0);
        ASSERT_TRUE(first.held());
        DataServerDirectoryLock second(dir, 0);
        EXPECT_FALSE(second.held());
        // An instance stuck while holding the lock does not keep the others from serving.
        ClaimedDataServerSocket claimed = claimDataServerSocket(dir, 0);
        ASSERT_GE(claimed.fd, 0);
        EXPECT_EQ(claimed.path, dir + "/MR420");
        ::close(claimed.fd);
    }
    DataServerDirectoryLock again(dir, 0);
    EXPECT_TRUE(again.held());
    DataServerDirectoryLock nowhere(dir + "/missing", 0);
    EXPECT_FALSE(nowhere.held());
}

}  // namespace
}  // namespace mr420
