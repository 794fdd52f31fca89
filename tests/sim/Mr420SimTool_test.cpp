// Runs the mr420-sim program itself: it prints its device, answers frames
// written to it and ends on SIGTERM.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "protocol/PanelState.h"
#include "protocol/ReplyParser.h"
#include "support/TestSupport.h"

extern char** environ;

namespace mr420 {
namespace {

const std::string kTool = std::string(MR420_BINARY_DIR) + "/bin/mr420-sim";

struct Child {
    pid_t pid = -1;
    int out = -1;   // its stdout
};

Child spawnTool(const std::vector<std::string>& args) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(kTool.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    Child child;
    if (posix_spawn(&child.pid, kTool.c_str(), &actions, nullptr, argv.data(), environ) != 0) child.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    child.out = pipeFds[0];
    return child;
}

std::string readLine(int fd, int timeoutMs = 3000) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        char c;
        if (::read(fd, &c, 1) != 1) break;
        line.push_back(c);
        if (c == '\n') break;
    }
    return line;
}

int waitExit(pid_t pid) {
    int status = 0;
    for (int i = 0; i < 300; ++i) {
        if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        ::usleep(10000);
    }
    test::signalChild(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -2;
}

std::string allOutput(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

TEST(Mr420SimTool, PrintsItsDeviceAnswersAndStopsOnSigterm) {
    const std::string dir = test::makeTempDir("simtool");
    const std::string link = dir + "/panel";
    const std::string transcript = dir + "/traffic.txt";
    Child child = spawnTool({"--scenario", "mr466-two-temps", "--link", link, "--transcript", transcript, "--static"});
    ASSERT_GT(child.pid, 0);
    const std::string path = readLine(child.out);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
    EXPECT_EQ(path.back(), '\n');

    const int fd = ::open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    ASSERT_EQ(::write(fd, "050100FA\r\n", 10), 10);
    const std::string reply = readLine(fd);
    PanelState state;
    ReplyParser parser(state);
    EXPECT_TRUE(parser.parse(reply.data(), reply.size(), 1)) << reply;
    EXPECT_EQ(state.mr466Absent, 0);
    EXPECT_EQ(state.mr466HasTemperature2, 1);
    ::close(fd);

    ASSERT_TRUE(test::signalChild(child.pid, SIGTERM));
    EXPECT_EQ(waitExit(child.pid), 0);
    ::close(child.out);
    EXPECT_NE(::access(link.c_str(), F_OK), 0);
    std::ifstream in(transcript);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("> 050100FA"), std::string::npos) << text.str();
}

TEST(Mr420SimTool, FaultOptionsApply) {
    Child child = spawnTool({"--bad-lrc-every", "2", "--silent-for", "020100", "--instant"});
    ASSERT_GT(child.pid, 0);
    std::string path = readLine(child.out);
    ASSERT_FALSE(path.empty());
    path.pop_back();
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
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
    test::signalChild(child.pid, SIGINT);
    EXPECT_EQ(waitExit(child.pid), 0);
    ::close(child.out);
}

int openRaw(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return fd;
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    return fd;
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
        Child child = spawnTool(c.options);
        ASSERT_GT(child.pid, 0);
        std::string path = readLine(child.out);
        ASSERT_FALSE(path.empty());
        path.pop_back();
        const int fd = openRaw(path);
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
        test::signalChild(child.pid, SIGTERM);
        EXPECT_EQ(waitExit(child.pid), 0);
        ::close(child.out);
    }
}

TEST(Mr420SimTool, HelpListsScenariosAndBadInputFails) {
    Child help = spawnTool({"--help"});
    ASSERT_GT(help.pid, 0);
    const std::string text = allOutput(help.out);
    EXPECT_EQ(waitExit(help.pid), 0);
    ::close(help.out);
    for (const char* word : {"--link", "--transcript", "--bad-lrc-every", "--instant", "--pace", "--delay-ms", "--silent-for",
                             "mr411-baro", "mr466-two-temps", "mr466-humidity", "no-probe", "old-firmware",
                             "modem-208", "memory", "faulty-line"})
        EXPECT_NE(text.find(word), std::string::npos) << word;

    Child bad = spawnTool({"--scenario", "no-such-panel"});
    ASSERT_GT(bad.pid, 0);
    EXPECT_EQ(waitExit(bad.pid), 2);
    EXPECT_EQ(allOutput(bad.out), "");
    ::close(bad.out);
}

}  // namespace
}  // namespace mr420
