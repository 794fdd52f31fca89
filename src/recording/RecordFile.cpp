#include "recording/RecordFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mr420 {

RecordFile::~RecordFile() { close(); }

RecordFile::OpenResult RecordFile::open(const std::string& path) {
    close();
    if (path.empty()) return OpenResult::Failed;
    bool existed = false;
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd >= 0) {
        existed = true;
    } else if (errno == ENOENT) {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EEXIST) {
            fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
            existed = fd >= 0;
        }
    }
    if (fd < 0) return OpenResult::Failed;
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        ::lseek(fd, 0, SEEK_END) < 0) {
        ::close(fd);
        return OpenResult::Failed;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    fd_ = fd;
    path_ = path;
    lastWriteFailed_ = false;
    return existed ? OpenResult::Existed : OpenResult::Created;
}

void RecordFile::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    path_.clear();
    lastWriteFailed_ = false;
}

bool RecordFile::positionForAppend() {
    return fd_ >= 0 && ::lseek(fd_, 0, SEEK_END) >= 0;
}

bool RecordFile::truncate() {
    return fd_ >= 0 && ::ftruncate(fd_, 0) == 0 && ::lseek(fd_, 0, SEEK_SET) == 0;
}

bool RecordFile::writeAll(std::string_view bytes) {
    if (fd_ < 0) return false;
    off_t start = ::lseek(fd_, 0, SEEK_CUR);
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            // Take back whatever part of the record reached the file.
            if (start >= 0 && done > 0) {
                if (::ftruncate(fd_, start) == 0) ::lseek(fd_, start, SEEK_SET);
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool RecordFile::writeRecord(std::string_view bytes) {
    bool ok = writeAll(bytes) && sync();
    lastWriteFailed_ = !ok;
    return ok;
}

bool RecordFile::writeUnsynced(std::string_view bytes) {
    bool ok = writeAll(bytes);
    lastWriteFailed_ = !ok;
    return ok;
}

bool RecordFile::sync() {
    if (fd_ < 0) return false;
    int r;
    do {
        r = ::fdatasync(fd_);
    } while (r != 0 && errno == EINTR);
    return r == 0;
}

}  // namespace mr420
