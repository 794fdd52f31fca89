// Session benchmark: the real SerialPort, PanelSession and event loop against
// the simulated panel, which runs in a child process so that only the
// program's own work is counted.
//
//   session_bench [paced-seconds]      (default 60)
//
// 1. Unpaced pty, the panel answering at once: poll cycles per second and CPU
//    time per received byte, beside a plain C loop on the same pty (write a
//    frame, read the reply line, no threads) and the ratio of the two.
// 2. Panel paced at 9600 baud: the plain C loop and the program for the
//    given time each, taking turns in blocks of about 10 s so that both see
//    the same load of the machine. CPU time of this process as a share of
//    one core for both, and the program's as a multiple of the C loop's (the
//    floor of a program that reads the line as it comes); the program's mean
//    turnaround from the last character of a reply to the first character of
//    the next frame, measured at the panel's end.
// 3. Line ends of short lines while a long reply is announced: SerialPort and
//    the event loop on a pty whose far end this program paces at 9600 baud;
//    lines of 4 to 26 characters where 781 (a memory block) are announced.
//    The delay from the line end entering the pty to the loop's handler
//    seeing it: median, 99th percentile and worst case; beside it the same
//    lines announced at their true length.

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "base/EventLoop.h"
#include "link/SerialPort.h"
#include "protocol/PanelCommand.h"
#include "protocol/PanelSession.h"
#include "sim/PtyPanel.h"
#include "sim/Scenarios.h"

using namespace mr420;
using Clock = std::chrono::steady_clock;

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The simulated panel in a child process behind `link`.
struct PanelProcess {
    pid_t pid = -1;
    int stopWrite = -1;   // parent -> child: close to stop
    int reportRead = -1;  // child -> parent: "ready", then the turnaround figures

    bool start(const std::string& link, bool pace) {
        int stopPipe[2], reportPipe[2];
        if (pipe(stopPipe) != 0 || pipe(reportPipe) != 0) return false;
        pid = fork();
        if (pid < 0) return false;
        if (pid == 0) {
            ::close(stopPipe[1]);
            ::close(reportPipe[0]);
            auto scenario = sim::makeScenario("mr411-baro", 0);
            scenario->faults.pace = pace;
            sim::PtyPanel panel(scenario->model, scenario->faults, link);
            if (!panel.start()) _exit(2);
            (void)!write(reportPipe[1], "R", 1);
            char c;
            while (read(stopPipe[0], &c, 1) > 0) {
            }
            sim::PtyPanel::Turnaround t = panel.turnaround();
            panel.stop();
            char text[128];
            int n = std::snprintf(text, sizeof text, "%llu %.3f\n", static_cast<unsigned long long>(t.count),
                                  t.totalMicroseconds);
            (void)!write(reportPipe[1], text, static_cast<size_t>(n));
            _exit(0);
        }
        ::close(stopPipe[0]);
        ::close(reportPipe[1]);
        stopWrite = stopPipe[1];
        reportRead = reportPipe[0];
        char c = 0;
        return read(reportRead, &c, 1) == 1 && c == 'R';
    }

    // Stops the child; returns the mean turnaround in microseconds (or -1).
    double stop(unsigned long long* count = nullptr) {
        ::close(stopWrite);
        char text[128] = {};
        ssize_t n = read(reportRead, text, sizeof text - 1);
        ::close(reportRead);
        int status = 0;
        waitpid(pid, &status, 0);
        unsigned long long c = 0;
        double total = 0;
        if (n <= 0 || std::sscanf(text, "%llu %lf", &c, &total) != 2 || c == 0) return -1;
        if (count) *count = c;
        return total / static_cast<double>(c);
    }
};

struct CountingListener : DisplayListener {
    long cycles = 0;
    void refreshDisplay(bool connected) override { cycles += connected ? 1 : 0; }
};

struct SessionRun {
    long cycles = 0;
    long bytes = 0;
    double cpu = 0;
    double wall = 0;
};

