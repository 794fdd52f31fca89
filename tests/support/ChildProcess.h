#pragma once
// A program a test starts: its standard output and standard error are
// collected by a thread as they come, so that neither pipe fills up and
// stops the program, and the test reads them whole or line by line.

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace mr420::test {

// The program's path in the build tree, e.g. binary("mr420-cli").
std::string binary(const std::string& name);

class ChildProcess {
public:
    struct Outcome {
        int status = -1;   // the exit status, 128 + the signal, or -1 when it did not end
        std::string out;
        std::string err;
    };
    enum class Errors { Apart, Merged };   // Merged: standard error goes into `out`

    // `extraEnv` ("NAME=value") is added to this process's environment;
    // standard input is /dev/null.
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::vector<std::string>& extraEnv = {}, Errors errors = Errors::Apart);
    ~ChildProcess();   // kills one still running, and reaps it
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }   // -1 when it did not start or has been reaped
    bool started() const { return started_; }
    // Whether it has not ended yet (reaping it when it has).
    bool running();
    bool signal(int sig);
    // The next whole line of standard output not taken yet, without its LF;
    // "" when none is complete within `limit` or the output has ended.
    std::string nextLine(std::chrono::milliseconds limit = std::chrono::seconds(3));
    std::string errSoFar();
    // Waits for the end and the last of the output; after `limit` the
    // program is killed and the test fails.
    Outcome finish(std::chrono::milliseconds limit = std::chrono::seconds(120));

private:
    void collect(int out, int err);

    pid_t pid_ = -1;
    bool started_ = false;
    int status_ = -1;
    std::thread reader_;
    std::mutex mutex_;
    std::condition_variable grown_;
    bool ended_ = false;   // both pipes closed
    std::size_t taken_ = 0;   // bytes of out handed out by nextLine
    Outcome outcome_;
};

}  // namespace mr420::test
