#include "link/PortLock.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace mr420 {

namespace {

constexpr const char* kDefaultDirectory = "/run/lock";
constexpr const char* kDirectoryVariable = "MR420_LOCK_DIR";
// Rounds of "stale, removed, try again" before a lock file is given up.
constexpr int kTakeOverAttempts = 3;

bool processAlive(int pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM); }

std::string programOf(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

// The PID a lock file holds: ASCII digits with blanks around them.
std::optional<int> pidInFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return std::nullopt;
    char text[32] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long pid = std::strtol(text, &end, 10);
    if (end == text || errno != 0 || pid <= 0 || pid > INT_MAX) return std::nullopt;
    for (; *end != '\0'; ++end)
        if (*end != ' ' && *end != '\n' && *end != '\r' && *end != '\t') return std::nullopt;
    return static_cast<int>(pid);
}

PortHolder holderOf(int pid) {
    PortHolder holder{pid, programOf(pid), {}, false};
    std::ifstream in("/proc/" + std::to_string(pid) + "/cgroup");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    readServiceUnit(text, holder);
    return holder;
}

// A process with a flock on the node: /proc/locks names the file by the
// device of its file system (major:minor in hex) and its inode.
int flockHolder(const std::string& devicePath) {
    struct stat st {};
    if (::stat(devicePath.c_str(), &st) != 0) return 0;
    char node[64];
    std::snprintf(node, sizeof node, "%02x:%02x:%lu", major(st.st_dev), minor(st.st_dev),
                  static_cast<unsigned long>(st.st_ino));
    std::ifstream in("/proc/locks");
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string id, kind, mode, access, where;
        int pid = 0;
        // "1: FLOCK  ADVISORY  WRITE 1234 00:05:88 0 EOF"; waiters carry "->".
        if (!(fields >> id >> kind) || kind != "FLOCK") continue;
        if (!(fields >> mode >> access >> pid >> where)) continue;
        if (where == node && pid > 0) return pid;
    }
    return 0;
}

}  // namespace

void readServiceUnit(const std::string& cgroupText, PortHolder& holder) {
    // The unified hierarchy's line ("0::/user.slice/.../mr420.service") or,
    // on older systems, the systemd controller's ("1:name=systemd:/...").
    std::string path;
    for (std::size_t at = 0; at < cgroupText.size();) {
        std::size_t end = cgroupText.find('\n', at);
        if (end == std::string::npos) end = cgroupText.size();
        const std::string line = cgroupText.substr(at, end - at);
        if (line.rfind("0::", 0) == 0 || line.find(":name=systemd:") != std::string::npos) path = line.substr(line.find(":/") + 1);
        at = end + 1;
    }
    holder.unit.clear();
    holder.userUnit = false;
    for (std::size_t at = 0; at < path.size();) {
        std::size_t end = path.find('/', at);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(at, end - at);
        // Only the program's own units: a terminal's server is a service too.
        if (part.rfind("user@", 0) == 0 && part.ends_with(".service")) holder.userUnit = true;
        else if (part.rfind("mr420", 0) == 0 && part.ends_with(".service")) holder.unit = part;
        at = end + 1;
    }
}

PortLock::PortLock(std::string lockDirectory)
    : directory_(lockDirectory.empty() ? defaultDirectory() : std::move(lockDirectory)) {}

PortLock::~PortLock() { release(); }

std::string PortLock::defaultDirectory() {
    const char* dir = std::getenv(kDirectoryVariable);
    return dir != nullptr && *dir != '\0' ? dir : kDefaultDirectory;
}

std::string PortLock::lockFileName(const std::string& devicePath) {
    std::string real = devicePath;
    if (char* resolved = ::realpath(devicePath.c_str(), nullptr)) {
        real = resolved;
        std::free(resolved);
    }
    while (real.size() > 1 && real.back() == '/') real.pop_back();
    const std::size_t slash = real.rfind('/');
    return "LCK.." + (slash == std::string::npos ? real : real.substr(slash + 1));
}

bool PortLock::acquire(int fd, const std::string& devicePath) {
    holder_ = {};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        holder_ = findHolder(devicePath);
        return false;
    }
    // Other flock errors (a file system without it) leave the lock file to do the work.
    const std::string path = directory_ + "/" + lockFileName(devicePath);
    if (!lockFile_.empty() && lockFile_ != path) release();
    switch (takeLockFile(path)) {
    case FileResult::Taken:
        lockFile_ = path;
        note_.clear();
        return true;
    case FileResult::NotWritten: return true;
    case FileResult::Held: break;
    }
    (void)::flock(fd, LOCK_UN);
    return false;
}

PortLock::FileResult PortLock::takeLockFile(const std::string& path) {
    const int self = static_cast<int>(::getpid());
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", self);
    // Written in full under a name of its own, then linked into place, so
    // that nobody reads a lock file that is only half there.
    const std::string temporary = directory_ + "/LTMP." + std::to_string(self);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        note_ = "lock file not written: " + directory_ + ": " + std::strerror(errno);
        return FileResult::NotWritten;
    }
    const std::size_t length = std::strlen(text);
    const bool written = ::write(fd, text, length) == static_cast<ssize_t>(length);
    ::close(fd);
    FileResult result = FileResult::NotWritten;
    note_ = "lock file not written: " + path + ": " + std::strerror(written ? EEXIST : EIO);
    for (int attempt = 0; written && attempt < kTakeOverAttempts; ++attempt) {
        if (::link(temporary.c_str(), path.c_str()) == 0) {
            result = FileResult::Taken;
            break;
        }
        if (errno != EEXIST) {
            note_ = "lock file not written: " + path + ": " + std::strerror(errno);
            break;
        }
        const std::optional<int> pid = pidInFile(path);
        if (pid && *pid == self) {
            result = FileResult::Taken;   // ours already (a reopen)
            break;
        }
        if (pid && processAlive(*pid)) {
            holder_ = holderOf(*pid);
            result = FileResult::Held;
            break;
        }
        // Its process is gone (or it holds no PID): stale, taken over.
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
            note_ = "stale lock file not removed: " + path + ": " + std::strerror(errno);
            break;
        }
    }
    ::unlink(temporary.c_str());
    return result;
}

void PortLock::release() {
    if (lockFile_.empty()) return;
    if (pidInFile(lockFile_) == static_cast<int>(::getpid())) ::unlink(lockFile_.c_str());
    lockFile_.clear();
}

PortHolder PortLock::findHolder(const std::string& devicePath) const {
    const std::optional<int> pid = pidInFile(directory_ + "/" + lockFileName(devicePath));
    if (pid && processAlive(*pid)) return holderOf(*pid);
    if (const int flocker = flockHolder(devicePath)) return holderOf(flocker);
    return {};
}

}  // namespace mr420
