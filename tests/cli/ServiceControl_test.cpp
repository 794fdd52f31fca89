// The control socket of the service: the request line both ways, and the
// server on the plain event loop against good and hostile clients.

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "base/EventLoop.h"
#include "cli/ServiceControl.h"
#include "support/SocketClient.h"
#include "support/TestSupport.h"

namespace mr420::cli {
namespace {

using namespace std::chrono_literals;

TEST(ControlRequest, ArgumentsWithTabsLineEndsAndBackslashesComeBackAsSent) {
    const std::vector<std::string> args{"set", "modem", "station=Hala\t3\\x", "--comment", "a\nb", ""};
    const std::string line = encodeControlRequest("/home/me", args);
    EXPECT_EQ(line, "RUN\t/home/me\tset\tmodem\tstation=Hala\\t3\\\\x\t--comment\ta\\nb\t\n");
    const auto back = decodeControlRequest(line);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->cwd, "/home/me");
    std::vector<std::string> expected{"mr420-cli"};
    expected.insert(expected.end(), args.begin(), args.end());
    EXPECT_EQ(back->arguments, expected);
    for (const std::string& bad : std::vector<std::string>{"", "RUN", "RUN\t\n", "RUN\trelative\tinfo\n", "GET\t/\tinfo\n", "RUN\t/\tin\\qfo\n",
                                  "RUN\t/\tinfo\\", "RUN\t/\tin\rfo\n", "RUN\t/\t" + std::string(1100, 'x') + "\n"})
        EXPECT_FALSE(decodeControlRequest(bad)) << bad;
}

using Client = test::SocketClient;

TEST(ControlServer, RunsOneRequestAtATimeAndClosesHostileClients) {
    EventLoop loop;
    std::vector<std::string> ran;
    bool woken = false;
    ControlServer server(
        loop,
        [&](const ControlRequest& r, const CliStreams& io) {
            ran.push_back(r.arguments.at(1));
            std::fprintf(io.out, "out of %s\n", r.arguments.at(1).c_str());
            std::fprintf(io.err, "said\n");
            return 4;
        },
        [&] { woken = true; });
    ASSERT_TRUE(server.listen(test::makeTempDir("control")));
    Client good(server.path()), garbage(server.path()), overlong(server.path());
    const std::string request = encodeControlRequest("/", {"info"});
    ASSERT_EQ(::send(good.fd, request.data(), request.size(), 0), ssize_t(request.size()));
    ASSERT_EQ(::send(garbage.fd, "HELLO\n", 6, 0), 6);
    const std::string longLine(kMaxControlLine + 2, 'x');
    ASSERT_EQ(::send(overlong.fd, longLine.data(), longLine.size(), 0), ssize_t(longLine.size()));
    std::string ignored;
    EXPECT_TRUE(loop.runFor(3s, [&] { return woken && !garbage.read(ignored) && !overlong.read(ignored); }));
    EXPECT_TRUE(ran.empty());   // nothing runs inside the socket's handler
    server.runWaiting();
    EXPECT_EQ(ran, std::vector<std::string>{"info"});
    std::string got;
    loop.runFor(3s, [&] { good.read(got); return got.find(controlFrame('x', "4")) != std::string::npos; });
    EXPECT_EQ(got, controlFrame('o', "out of info\n") + controlFrame('e', "said\n") + controlFrame('x', "4"));
    EXPECT_EQ(server.clientCount(), 1);
}

}  // namespace
}  // namespace mr420::cli
