// mr420-cli: the panel without a window. The work is in src/cli; this adds
// the locale and the termination signals.

#include <signal.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "cli/CliRunner.h"

namespace {

std::string programDirectory(const char* argv0) {
    std::string path(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (n > 0) path.resize(static_cast<std::size_t>(n));
    else path = argv0 ? argv0 : "";
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

int main(int argc, char** argv) {
    // Numbers in files and on the screen follow the user's locale, as in the window.
    std::setlocale(LC_ALL, "");

    // SIGINT and SIGTERM are taken by one thread and seen by the event loop
    // as a stop request, SIGHUP as a request to reopen the log files; no
    // other thread is ever interrupted by them.
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    std::thread([stops] {
        for (;;) {
            int signal = 0;
            if (sigwait(&stops, &signal) == 0) {
                if (signal == SIGHUP) {
                    ++mr420::cli::hangupCount();
                    mr420::cli::wakeForSignal();
                    continue;
                }
                // A second signal while stopping ends the program at once.
                if (mr420::cli::stopSignal().exchange(signal) != 0) ::_exit(128 + signal);
                mr420::cli::wakeForSignal();
            }
        }
    }).detach();

    mr420::cli::CliStreams streams;
    streams.errIsTerminal = ::isatty(STDERR_FILENO) != 0;
    streams.inIsTerminal = ::isatty(STDIN_FILENO) != 0;
    streams.journal = std::getenv("JOURNAL_STREAM") != nullptr;
    const int status = mr420::cli::runCli(std::vector<std::string>(argv, argv + argc), programDirectory(argv[0]), streams);
    std::fflush(stdout);
    std::fflush(stderr);
    // The signal thread stays blocked in sigwait; end without waiting for it.
    ::_exit(status);
}
