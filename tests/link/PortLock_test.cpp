// The port lock: flock on the descriptor and LCK..<name> holding "%10d\n",
// stale files taken over, a live holder named, a lock directory that cannot
// be written only noted.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "link/PortLock.h"
#include "support/TestSupport.h"

namespace mr420 {
namespace {

// A pseudo-terminal whose slave stands for the serial device.
struct Device {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    std::string path;
    Device() {
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) path = ::ptsname(master);
    }
    ~Device() {
        if (master >= 0) ::close(master);
    }
    int open() const { return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); }
};

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string pidText(int pid) {
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", pid);
    return text;
}

// The PID of a process that has ended.
int endedPid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return static_cast<int>(child);
}

std::string ownProgram() {
    std::ifstream in("/proc/self/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

TEST(PortLock, TheLockFileNameIsTheLastPartOfTheRealPath) {
    Device device;
    ASSERT_FALSE(device.path.empty());
    const std::string dir = test::makeTempDir("portlock-name");
    const std::string link = dir + "/by-id-panel";
    std::filesystem::create_symlink(device.path, link);
    const std::string expected = "LCK.." + device.path.substr(device.path.rfind('/') + 1);
    EXPECT_EQ(PortLock::lockFileName(device.path), expected);
    EXPECT_EQ(PortLock::lockFileName(link), expected);
    EXPECT_EQ(PortLock::lockFileName("/dev/ttyUSB7"), "LCK..ttyUSB7");   // not there: the name itself
}

TEST(PortLock, AnExistingLockFileIsTakenOverOnlyWhenItsProcessIsGone) {
    Device device;
    ASSERT_FALSE(device.path.empty());
    const int self = static_cast<int>(::getpid());
    struct Case {
        const char* what;
        std::optional<std::string> before;   // the lock file found, none when nullopt
        bool taken;
        int holder;
    } cases[] = {
        {"none", std::nullopt, true, 0},
        {"ours", pidText(self), true, 0},
        {"stale", pidText(endedPid()), true, 0},
        {"no PID in it", std::string("garbage\n"), true, 0},
        {"a live process", pidText(1), false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string dir = test::makeTempDir("portlock-take");
        const std::string file = dir + "/" + PortLock::lockFileName(device.path);
        if (c.before) std::ofstream(file, std::ios::binary) << *c.before;
        const int fd = device.open();
        ASSERT_GE(fd, 0);
        {
            PortLock lock(dir);
            EXPECT_EQ(lock.acquire(fd, device.path), c.taken);
            EXPECT_EQ(lock.holder().pid, c.holder);
            EXPECT_EQ(fileText(file), c.taken ? pidText(self) : *c.before);
            EXPECT_EQ(lock.lockFilePath(), c.taken ? file : "");
        }
        // Released: our file is gone, another's is left.
        EXPECT_EQ(std::filesystem::exists(file), !c.taken);
        // A refusal leaves no flock behind.
        if (!c.taken) {
            EXPECT_TRUE(PortLock(test::makeTempDir("portlock-after")).acquire(fd, device.path));
        }
        ::close(fd);
        // No temporary file is left beside it.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()),
                  c.taken ? 0 : 1);
    }
}

TEST(PortLock, ASecondOpenOfTheDeviceIsRefusedAndTheHolderNamed) {
    Device device;
    ASSERT_FALSE(device.path.empty());
    const std::string dir = test::makeTempDir("portlock-flock");
    const int first = device.open(), second = device.open();
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    PortLock holder(dir), other(dir);
    ASSERT_TRUE(holder.acquire(first, device.path));
    EXPECT_FALSE(other.acquire(second, device.path));
    EXPECT_EQ(other.holder().pid, static_cast<int>(::getpid()));
    EXPECT_EQ(other.holder().program, ownProgram());
    // Without a lock file to read, the flock itself names the holder.
    PortLock nowhere(dir + "/missing");
    EXPECT_FALSE(nowhere.acquire(second, device.path));
    EXPECT_EQ(nowhere.holder().pid, static_cast<int>(::getpid()));
    EXPECT_EQ(nowhere.findHolder(device.path).pid, static_cast<int>(::getpid()));
    // Taken again for the same device (a reopen): still ours.
    EXPECT_TRUE(holder.acquire(first, device.path));
    EXPECT_EQ(fileText(holder.lockFilePath()), pidText(static_cast<int>(::getpid())));
    ::close(first);
    ::close(second);
}

TEST(PortLock, AMissingLockDirectoryLeavesTheFlockToHoldThePort) {
    Device device;
    ASSERT_FALSE(device.path.empty());
    const std::string dir = test::makeTempDir("portlock-nodir") + "/none";
    const int first = device.open(), second = device.open();
    PortLock lock(dir);
    EXPECT_TRUE(lock.acquire(first, device.path));
    EXPECT_EQ(lock.lockFilePath(), "");
    EXPECT_NE(lock.note().find(dir), std::string::npos) << lock.note();
    EXPECT_FALSE(PortLock(dir).acquire(second, device.path));
    ::close(first);
    ::close(second);
}

TEST(PortLock, TheDirectoryComesFromTheEnvironmentWhenNoneIsGiven) {
    ::setenv("MR420_LOCK_DIR", "/tmp/mr420-locks", 1);
    EXPECT_EQ(PortLock().directory(), "/tmp/mr420-locks");
    ::unsetenv("MR420_LOCK_DIR");
    EXPECT_EQ(PortLock().directory(), "/run/lock");
}

}  // namespace
}  // namespace mr420
