// The port lock: flock on the descriptor and LCK..<name> holding "%10d\n".

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "link/PortLock.h"
#include "support/TestSupport.h"

namespace mr420 {
namespace {

namespace fs = std::filesystem;

using mr420::test::readFile;

std::string pidText(int pid) {
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", pid);
    return text;
}

// A pseudo-terminal's slave stands for the device.
struct Device {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    std::string path = master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0 ? ::ptsname(master) : "";
    ~Device() { ::close(master); }
    int open() const { return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); }
};

TEST(PortLock, AnExistingLockFileIsTakenOverOnlyWhenItsProcessIsGone) {
    Device device;
    ASSERT_FALSE(device.path.empty());
    const int self = static_cast<int>(::getpid());
    const pid_t ended = ::fork();
    if (ended == 0) ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    const struct {
        std::optional<std::string> before;   // the lock file found
        bool taken;
        int holder;
    } cases[] = {{std::nullopt, true, 0}, {pidText(self), true, 0}, {pidText(ended), true, 0},
                 {"garbage\n", true, 0},  {pidText(1), false, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before.value_or("none"));
        const std::string dir = test::makeTempDir("portlock-take");
        const std::string file = dir + "/" + PortLock::lockFileName(device.path);
        if (c.before) std::ofstream(file, std::ios::binary) << *c.before;
        const int fd = device.open();
        {
            PortLock lock(dir);
            EXPECT_EQ(lock.acquire(fd, device.path), c.taken);
            EXPECT_EQ(lock.holder().pid, c.holder);
            EXPECT_EQ(readFile(file), c.taken ? pidText(self) : *c.before);
        }
        // Released: ours is gone, another's stays, no temporary is left, no flock.
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), c.taken ? 0 : 1);
        EXPECT_TRUE(PortLock(dir + "/none").acquire(fd, device.path));
        ::close(fd);
    }
}

TEST(PortLock, ASecondOpenIsRefusedAndTheHolderNamedWithOrWithoutALockFile) {
    Device device;
    ASSERT_FALSE(device.path.empty());
    const std::string dir = test::makeTempDir("portlock-flock");
    fs::create_symlink(device.path, dir + "/by-id");
    const std::string name = "LCK.." + device.path.substr(device.path.rfind('/') + 1);
    EXPECT_EQ(PortLock::lockFileName(dir + "/by-id"), name);   // the real device's name
    const int first = device.open(), second = device.open();
    PortLock holder(dir);
    ASSERT_TRUE(holder.acquire(first, dir + "/by-id"));
    EXPECT_EQ(holder.lockFilePath(), dir + "/" + name);
    EXPECT_TRUE(holder.acquire(first, device.path));   // a reopen keeps it
    for (const std::string& lockDir : {dir, dir + "/missing"}) {
        PortLock other(lockDir);
        EXPECT_FALSE(other.acquire(second, device.path)) << lockDir;
        EXPECT_EQ(other.holder().pid, static_cast<int>(::getpid())) << lockDir;   // from the file, or the flock
        EXPECT_FALSE(other.holder().program.empty());
    }
    ::close(first);
    // Without a lock directory the flock alone holds the port.
    PortLock nowhere(dir + "/missing");
    EXPECT_TRUE(nowhere.acquire(second, device.path));
    EXPECT_NE(nowhere.note().find(dir + "/missing"), std::string::npos) << nowhere.note();
    ::close(second);
}

TEST(PortLock, TheProgramsOwnServiceIsFoundInTheCgroupPath) {
    const struct {
        const char* cgroup;
        const char* unit;
        bool user;
    } cases[] = {
        {"0::/user.slice/user-1000.slice/user@1000.service/app.slice/mr420.service\n", "mr420.service", true},
        {"0::/system.slice/mr420@3.service\n", "mr420@3.service", false},
        {"12:cpu:/\n1:name=systemd:/user.slice/user-1000.slice/user@1000.service/mr420@2.service\n", "mr420@2.service", true},
        // A terminal's server is a service, the shell in it is not the program's.
        {"0::/user.slice/user-1000.slice/user@1000.service/app.slice/gnome-terminal-server.service\n", "", true},
        {"0::/user.slice/user-1000.slice/session-3.scope\n", "", false},
        {"", "", false},
        {"garbage without a path", "", false},
    };
    for (const auto& c : cases) {
        PortHolder holder{1, "x", "stale", true};
        readServiceUnit(c.cgroup, holder);
        EXPECT_EQ(holder.unit, c.unit) << c.cgroup;
        EXPECT_EQ(holder.userUnit, c.user) << c.cgroup;
    }
}

}  // namespace
}  // namespace mr420
