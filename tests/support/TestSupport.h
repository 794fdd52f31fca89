#pragma once
// Shared helpers of the tests.

#include <string>

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <optional>

namespace mr420::test {

// Builds a reply line from its text without LRC: appends the LRC and CR LF.
// Colons in the text are kept and are not part of the sum.
std::string replyWithLrc(const std::string& textWithoutLrc);

// Where the translation source files are, for the tests that switch to English.
inline const std::string kTranslationsDir = std::string(MR420_SOURCE_DIR) + "/resources/translations";

// A fresh empty directory below the build tree for one test.
std::string makeTempDir(const std::string& name);

// Sends `signal` to a child the test started. A pid that is not a child's
// (0, or -1 from a failed start) is refused: kill() would signal the
// process group or every process the user may signal.
bool signalChild(pid_t pid, int signal);

// Asks `done` every `pause` until it holds (true) or `timeout` has passed
// (false); once more at the end, and never again after it held.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
               std::chrono::milliseconds pause = std::chrono::milliseconds(2));

// A file's bytes as they are; "" for a file that cannot be read.
std::string readFile(const std::string& path);
// Writes `bytes` as the whole file.
void writeFile(const std::string& path, const std::string& bytes);

// Sets the C library's locale for one test and sets "C" back at the end;
// ok() tells whether the machine has the locale.
class LocaleGuard {
public:
    explicit LocaleGuard(const char* name);
    ~LocaleGuard();
    LocaleGuard(const LocaleGuard&) = delete;
    LocaleGuard& operator=(const LocaleGuard&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

// Sets an environment variable for one test (unsets it for nullptr) and
// puts the old value back at the end.
class EnvGuard {
public:
    EnvGuard(const char* name, const char* value);
    ~EnvGuard();
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;
    void set(const char* value);

private:
    std::string name_;
    std::optional<std::string> saved_;
};

// While it lives, no file of this process grows beyond `bytes`: it stands
// for a full disk, and a write past it fails with EFBIG (SIGXFSZ ignored).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    struct sigaction oldAction_ {};
};

}  // namespace mr420::test
