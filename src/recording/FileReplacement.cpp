#include "recording/FileReplacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

namespace mr420 {

namespace {

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

FileReplacement::FileReplacement(const std::string& target) : target_(target) {
    if (char* resolved = ::realpath(target.c_str(), nullptr)) {
        target_ = resolved;
        std::free(resolved);
    }
    static std::atomic<unsigned> counter{0};
    temporary_ = target_ + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

FileReplacement::~FileReplacement() { discard(); }

bool FileReplacement::open() {
    discard();
    if (target_.empty()) {
        errno = ENOENT;
        return false;
    }
    ::unlink(temporary_.c_str());   // left by a process of the same number
    if (file_.open(temporary_) == RecordFile::OpenResult::Failed) return false;
    pending_ = true;
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0 && ::chmod(temporary_.c_str(), st.st_mode & 07777) != 0) {
        const int error = errno;
        discard();
        errno = error;
        return false;
    }
    return true;
}

bool FileReplacement::commit() {
    if (!pending_) {
        errno = EBADF;
        return false;
    }
    if (!file_.sync() || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        discard();
        errno = error;
        return false;
    }
    file_.close();
    pending_ = false;
    // Makes the rename itself durable; a failure here leaves a complete file.
    const int folder = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

void FileReplacement::discard() {
    file_.close();
    if (pending_) ::unlink(temporary_.c_str());
    pending_ = false;
}

}  // namespace mr420
