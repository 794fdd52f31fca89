#include "sim/PtyPanel.h"
#include "support/Pty.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "protocol/Frame.h"
#include "protocol/ReplyParser.h"
#include "sim/Scenarios.h"
#include "support/TestSupport.h"

namespace mr420::sim {
namespace {

using Clock = std::chrono::steady_clock;

using test::openRawTerminal;

void send(int fd, const std::string& text) { ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size())); }

std::string readLine(int fd, int timeoutMs = 2000) { return test::readLineFrom(fd, std::chrono::milliseconds(timeoutMs)); }

bool identityReplyValid(const std::string& line, int* serial = nullptr) {
    PanelState state;
    ReplyParser parser(state);
    const bool ok = parser.parse(line.data(), line.size(), 0);
    if (serial) *serial = state.panelSerialNumber;
    return ok;
}

class PtyPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = test::makeTempDir("ptypanel-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        link = dir + "/panel";
    }
    std::string dir;
    std::string link;
};

TEST_F(PtyPanelTest, AnswersOnTheSlaveAndThroughTheLink) {
    PtyPanel panel(makeScenario("mr411-baro", 0)->model, {}, link);
    const auto path = panel.start();
    ASSERT_TRUE(path) << panel.lastError();
    EXPECT_EQ(path->rfind("/dev/pts/", 0), 0u);
    char target[256] = {};
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), *path);

    const int fd = openRawTerminal(link);
    ASSERT_GE(fd, 0);
    send(fd, "020A00F4\r\n");
    const std::string reply = readLine(fd);
    EXPECT_TRUE(identityReplyValid(reply)) << reply;

    // Frames split across writes and merged into one are both answered.
    send(fd, "0201");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    send(fd, "00FD\r\n030000FD\r\n");
    EXPECT_EQ(readLine(fd).substr(0, 7), "020100:");
    EXPECT_EQ(readLine(fd).substr(0, 7), "030000:");
    // A bad frame gets nothing.
    send(fd, "020A00F5\r\n");
    EXPECT_EQ(readLine(fd, 300), "");
    ::close(fd);

    panel.stop();
    EXPECT_NE(::access(link.c_str(), F_OK), 0);   // the link goes with the panel
}

TEST_F(PtyPanelTest, ModelAndFaultsChangeWhileRunning) {
    PtyPanel panel;
    const auto path = panel.start();
    ASSERT_TRUE(path);
    const int fd = openRawTerminal(*path);
    ASSERT_GE(fd, 0);
    panel.withModel([](PanelModel& m) { m.panelSerialNumber = 0x4242; });
    send(fd, "020A00F4\r\n");
    int serial = 0;
    EXPECT_TRUE(identityReplyValid(readLine(fd), &serial));
    EXPECT_EQ(serial, 0x4242);

    FaultConfig f;
    f.delayMs = 150;
    panel.setFaults(f);
    auto begin = Clock::now();
    send(fd, "020A00F4\r\n");
    EXPECT_TRUE(identityReplyValid(readLine(fd)));
    EXPECT_GE(Clock::now() - begin, std::chrono::milliseconds(140));

    f.delayMs = 0;
    f.pace = true;
    panel.setFaults(f);
    begin = Clock::now();
    send(fd, "020A00F4\r\n");
    const std::string paced = readLine(fd);
    EXPECT_TRUE(identityReplyValid(paced));
    // 9600 baud: about 1.04 ms for each of the reply's characters.
    EXPECT_GE(Clock::now() - begin, std::chrono::microseconds(static_cast<long long>(paced.size() * 1000)));

    panel.setFaults({});
    panel.silenceFor(0.3);
    send(fd, "020A00F4\r\n");
    EXPECT_EQ(readLine(fd, 200), "");
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    send(fd, "020A00F4\r\n");
    EXPECT_TRUE(identityReplyValid(readLine(fd)));
    EXPECT_GE(panel.framesReceived(), 5u);
    ::close(fd);
}

TEST_F(PtyPanelTest, ClientMayCloseAndReopen) {
    PtyPanel panel;
    const auto path = panel.start();
    ASSERT_TRUE(path);
    for (int round = 0; round < 3; ++round) {
        const int fd = openRawTerminal(*path);
        ASSERT_GE(fd, 0) << "round " << round;
        ASSERT_EQ(::ioctl(fd, TIOCEXCL), 0);
        send(fd, "020A00F4\r\n");
        EXPECT_TRUE(identityReplyValid(readLine(fd))) << "round " << round;
        send(fd, "030000FD\r\n");   // its reply stays unread
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ::close(fd);
        // The panel lifts the exclusive mode the client left behind.
        int exclusive = 1;
        for (int i = 0; i < 100 && exclusive; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            const int probe = ::open(path->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            ASSERT_GE(probe, 0);
            ASSERT_EQ(::ioctl(probe, TIOCGEXCL, &exclusive), 0);
            ::close(probe);
        }
        EXPECT_EQ(exclusive, 0);
    }
    // The stale reply was dropped: the first line after reopening answers the new frame.
    const int fd = openRawTerminal(*path);
    ASSERT_GE(fd, 0);
    send(fd, "020100FD\r\n");
    EXPECT_EQ(readLine(fd).substr(0, 7), "020100:");
    ::close(fd);
}

TEST_F(PtyPanelTest, CloseAndRecreateKeepsTheLink) {
    PtyPanel panel({}, {}, link);
    const auto first = panel.start();
    ASSERT_TRUE(first);
    const int old = openRawTerminal(link);
    ASSERT_GE(old, 0);
    send(old, "020A00F4\r\n");
    EXPECT_TRUE(identityReplyValid(readLine(old)));

    const auto second = panel.closeAndRecreate();
    ASSERT_TRUE(second) << panel.lastError();
    EXPECT_NE(*second, *first);   // the old device is still held open by the client
    char target[256] = {};
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), *second);

    // The old device has lost its master.
    pollfd p{old, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 1000), 1);
    EXPECT_NE(p.revents & (POLLHUP | POLLERR), 0);
    char c;
    EXPECT_LE(::read(old, &c, 1), 0);
    ::close(old);

    const int fd = openRawTerminal(link);
    ASSERT_GE(fd, 0);
    send(fd, "020A00F4\r\n");
    EXPECT_TRUE(identityReplyValid(readLine(fd)));
    ::close(fd);
}

TEST_F(PtyPanelTest, TranscriptRecordsFramesAndReplies) {
    const std::string file = dir + "/transcript.txt";
    PtyPanel panel;
    ASSERT_TRUE(panel.setTranscript(file));
    const auto path = panel.start();
    ASSERT_TRUE(path);
    const int fd = openRawTerminal(*path);
    send(fd, "020A00F4\r\n");
    const std::string reply = readLine(fd);
    send(fd, "020A00F5\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ::close(fd);
    panel.stop();

    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    const std::string log = text.str();
    EXPECT_NE(log.find(" > 020A00F4\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" < " + reply.substr(0, reply.size() - 2) + "\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" > 020A00F5\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" - no reply\n"), std::string::npos) << log;
}

}  // namespace
}  // namespace mr420::sim