SessionRun runSession(const std::string& link, double seconds) {
    PanelState state;
    WriteArguments args;
    EventLoop loop;
    CountingListener listener;
    PanelSession session(state, args, loop);
    session.setDisplayListener(&listener);
    SerialPort port;
    SessionRun run;
    loop.setByteHandler([&](char c) {
        ++run.bytes;
        session.onCharacterReceived(c);
    });
    loop.setTimerHandler([&](int id) { session.onTimer(id); });
    if (!port.open(link, loop) || !port.startWorker()) {
        std::fprintf(stderr, "cannot open %s: %s\n", link.c_str(), port.lastErrorText().c_str());
        std::exit(1);
    }
    session.setPort(&port);
    // Warm up until the first full cycle, then measure.
    session.start();
    loop.runFor(std::chrono::seconds(10), [&] { return listener.cycles > 0; });
    const long cycles0 = listener.cycles, bytes0 = run.bytes;
    const double cpu0 = cpuSeconds();
    const auto t0 = Clock::now();
    loop.runFor(std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds)));
    run.wall = std::chrono::duration<double>(Clock::now() - t0).count();
    run.cpu = cpuSeconds() - cpu0;
    run.cycles = listener.cycles - cycles0;
    run.bytes -= bytes0;
    session.setPort(nullptr);
    port.close([&] { loop.pumpOnce(); });
    return run;
}

// The plain baseline: one thread, blocking reads, the same poll cycle.
SessionRun runBaseline(const std::string& link, double seconds) {
    SessionRun run;
    int fd = ::open(link.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) {
        std::perror("open");
        std::exit(1);
    }
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetspeed(&tio, B9600);
    tcsetattr(fd, TCSANOW, &tio);
    const int cycle[] = {0, 4, 7, 3, 1, 2, 5};
    char buffer[1024];
    const double cpu0 = cpuSeconds();
    const auto t0 = Clock::now();
    const auto end = t0 + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (Clock::now() < end) {
        for (int number : cycle) {
            std::string frame(kCommandTable[static_cast<std::size_t>(number)].fixedFrame);
            frame += "\r\n";
            if (write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) std::exit(1);
            for (;;) {
                ssize_t n = read(fd, buffer, sizeof buffer);
                if (n <= 0) std::exit(1);
                run.bytes += n;
                if (std::memchr(buffer, '\n', static_cast<size_t>(n))) break;
            }
        }
        ++run.cycles;
    }
    run.wall = std::chrono::duration<double>(Clock::now() - t0).count();
    run.cpu = cpuSeconds() - cpu0;
    ::close(fd);
    return run;
}

struct LineEndDelays {
    std::vector<double> microseconds;   // sorted
    double at(double fraction) const {
        if (microseconds.empty()) return -1;
        const auto index = static_cast<std::size_t>(fraction * static_cast<double>(microseconds.size() - 1) + 0.5);
        return microseconds[std::min(index, microseconds.size() - 1)];
    }
};

// Short lines paced at 9600 baud into a pty, the port told to expect
// `announced` characters (0: each line's own length). Returns the delay of
// every line end, from its write at the far end to the loop's handler.
LineEndDelays measureLineEnds(std::size_t announced, int lines) {
    LineEndDelays result;
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return result;
    const std::string slave = ptsname(master);
    EventLoop loop;
    SerialPort port;
    std::vector<Clock::time_point> handled;
    loop.setByteHandler([&](char c) {
        if (c == '\n') handled.push_back(Clock::now());
    });
    if (!port.open(slave, loop) || !port.startWorker()) {
        ::close(master);
        return result;
    }
    // Input before the line has been quiet after the open is discarded.
    while (!port.listening()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const std::size_t lengths[] = {4, 8, 13, 18, 26};
    std::vector<Clock::time_point> written(static_cast<std::size_t>(lines));
    std::thread far([&] {
        const auto characterTime = std::chrono::microseconds(1042);
        for (int n = 0; n < lines; ++n) {
            const std::size_t length = lengths[static_cast<std::size_t>(n) % std::size(lengths)];
            std::string line(length - 2, static_cast<char>('A' + n % 26));
            line += "\r\n";
            port.expectReply(announced != 0 ? announced : length);
            const auto start = Clock::now();
            for (std::size_t i = 0; i < line.size(); ++i) {
                std::this_thread::sleep_until(start + characterTime * static_cast<long>(i));
                if (write(master, &line[i], 1) != 1) std::exit(1);
            }
            written[static_cast<std::size_t>(n)] = Clock::now();
            // About the time the next command takes to go out.
            std::this_thread::sleep_for(std::chrono::milliseconds(12));
        }
    });
    loop.runFor(std::chrono::seconds(120), [&] { return handled.size() >= static_cast<std::size_t>(lines); });
    far.join();
    port.close([&] { loop.pumpOnce(); });
    ::close(master);
    for (std::size_t n = 0; n < handled.size() && n < written.size(); ++n)
        result.microseconds.push_back(std::chrono::duration<double, std::micro>(handled[n] - written[n]).count());
    std::sort(result.microseconds.begin(), result.microseconds.end());
    return result;
}

void add(SessionRun& total, const SessionRun& part) {
    total.cycles += part.cycles;
    total.bytes += part.bytes;
    total.cpu += part.cpu;
    total.wall += part.wall;
}

void print(const char* name, const SessionRun& r) {
    std::printf("  %-28s %8.1f cycles/s  %8.3f us CPU/byte  (%ld cycles, %ld bytes, %.2f s CPU in %.2f s)\n", name,
                r.cycles / r.wall, r.bytes ? 1e6 * r.cpu / static_cast<double>(r.bytes) : 0.0, r.cycles, r.bytes,
                r.cpu, r.wall);
}

}  // namespace

