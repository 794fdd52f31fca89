#include "app/widgets/LocalDataServer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "base/StringTable.h"
#include "base/UnixSocket.h"
#include "support/TestSupport.h"
#include "support/TestApplication.h"

namespace mr420 {
namespace {

using mr420::test::app;

LiveReadings panes() {
    LiveReadings p{};
    p[kChannelTemp1] = {true, true, false, 21.56, 3, false};
    p[kChannelRh] = {true, true, false, 45.46, 7, false};
    p[kChannelPressure] = {true, true, false, 1013.27, 5, false};
    p[kChannelDp] = {true, true, false, 9.27, 3, false};
    return p;
}

LiveReadings pressureOnly() {
    LiveReadings p{};
    p[kChannelPressure] = {true, true, false, 990.04, 5, false};
    return p;
}

// A plain non-blocking client socket, read while the server's event loop runs.
class Client {
public:
    explicit Client(const std::string& path, int receiveBuffer = 0) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (receiveBuffer > 0) ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        const sockaddr_un addr = *unixSocketAddress(path);
        connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
        ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    }
    ~Client() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool connected() const { return connected_; }
    void send(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && errno == EAGAIN) {
                QCoreApplication::processEvents();
            } else {
                return;
            }
        }
    }
    // Reads until `until` holds for the text received or the peer closes.
    std::string readUntil(const std::function<bool(const std::string&)>& until, int timeoutMs = 3000) {
        QElapsedTimer timer;
        timer.start();
        while (!until(text_) && !closed_ && timer.elapsed() < timeoutMs) {
            QCoreApplication::processEvents();
            pump();
            if (!until(text_)) ::usleep(500);
        }
        return text_;
    }
    std::string readLines(int count) {
        return readUntil([count](const std::string& t) { return std::count(t.begin(), t.end(), '\n') >= count; });
    }
    bool waitClosed(int timeoutMs = 3000) {
        readUntil([](const std::string&) { return false; }, timeoutMs);
        return closed_;
    }
    void clear() { text_.clear(); }
    // Sends `bytes` and returns the next `lines` lines of the answer.
    std::string ask(const std::string& bytes, int lines) {
        clear();
        send(bytes);
        return readLines(lines);
    }

private:
    void pump() {
        char buffer[4096];
        for (;;) {
            ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n > 0) {
                text_.append(buffer, static_cast<std::size_t>(n));
            } else {
                if (n == 0 || (errno != EAGAIN && errno != EINTR)) closed_ = true;
                return;
            }
        }
    }
    int fd_ = -1;
    bool connected_ = false;
    bool closed_ = false;
    std::string text_;
};

class LocalDataServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        app();
        std::setlocale(LC_ALL, "C");
        dir_ = test::makeTempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        path_ = dir_ + "/MR420";
        server_.setSocketDirectory(dir_);
    }
    void TearDown() override { server_.stop(); }

    std::string dir_;
    std::string path_;
    LocalDataServer server_;
};

