// The data server on the plain event loop, as a service without a window
// runs it: a client asks and follows, a hostile one is closed, and the
// server never waits for either.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>

#include "base/EventLoop.h"
#include "publish/DataServer.h"
#include "support/SocketClient.h"
#include "support/TestSupport.h"

namespace mr420 {
namespace {

using namespace std::chrono_literals;

using Client = test::SocketClient;

class DataServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.setSocketDirectory(test::makeTempDir("data-server"));
        panes[kChannelTemp1] = {true, true, false, 21.56, 3, false};
        ASSERT_TRUE(server.start(4711, panes));
        ASSERT_TRUE(server.isListening());
    }
    // Runs the loop until `client` has received text ending in `last`.
    std::string answerTo(Client& client, const std::string& line, const std::string& last) {
        client.send(line);
        std::string got;
        loop.runFor(3s, [&] { client.read(got); return got.size() >= last.size() && got.ends_with(last); });
        return got;
    }

    EventLoop loop;
    DataServer server{loop};
    LiveReadings panes{};
};

TEST_F(DataServerTest, AnswersAndFollowsOnThePlainEventLoop) {
    Client client(server.socketPath());
    EXPECT_EQ(answerTo(client, "TOPICS\n", "END\n"), "TOPIC Temperatura1#4711\nEND\n");
    EXPECT_EQ(answerTo(client, "ADVISE Temperatura1#4711 Wynik\r\n", "\n"), "OK\nDATA Temperatura1#4711 Wynik 21.5\n");
    panes[kChannelTemp1].value = 22.04;
    server.publish(panes);
    EXPECT_EQ(answerTo(client, "", "\n"), "DATA Temperatura1#4711 Wynik 22.0\n");
    EXPECT_EQ(server.clientCount(), 1);
}

TEST_F(DataServerTest, AnOverlongLineOrAHangUpEndsOnlyThatClient) {
    Client hostile(server.socketPath()), leaving(server.socketPath()), staying(server.socketPath());
    loop.runFor(3s, [&] { return server.clientCount() == 3; });
    hostile.send(std::string(1025, 'x') + "\n");   // one byte over the limit
    ::shutdown(leaving.fd, SHUT_WR);
    std::string ignored;
    bool open = true;
    EXPECT_TRUE(loop.runFor(3s, [&] { open = open && hostile.read(ignored); return !open && server.clientCount() == 1; }))
        << "clients left: " << server.clientCount();
    EXPECT_EQ(answerTo(staying, "TOPICS\n", "END\n"), "TOPIC Temperatura1#4711\nEND\n");
    const std::string path = server.socketPath();
    server.stop();
    EXPECT_FALSE(server.isListening());
    EXPECT_NE(::access(path.c_str(), F_OK), 0);   // the socket file is gone
}

}  // namespace
}  // namespace mr420
