#pragma once
// mr420-cli as a function: reads the command line and the settings file,
// opens the port, polls the panel until its first complete poll cycle and
// runs one command on the plain event loop. The program's main only adds
// the signal handling.

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

namespace mr420::cli {

namespace exit_status {
constexpr int kDone = 0;
constexpr int kUsage = 1;
constexpr int kPortFailed = 2;
constexpr int kNoCommunication = 3;
constexpr int kNoAnswer = 4;
constexpr int kFileFailed = 5;
// A command stopped by SIGINT or SIGTERM before it was done (memory
// read-out or erase, get, set, info) ends with 128 + the signal's number;
// log and watch, which run until stopped, end with kDone.
}  // namespace exit_status

// The number of the termination signal received, 0 while none. Set by the
// program's signal handling, which then calls wakeForSignal.
std::atomic<int>& stopSignal();
// SIGHUP: how many have arrived (a service reopens its log files on each).
std::atomic<int>& hangupCount();
// Wakes the engine's loop to look at the two above (any thread). The loop
// watches this eventfd instead of looking at them on a timer.
void wakeForSignal();
int signalWakeFd();

struct CliStreams {
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    bool errIsTerminal = false;   // progress is shown only on a terminal
    bool inIsTerminal = false;    // the erase question is asked only on one
    bool journal = false;         // standard error goes to the journal: syslog priority prefixes
};

// `arguments[0]` is the program; `programDir` is where the English texts are
// looked for (and ../share/mr420 from there).
int runCli(const std::vector<std::string>& arguments, const std::string& programDir, const CliStreams& streams);

}  // namespace mr420::cli