TEST_F(LocalDataServerTest, TopicsRequestAndAdviseOverARealSocket) {
    ASSERT_TRUE(server_.start(1234, panes()));
    ASSERT_TRUE(server_.isListening());
    EXPECT_EQ(server_.socketPath(), path_);
    struct stat st{};
    ASSERT_EQ(::lstat(path_.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    Client c(path_);
    ASSERT_TRUE(c.connected());
    EXPECT_EQ(c.ask("TOPICS\n", 5),
              "TOPIC Temperatura1#1234\nTOPIC Wilgotność#1234\nTOPIC Rosa#1234\nTOPIC Ciśnienie#1234\nEND\n");
    EXPECT_EQ(c.ask("REQUEST Ciśnienie#1234 Pomiar\r\n", 1), "DATA Ciśnienie#1234 Pomiar 1013.2 hPa\n");
    EXPECT_EQ(c.ask("ADVISE Temperatura1#1234 Wynik\n", 2), "OK\nDATA Temperatura1#1234 Wynik 21.5\n");

    LiveReadings next = panes();
    next[kChannelTemp1] = {true, true, true, 22.09, 3, false};
    c.clear();
    server_.publish(next);
    EXPECT_EQ(c.readLines(1), "DATA Temperatura1#1234 Wynik 22.0\n");
    EXPECT_EQ(c.ask("REQUEST Temperatura1#1234 Status\n", 1), "DATA Temperatura1#1234 Status Błąd pomiaru\n");
    EXPECT_EQ(c.ask("UNADVISE Temperatura1#1234 Wynik\n", 1), "OK\n");
    server_.publish(next);
    // and no DATA from the ended loop
    EXPECT_EQ(c.ask("REQUEST Rosa#1234 Wynik\n", 1), "DATA Rosa#1234 Wynik 9.2\n");

    EXPECT_FALSE(server_.start(1234, panes()));   // already serving
    server_.stop();
    EXPECT_TRUE(c.waitClosed());
    EXPECT_NE(::lstat(path_.c_str(), &st), 0);    // socket removed
    EXPECT_EQ(server_.clientCount(), 0);
    EXPECT_EQ(server_.socketPath(), "");
}

TEST_F(LocalDataServerTest, NothingOfferedMeansNoSocket) {
    ASSERT_TRUE(server_.start(1234, LiveReadings{}));
    EXPECT_FALSE(server_.isListening());
    struct stat st{};
    EXPECT_NE(::lstat(path_.c_str(), &st), 0);
    server_.stop();
    server_.stop();   // safe twice
}

TEST_F(LocalDataServerTest, SecondInstanceServesBesideTheFirst) {
    ASSERT_TRUE(server_.start(1234, panes()));
    LocalDataServer second;
    second.setSocketDirectory(dir_);
    ASSERT_TRUE(second.start(5678, pressureOnly()));
    EXPECT_EQ(second.socketPath(), dir_ + "/MR420-2");
    EXPECT_TRUE(server_.isListening());

    Client first(path_);
    Client other(dir_ + "/MR420-2");
    first.send("TOPICS\n");
    other.send("TOPICS\nREQUEST Ciśnienie#5678 Pomiar\n");
    EXPECT_EQ(first.readLines(5),
              "TOPIC Temperatura1#1234\nTOPIC Wilgotność#1234\nTOPIC Rosa#1234\nTOPIC Ciśnienie#1234\nEND\n");
    EXPECT_EQ(other.readLines(3), "TOPIC Ciśnienie#5678\nEND\nDATA Ciśnienie#5678 Pomiar 990.0 hPa\n");

    // When the first stops, a third program takes its socket; the second goes on.
    server_.stop();
    EXPECT_TRUE(first.waitClosed());
    LocalDataServer third;
    third.setSocketDirectory(dir_);
    ASSERT_TRUE(third.start(9, panes()));
    EXPECT_EQ(third.socketPath(), path_);
    EXPECT_EQ(other.ask("REQUEST Ciśnienie#5678 Wynik\n", 1), "DATA Ciśnienie#5678 Wynik 990.0\n");
    second.stop();
    struct stat st{};
    EXPECT_NE(::lstat((dir_ + "/MR420-2").c_str(), &st), 0);
    EXPECT_EQ(::lstat(path_.c_str(), &st), 0);   // the third's socket stays
}

TEST_F(LocalDataServerTest, FailsOnlyWhenNoSocketCanBeHad) {
    for (const std::string& path : dataServerSocketPaths(dir_)) ::close(::open(path.c_str(), O_CREAT | O_WRONLY, 0600));
    EXPECT_FALSE(server_.start(1, panes()));
    EXPECT_FALSE(server_.isListening());
    EXPECT_EQ(server_.socketPath(), "");

    LocalDataServer nowhere;
    nowhere.setSocketDirectory(dir_ + "/missing");
    EXPECT_FALSE(nowhere.start(1, panes()));
    // After a failure it can be started elsewhere.
    const std::string elsewhere = test::makeTempDir("elsewhere");
    nowhere.setSocketDirectory(elsewhere);
    EXPECT_TRUE(nowhere.start(1, panes()));
    EXPECT_EQ(nowhere.socketPath(), elsewhere + "/MR420");
}

TEST_F(LocalDataServerTest, StaleSocketIsTakenOverButARegularFileIsLeftAlone) {
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const sockaddr_un addr = *unixSocketAddress(path_);
        ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
        ::close(fd);   // bound, never listening: left behind
    }
    ASSERT_TRUE(server_.start(1, panes()));
    EXPECT_EQ(server_.socketPath(), path_);
    EXPECT_NE(Client(path_).ask("TOPICS\n", 5).find("TOPIC Rosa#1\n"), std::string::npos);
    server_.stop();

    ::close(::open(path_.c_str(), O_CREAT | O_WRONLY, 0600));
    ASSERT_TRUE(server_.start(1, panes()));
    EXPECT_EQ(server_.socketPath(), dir_ + "/MR420-2");
    struct stat st{};
    ASSERT_EQ(::lstat(path_.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
}

TEST_F(LocalDataServerTest, NamesFollowTheLanguageAtEachStart) {
    setStringOverride([](int id) -> std::optional<std::string> {
        switch (id) {
        case 145: return "Temperature1";
        case 147: return "Humidity";
        case 148: return "DewPoint";
        case 150: return "Pressure";
        case 151: return "Value";
        case 152: return "Measurement";
        case 196: return "Measurement OK";
        default: return std::nullopt;
        }
    });
    const bool started = server_.start(8, panes());
    setStringOverride({});   // the running server keeps the names it started with
    ASSERT_TRUE(started);
    Client c(path_);
    c.send("TOPICS\nREQUEST Pressure#8 Measurement\nREQUEST DewPoint#8 Status\nREQUEST Rosa#8 Wynik\n");
    EXPECT_EQ(c.readLines(8),
              "TOPIC Temperature1#8\nTOPIC Humidity#8\nTOPIC DewPoint#8\nTOPIC Pressure#8\nEND\n"
              "DATA Pressure#8 Measurement 1013.2 hPa\nDATA DewPoint#8 Status Measurement OK\nERR unknown topic\n");
    server_.stop();

    ASSERT_TRUE(server_.start(8, panes()));
    EXPECT_EQ(Client(path_).ask("REQUEST Rosa#8 Wynik\n", 1), "DATA Rosa#8 Wynik 9.2\n");
}

TEST_F(LocalDataServerTest, HostileInputs) {
    ASSERT_TRUE(server_.start(99, panes()));
    Client junk(path_);
    junk.send(std::string("\x00\xff\xfe garbage\n", 13));
    junk.send("POKE Rosa#99 Wynik 1\nEXECUTE [shutdown]\nREQUEST Nope#99 Wynik\nREQUEST Rosa#99 Nope\n");
    EXPECT_EQ(junk.readLines(5),
              "ERR not supported\nERR not supported\nERR not supported\nERR unknown topic\nERR unknown item\n");

    Client longLine(path_);
    longLine.send(std::string(5000, 'A'));
    EXPECT_TRUE(longLine.waitClosed());

    // The others keep being served.
    EXPECT_EQ(junk.ask("REQUEST Rosa#99 Status\n", 1), "DATA Rosa#99 Status Pomiar OK\n");
    EXPECT_EQ(server_.clientCount(), 1);
}

TEST_F(LocalDataServerTest, AtMost32Clients) {
    ASSERT_TRUE(server_.start(5, panes()));
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 40; ++i) {
        clients.push_back(std::make_unique<Client>(path_));
        QCoreApplication::processEvents();
    }
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(server_.clientCount(), 32);
    int served = 0, refused = 0;
    for (auto& c : clients) {
        c->send("TOPICS\n");
        std::string t = c->readUntil([](const std::string& s) { return s.find("END\n") != std::string::npos; }, 1000);
        if (t.find("END\n") != std::string::npos)
            ++served;
        else if (c->waitClosed(1000))
            ++refused;
    }
    EXPECT_EQ(served, 32);
    EXPECT_EQ(refused, 8);
    clients.clear();
    for (int i = 0; i < 50 && server_.clientCount() > 0; ++i) {
        QCoreApplication::processEvents();
        ::usleep(1000);
    }
    EXPECT_EQ(server_.clientCount(), 0);
    EXPECT_NE(Client(path_).ask("TOPICS\n", 5).find("END\n"), std::string::npos);
}

TEST_F(LocalDataServerTest, ClientThatNeverReadsIsDropped) {
    ASSERT_TRUE(server_.start(7, panes()));
    Client sleeper(path_, 4096);
    Client reader(path_);
    std::string advise;
    for (const char* t : {"Temperatura1#7", "Wilgotność#7", "Rosa#7", "Ciśnienie#7"})
        for (const char* i : {"Wynik", "Pomiar", "Status"}) advise += std::string("ADVISE ") + t + " " + i + "\n";
    sleeper.send(advise);
    reader.send("ADVISE Rosa#7 Wynik\n");
    reader.readLines(2);
    for (int i = 0; i < 50; ++i) QCoreApplication::processEvents();

    // Each publish queues about 400 bytes for the sleeper; the kernel buffers
    // take some, then 64 KiB in the server, then it must go.
    int publishes = 0;
    while (server_.clientCount() == 2 && publishes < 20000) {
        server_.publish(panes());
        QCoreApplication::processEvents();
        ++publishes;
        if (publishes % 100 == 0) {
            reader.clear();
            reader.readUntil([](const std::string&) { return true; }, 0);
        }
    }
    EXPECT_EQ(server_.clientCount(), 1);
    EXPECT_LT(publishes, 20000);
    // The reader is still served.
    reader.clear();
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
    reader.readUntil([](const std::string&) { return false; }, 100);
    reader.clear();
    reader.send("REQUEST Rosa#7 Pomiar\n");
    std::string t = reader.readUntil([](const std::string& s) { return s.find("Pomiar 9.2 °C\n") != std::string::npos; });
    EXPECT_NE(t.find("DATA Rosa#7 Pomiar 9.2 °C\n"), std::string::npos);
}

TEST_F(LocalDataServerTest, DefaultPathUsesRuntimeDirectory) {
    const test::EnvGuard runtimeDir("XDG_RUNTIME_DIR", dir_.c_str());
    LocalDataServer server;
    EXPECT_EQ(server.socketDirectory(), dir_);
    ASSERT_TRUE(server.start(3, panes()));
    EXPECT_EQ(server.socketPath(), dir_ + "/MR420");
    EXPECT_NE(Client(dir_ + "/MR420").ask("TOPICS\n", 5).find("TOPIC Rosa#3\n"), std::string::npos);
    server.stop();
}

// The command-line client against real servers.
class CommandLineClientTest : public LocalDataServerTest {
protected:
    struct Result {
        int exitCode = -1;
        std::string out;
        std::string err;
    };

    void SetUp() override {
        LocalDataServerTest::SetUp();
        if (!QFileInfo(tool()).isExecutable()) GTEST_SKIP() << "mr420-data is not built";
    }
    static QString tool() { return QString(MR420_BINARY_DIR) + "/bin/mr420-data"; }

    // The client with the test directory as its runtime directory; the
    // servers' events are handled while it runs.
    QProcess* launch(const QStringList& args) {
        auto* p = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(dir_));
        p->setProcessEnvironment(env);
        p->start(tool(), args);
        return p;
    }
    Result run(const QStringList& args) {
        std::unique_ptr<QProcess> p(launch(args));
        QElapsedTimer timer;
        timer.start();
        while (p->state() != QProcess::NotRunning && timer.elapsed() < 10000) {
            QCoreApplication::processEvents();
            p->waitForFinished(1);
        }
        return {p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1, p->readAllStandardOutput().toStdString(),
                p->readAllStandardError().toStdString()};
    }
    // One run of the client and what it must give.
    struct Call {
        QStringList args;
        std::string out;
        int exitCode;
        std::string errPart;   // a part of what it writes to stderr, or ""
    };
    void expectCalls(std::initializer_list<Call> calls) {
        for (const Call& c : calls) {
            SCOPED_TRACE(c.args.join(' ').toStdString());
            const Result r = run(c.args);
            EXPECT_EQ(r.out, c.out);
            EXPECT_EQ(r.exitCode, c.exitCode);
            EXPECT_NE(r.err.find(c.errPart), std::string::npos) << r.err;
        }
    }
};

TEST_F(CommandLineClientTest, HelpAndUsage) {
    Result help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("usage: mr420-data"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("Wynik, Pomiar, Status"), std::string::npos) << help.out;
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(run({"-h"}).exitCode, 0);

    for (const QStringList& wrong : {QStringList{}, QStringList{"bogus"}, QStringList{"get", "Rosa#1"},
                                     QStringList{"topics", "extra"}, QStringList{"--socket", path_.c_str()}})
        expectCalls({{wrong, "", 2, "usage: mr420-data"}});

    expectCalls({{{"topics"}, "", 1, "no data server in " + dir_}});
}

TEST_F(CommandLineClientTest, OneSocket) {
    ASSERT_TRUE(server_.start(12, panes()));
    const QString socket = QString::fromStdString(path_);
    expectCalls({
        {{"--socket", socket, "topics"}, "Temperatura1#12\nWilgotność#12\nRosa#12\nCiśnienie#12\n", 0, ""},
        {{"--socket", socket, "get", "Ciśnienie#12", "Pomiar"}, "1013.2 hPa\n", 0, ""},
        {{"--socket", socket, "get", "Para#12", "Wynik"}, "", 1, "ERR unknown topic"},
        {{"--socket", socket, "get", "Rosa#12", "Kolor"}, "", 1, "ERR unknown item"},
        {{"--socket", QString::fromStdString(dir_ + "/MR420-2"), "topics"}, "", 1, "no data server at " + dir_ + "/MR420-2"},
    });
}

TEST_F(CommandLineClientTest, FindsTopicsOfEveryInstance) {
    // Two programs, the second with only a pressure pane, and a gap before it
    // when the first has stopped.
    ASSERT_TRUE(server_.start(12, panes()));
    LocalDataServer second;
    second.setSocketDirectory(dir_);
    ASSERT_TRUE(second.start(34, pressureOnly()));
    ASSERT_EQ(second.socketPath(), dir_ + "/MR420-2");
    expectCalls({
        {{"topics"}, "Temperatura1#12\nWilgotność#12\nRosa#12\nCiśnienie#12\nCiśnienie#34\n", 0, ""},
        {{"get", "Ciśnienie#34", "Pomiar"}, "990.0 hPa\n", 0, ""},
        {{"get", "Ciśnienie#12", "Wynik"}, "1013.2\n", 0, ""},
        {{"get", "Ciśnienie#56", "Wynik"}, "", 1, "ERR unknown topic"},
    });
    server_.stop();
    expectCalls({{{"topics"}, "Ciśnienie#34\n", 0, ""}});

    std::unique_ptr<QProcess> follow(launch({"follow", "Ciśnienie#34", "Wynik"}));
    std::string out;
    QElapsedTimer timer;
    timer.start();
    LiveReadings p = pressureOnly();
    while (std::count(out.begin(), out.end(), '\n') < 3 && timer.elapsed() < 10000) {
        if (!out.empty()) {   // the line sent at once has arrived: now the refreshes
            p[kChannelPressure].value += 1.0;
            second.publish(p);
        }
        for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
        follow->waitForReadyRead(5);
        out += follow->readAllStandardOutput().toStdString();
    }
    EXPECT_EQ(out.substr(0, 12), "990.0\n991.0\n");
    EXPECT_GE(std::count(out.begin(), out.end(), '\n'), 3);
    second.stop();
    follow->waitForFinished(3000);
    EXPECT_EQ(follow->state(), QProcess::NotRunning);
    EXPECT_EQ(follow->exitCode(), 0);
}

}  // namespace
}  // namespace mr420