int main(int argc, char** argv) {
    signal(SIGPIPE, SIG_IGN);
    const double pacedSeconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    char dir[] = "/tmp/mr420-bench-XXXXXX";
    if (!mkdtemp(dir)) return 1;
    const std::string link = std::string(dir) + "/panel";

    std::printf("Unpaced pty, panel answering at once (MR411 with barometer, 7 commands per cycle)\n");
    {
        PanelProcess panel;
        if (!panel.start(link, false)) return 1;
        SessionRun baseline = runBaseline(link, 5);
        SessionRun session = runSession(link, 5);
        panel.stop();
        print("plain C loop", baseline);
        print("SerialPort + PanelSession", session);
        const double perByteBase = baseline.cpu / static_cast<double>(baseline.bytes);
        const double perByteSession = session.cpu / static_cast<double>(session.bytes);
        std::printf("  ratio session/baseline: %.2f x CPU per byte, %.2f x cycle rate\n", perByteSession / perByteBase,
                    (session.cycles / session.wall) / (baseline.cycles / baseline.wall));
    }

    const int blocks = std::max(1, static_cast<int>(pacedSeconds / 10.0 + 0.5));
    std::printf("Panel paced at 9600 baud, %.0f s of polling each, in %d blocks taking turns\n", pacedSeconds, blocks);
    {
        SessionRun baseline, session;
        unsigned long long turns = 0;
        double turnaroundTotal = 0;
        for (int block = 0; block < blocks; ++block) {
            PanelProcess forBaseline;
            if (!forBaseline.start(link, true)) return 1;
            add(baseline, runBaseline(link, pacedSeconds / blocks));
            forBaseline.stop();
            PanelProcess forSession;
            if (!forSession.start(link, true)) return 1;
            add(session, runSession(link, pacedSeconds / blocks));
            unsigned long long count = 0;
            const double mean = forSession.stop(&count);
            if (mean >= 0) {
                turns += count;
                turnaroundTotal += mean * static_cast<double>(count);
            }
        }
        const double turnaround = turns > 0 ? turnaroundTotal / static_cast<double>(turns) : -1;
        print("plain C loop", baseline);
        print("SerialPort + PanelSession", session);
        const double baseShare = 100.0 * baseline.cpu / baseline.wall;
        const double sessionShare = 100.0 * session.cpu / session.wall;
        std::printf("  CPU share of one core: plain C loop %.3f %%, program %.3f %% (%.2f x the C loop)\n", baseShare,
                    sessionShare, baseShare > 0 ? sessionShare / baseShare : 0.0);
        std::printf("  line use: %.1f characters/s of about 960 (plain C loop %.1f)\n", session.bytes / session.wall,
                    baseline.bytes / baseline.wall);
        std::printf("  mean turnaround, last reply character to first frame character: %.1f us over %llu replies\n",
                    turnaround, turns);
    }

    std::printf("Line ends of short lines (4-26 characters) paced at 9600 baud, 250 lines each\n");
    for (const std::size_t announced : {std::size_t{781}, std::size_t{0}}) {
        const LineEndDelays delays = measureLineEnds(announced, 250);
        if (delays.microseconds.empty()) return 1;
        std::printf("  %-34s median %7.0f us  99%% %7.0f us  worst %7.0f us  (%zu lines)\n",
                    announced != 0 ? "781 characters announced:" : "announced at their own length:", delays.at(0.5),
                    delays.at(0.99), delays.microseconds.back(), delays.microseconds.size());
    }
    ::rmdir(dir);
    return 0;
}
