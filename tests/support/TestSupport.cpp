#include "support/TestSupport.h"

#include <sys/socket.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "protocol/Frame.h"

namespace mr420::test {

std::string replyWithLrc(const std::string& textWithoutLrc) {
    std::string digits;
    for (char c : textWithoutLrc)
        if (c != ':') digits.push_back(c);
    std::string line = textWithoutLrc;
    appendHex(line, lrcOfHexText(digits.data(), digits.size()), 2);
    line += "\r\n";
    return line;
}

std::string makeTempDir(const std::string& name) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("mr420-test-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

bool signalChild(pid_t pid, int signal) { return pid > 0 && ::kill(pid, signal) == 0; }

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout, std::chrono::milliseconds pause) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(pause);
    }
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

LocaleGuard::LocaleGuard(const char* name) : ok_(std::setlocale(LC_ALL, name) != nullptr) {}
LocaleGuard::~LocaleGuard() { std::setlocale(LC_ALL, "C"); }

EnvGuard::EnvGuard(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    set(value);
}
EnvGuard::~EnvGuard() { set(saved_ ? saved_->c_str() : nullptr); }
void EnvGuard::set(const char* value) {
    if (value)
        ::setenv(name_.c_str(), value, 1);
    else
        ::unsetenv(name_.c_str());
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &oldAction_);
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit small = saved_;
    small.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &small);
}

FileSizeLimit::~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    sigaction(SIGXFSZ, &oldAction_, nullptr);
}

}  // namespace mr420::test
