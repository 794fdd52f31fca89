// The settings store's file: reading it at open, and saving it atomically
// (with a backup when asked) at save and close.
#include "base/IniFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

namespace mr420 {

namespace {

// A settings file is a few kilobytes; this only stops a wrong path (a disk
// image, say) from being pulled into memory.
constexpr off_t kMaxFileSize = 64 * 1024 * 1024;

bool writeAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads a whole regular file; Failed for anything else or on a read error,
// TooLarge for a regular file above kMaxFileSize.
enum class ReadResult { Ok, Missing, Failed, TooLarge };
ReadResult readRegularFile(const std::string& path, std::string& out) {
    // O_NONBLOCK so that a FIFO at the path cannot hang the open.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadResult::Failed;
    }
    if (st.st_size > kMaxFileSize) {
        ::close(fd);
        return ReadResult::TooLarge;
    }
    out.clear();
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return ReadResult::Failed;
        }
        if (n == 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
        if (out.size() > static_cast<std::size_t>(kMaxFileSize)) {
            ::close(fd);
            return ReadResult::TooLarge;
        }
    }
    ::close(fd);
    return ReadResult::Ok;
}

std::string directoryOf(const std::string& path) {
    std::size_t p = path.rfind('/');
    if (p == std::string::npos) return ".";
    if (p == 0) return "/";
    return path.substr(0, p);
}

}  // namespace

bool IniFile::open(const std::string& path, bool saveWhenClosed, bool createIfMissing, bool caseBlind,
                   bool backup) {
    begin(path, saveWhenClosed, createIfMissing, caseBlind, backup);
    if (path.empty()) return false;

    std::string bytes;
    for (int attempt = 0; attempt < 2; ++attempt) {
        ReadResult r = readRegularFile(path, bytes);
        if (r == ReadResult::TooLarge || (r == ReadResult::Ok && !isSettingsText(bytes))) {
            notASettingsFile_ = true;
            return false;
        }
        if (r == ReadResult::Ok) {
            parse(bytes);
            opened_ = true;
            return true;
        }
        if (r == ReadResult::Failed || !createIfMissing_) return false;
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            opened_ = true;
            return true;
        }
        if (errno != EEXIST) return false;
        // Someone created it in between: read theirs.
    }
    return false;
}

bool IniFile::writeBackup(const std::string& target, const std::string& old) const {
    for (int n = 1; n < 10000; ++n) {
        std::string name = target + "." + std::to_string(n);
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        bool ok = writeAll(fd, old) && ::fsync(fd) == 0;
        ok = ::close(fd) == 0 && ok;
        return ok;
    }
    return false;
}

bool IniFile::save() {
    if (path_.empty() || notASettingsFile_) return false;
    // Write through a symbolic link instead of replacing the link itself.
    std::string target = path_;
    if (char* resolved = ::realpath(path_.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    struct stat st {};
    bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) return false;
    // Looked at again now: the file may have been replaced since it was read,
    // or could not be read at open.
    std::string old;
    ReadResult r = exists ? readRegularFile(target, old) : ReadResult::Missing;
    if (r == ReadResult::TooLarge || (r == ReadResult::Ok && !isSettingsText(old))) {
        notASettingsFile_ = true;
        return false;
    }
    if (backup_ && r != ReadResult::Missing && (r != ReadResult::Ok || !writeBackup(target, old))) return false;

    static std::atomic<unsigned> counter{0};
    std::string temp = target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = true;
    if (exists) ok = ::fchmod(fd, st.st_mode & 07777) == 0;
    ok = ok && writeAll(fd, serialise()) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here leaves a complete file.
    int dir = ::open(directoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    dirty_ = false;
    return true;
}

bool IniFile::close() {
    bool ok = true;
    if (active_ && dirty_ && saveWhenClosed_) ok = save();
    clearStore();
    path_.clear();
    active_ = false;
    opened_ = false;
    dirty_ = false;
    return ok;
}

}  // namespace mr420
