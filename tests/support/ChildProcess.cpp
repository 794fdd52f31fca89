#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TestSupport.h"

extern char** environ;

namespace mr420::test {

using namespace std::chrono_literals;

std::string binary(const std::string& name) { return std::string(MR420_BINARY_DIR) + "/bin/" + name; }

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::vector<std::string>& extraEnv, Errors errors) {
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "no pipe for " << program;
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errors == Errors::Merged ? out[1] : err[1], STDERR_FILENO);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    started_ = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0;
    if (!started_) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    reader_ = std::thread([this, o = out[0], e = err[0]] { collect(o, e); });
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        signalChild(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (reader_.joinable()) reader_.join();
}

void ChildProcess::collect(int out, int err) {
    pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    for (int open = 2; open > 0;) {
        if (::poll(fds, 2, 100) <= 0) continue;
        for (pollfd& p : fds) {
            if (p.fd < 0 || !(p.revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buf[4096];
            const ssize_t n = ::read(p.fd, buf, sizeof buf);
            if (n <= 0) {
                ::close(p.fd);
                p.fd = -1;
                --open;
                continue;
            }
            std::lock_guard lock(mutex_);
            (&p == &fds[0] ? outcome_.out : outcome_.err).append(buf, static_cast<std::size_t>(n));
            grown_.notify_all();
        }
    }
    std::lock_guard lock(mutex_);
    ended_ = true;
    grown_.notify_all();
}

bool ChildProcess::running() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) != pid_) return true;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    pid_ = -1;
    return false;
}

bool ChildProcess::signal(int sig) { return signalChild(pid_, sig); }

std::string ChildProcess::nextLine(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    std::size_t lf = std::string::npos;
    grown_.wait_for(lock, limit, [&] {
        lf = outcome_.out.find('\n', taken_);
        return lf != std::string::npos || ended_;
    });
    if (lf == std::string::npos) return "";
    std::string line = outcome_.out.substr(taken_, lf - taken_);
    taken_ = lf + 1;
    return line;
}

std::string ChildProcess::errSoFar() {
    std::lock_guard lock(mutex_);
    return outcome_.err;
}

ChildProcess::Outcome ChildProcess::finish(std::chrono::milliseconds limit) {
    if (!waitUntil([&] { return !running(); }, limit, 10ms) && pid_ > 0) {
        ADD_FAILURE() << "the program did not end";
        signalChild(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
        status_ = -1;
    }
    if (reader_.joinable()) reader_.join();
    std::lock_guard lock(mutex_);
    outcome_.status = status_;
    return outcome_;
}

}  // namespace mr420::test
