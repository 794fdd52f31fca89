// Runs the mr420-sim program itself: it prints its device, answers frames
// written to it and ends on SIGTERM.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "protocol/PanelState.h"
#include "protocol/ReplyParser.h"
#include "support/ChildProcess.h"
#include "support/Pty.h"
#include "support/TestSupport.h"

namespace mr420 {
namespace {

using namespace std::chrono_literals;

struct Tool : test::ChildProcess {
    explicit Tool(const std::vector<std::string>& args) : ChildProcess(test::binary("mr420-sim"), args) {}
};

using test::openRawTerminal;

std::string readLine(int fd, int timeoutMs = 3000) { return test::readLineFrom(fd, std::chrono::milliseconds(timeoutMs)); }

TEST(Mr420SimTool, PrintsItsDeviceAnswersAndStopsOnSigterm) {
    const std::string dir = test::makeTempDir("simtool");
    const std::string link = dir + "/panel";
    const std::string transcript = dir + "/traffic.txt";
    Tool child({"--scenario", "mr466-two-temps", "--link", link, "--transcript", transcript, "--static"});
    const std::string path = child.nextLine();   // a whole line, ended by LF
    EXPECT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;

    const int fd = openRawTerminal(link);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "050100FA\r\n", 10), 10);
    const std::string reply = readLine(fd);
    PanelState state;
    ReplyParser parser(state);
    EXPECT_TRUE(parser.parse(reply.data(), reply.size(), 1)) << reply;
    EXPECT_EQ(state.mr466Absent, 0);
    EXPECT_EQ(state.mr466HasTemperature2, 1);
    ::close(fd);

    ASSERT_TRUE(child.signal(SIGTERM));
    EXPECT_EQ(child.finish(10s).status, 0);
    EXPECT_NE(::access(link.c_str(), F_OK), 0);
    const std::string text = test::readFile(transcript);
    EXPECT_NE(text.find("> 050100FA"), std::string::npos) << text;
}

TEST(Mr420SimTool, FaultOptionsApply) {
    Tool child({"--bad-lrc-every", "2", "--silent-for", "020100", "--instant"});
    const int fd = openRawTerminal(child.nextLine());
    ASSERT_GE(fd, 0);
    PanelState state;
    ReplyParser parser(state);
    ASSERT_EQ(::write(fd, "020A00F4\r\n", 10), 10);
    std::string line = readLine(fd);
    EXPECT_TRUE(parser.parse(line.data(), line.size(), 0)) << line;
    ASSERT_EQ(::write(fd, "020A00F4\r\n", 10), 10);
    line = readLine(fd);
    EXPECT_FALSE(line.empty());
    EXPECT_FALSE(parser.parse(line.data(), line.size(), 0)) << line;   // the second reply's LRC is wrong
    ASSERT_EQ(::write(fd, "020100FD\r\n", 10), 10);
    EXPECT_EQ(readLine(fd, 300), "");
    ::close(fd);
    child.signal(SIGINT);
    EXPECT_EQ(child.finish(10s).status, 0);
}

TEST(Mr420SimTool, RepliesAtThePaceOf9600BaudUnlessInstant) {
    struct Case {
        std::vector<std::string> options;
        bool paced;
    };
    const Case cases[] = {
        {{}, true},
        {{"--pace"}, true},  // the old switch still works and changes nothing
        {{"--instant"}, false},
        {{"--pace", "--instant"}, false},
    };
    for (const Case& c : cases) {
        std::string options;
        for (const std::string& o : c.options) options += o + " ";
        SCOPED_TRACE("options: " + options);
        Tool child(c.options);
        const int fd = openRawTerminal(child.nextLine());
        ASSERT_GE(fd, 0);
        // The memory block read has the longest reply, 781 characters or more.
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(::write(fd, "04110000EB\r\n", 12), 12);
        const std::string reply = readLine(fd, 5000);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        PanelState state;
        ReplyParser parser(state);
        EXPECT_TRUE(parser.parse(reply.data(), reply.size(), 14)) << reply;
        ASSERT_GE(reply.size(), 781u);
        // At 9600 baud the last character cannot leave before all the others
        // have had their 1.04 ms; at once, the whole reply takes a fraction
        // of that (the bound leaves room for a loaded machine).
        const double linePace = static_cast<double>(reply.size() - 1) * 10.0 * 1000.0 / 9600.0;
        if (c.paced)
            EXPECT_GE(ms, linePace - 1.0);  // less a microsecond of rounding in the pacing
        else
            EXPECT_LT(ms, linePace / 2);
        ::close(fd);
        child.signal(SIGTERM);
        EXPECT_EQ(child.finish(10s).status, 0);
    }
}

TEST(Mr420SimTool, HelpListsScenariosAndBadInputFails) {
    const auto help = Tool({"--help"}).finish(10s);
    EXPECT_EQ(help.status, 0);
    const std::string& text = help.out;
    for (const char* word : {"--link", "--transcript", "--bad-lrc-every", "--instant", "--pace", "--delay-ms", "--silent-for",
                             "mr411-baro", "mr466-two-temps", "mr466-humidity", "no-probe", "old-firmware",
                             "modem-208", "memory", "faulty-line"})
        EXPECT_NE(text.find(word), std::string::npos) << word;

    const auto bad = Tool({"--scenario", "no-such-panel"}).finish(10s);
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "");
}

}  // namespace
}  // namespace mr420
