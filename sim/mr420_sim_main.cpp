// mr420-sim: a simulated MR420 panel on a pseudo-terminal. Prints the path of
// the device to open on stdout and answers the program's frames until it is
// told to stop (SIGTERM or SIGINT). Like a panel it sends its replies at the
// pace of 9600 baud, so a program polling it runs at the speed it would on
// the line; --instant answers at once, for tests that want speed.

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <csignal>
#include <pthread.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/PanelCommand.h"
#include "sim/PtyPanel.h"
#include "sim/Scenarios.h"

using namespace mr420;
using namespace mr420::sim;

namespace {

// The faults put on every Nth reply, in the order --help lists them.
struct EveryFault {
    std::string_view option;
    int FaultConfig::*every;
    std::string_view help;
};
constexpr EveryFault kEveryFaults[] = {
    {"--bad-lrc-every", &FaultConfig::badLrcEvery, "every Nth reply carries a wrong LRC"},
    {"--noise-every", &FaultConfig::noiseLineEvery, "a line beginning with \"09\" before every Nth reply"},
    {"--duplicate-every", &FaultConfig::duplicateEvery, "every Nth reply goes out twice"},
    {"--late-every", &FaultConfig::lateEvery, "every Nth reply comes 6.5 s late (after the time-out)"},
    {"--drop-char-every", &FaultConfig::dropCharacterEvery, "one character of every Nth reply is lost"},
    {"--burst-every", &FaultConfig::burstEvery, "seven random bytes land inside every Nth reply"},
    {"--lost-crlf-every", &FaultConfig::lostLineEndEvery, "every Nth reply loses its CR or, in turn, its LF"},
};

void printHelp(std::FILE* out) {
    std::fprintf(out,
                 "Usage: mr420-sim [options]\n"
                 "A simulated MR420 panel on a pseudo-terminal. The path of the device is\n"
                 "printed on stdout; the panel answers until SIGTERM or SIGINT.\n"
                 "\n"
                 "Options:\n"
                 "  --scenario NAME       the panel to simulate (default %.*s)\n"
                 "  --link PATH           make a symbolic link PATH to the device\n"
                 "  --transcript FILE     append every frame and reply, with times, to FILE\n",
                 static_cast<int>(kDefaultScenario.size()), kDefaultScenario.data());
    for (const EveryFault& f : kEveryFaults) {
        const std::string name = std::string(f.option) + " N";
        std::fprintf(out, "  %-22s%.*s\n", name.c_str(), static_cast<int>(f.help.size()), f.help.data());
    }
    std::fprintf(out,
                 "  --silent-for CODE     never answer this command (six-digit code or number;\n"
                 "                        may be repeated)\n"
                 "  --refuse CODE         answer this command with its refusal digit set\n"
                 "                        (commands whose reply has one; may be repeated)\n"
                 "  --silent-window S:L   no answers for L seconds starting S seconds after start\n"
                 "  --delay-ms N          wait N ms before every reply\n"
                 "  --instant             send every reply at once instead of at the pace of\n"
                 "                        9600 baud (about 1.04 ms per character), for tests\n"
                 "  --pace                9600 baud pace, the default (kept for older scripts)\n"
                 "  --static              keep the readings still (they drift slowly by default)\n"
                 "  --firmware N          firmware version as 100 * major + minor (e.g. 105)\n"
                 "  --modem-off           the panel's modem handling is switched off: modem commands are refused\n"
                 "  --serial N            panel serial number\n"
                 "  --help                this text\n"
                 "\n"
                 "Scenarios:\n");
    for (const ScenarioInfo& s : scenarios())
        std::fprintf(out, "  %-17.*s %.*s\n", static_cast<int>(s.name.size()), s.name.data(),
                     static_cast<int>(s.description.size()), s.description.data());
}

std::optional<int> parseInt(const char* text) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < 0 || v > 1'000'000) return std::nullopt;
    return static_cast<int>(v);
}

// A command given by its six-digit code (either case) or its number.
std::optional<int> parseCommand(const char* text) {
    std::string code(text);
    for (char& c : code)
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    if (code.size() == 6) {
        if (auto n = commandNumberForCode(code)) return n;
    }
    if (auto n = parseInt(text); n && isValidCommandNumber(*n)) return n;
    return std::nullopt;
}

volatile std::sig_atomic_t gStop = 0;
void onSignal(int) { gStop = 1; }

}  // namespace

int main(int argc, char** argv) {
    std::string scenarioName(kDefaultScenario);
    std::string linkPath;
    std::string transcriptPath;
    FaultConfig extra;
    bool anyFault = false;
    bool animate = true;
    bool instant = false;
    std::optional<int> firmware;
    bool modemOff = false;
    std::optional<int> serial;

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "mr420-sim: %s needs a value\n", argv[i]);
                std::exit(2);
            }
            return argv[++i];
        };
        auto number = [&]() {
            const char* v = value();
            auto n = parseInt(v);
            if (!n) {
                std::fprintf(stderr, "mr420-sim: bad number '%s' for %.*s\n", v, static_cast<int>(arg.size()), arg.data());
                std::exit(2);
            }
            return *n;
        };
        auto command = [&]() {
            const char* v = value();
            auto n = parseCommand(v);
            if (!n) {
                std::fprintf(stderr, "mr420-sim: unknown command '%s'\n", v);
                std::exit(2);
            }
            return *n;
        };
        if (arg == "--help" || arg == "-h") {
            printHelp(stdout);
            return 0;
        } else if (arg == "--scenario") {
            scenarioName = value();
        } else if (arg == "--link") {
            linkPath = value();
        } else if (arg == "--transcript") {
            transcriptPath = value();
        } else if (const auto* f = std::find_if(std::begin(kEveryFaults), std::end(kEveryFaults),
                                                [&](const EveryFault& e) { return e.option == arg; });
                   f != std::end(kEveryFaults)) {
            extra.*(f->every) = number();
            anyFault = true;
        } else if (arg == "--silent-for") {
            extra.silentFor.insert(command());
            anyFault = true;
        } else if (arg == "--refuse") {
            extra.refusedFor.insert(command());
            anyFault = true;
        } else if (arg == "--silent-window") {
            const char* v = value();
            double start = 0, length = 0;
            if (std::sscanf(v, "%lf:%lf", &start, &length) != 2 || start < 0 || length < 0) {
                std::fprintf(stderr, "mr420-sim: --silent-window wants START:LENGTH in seconds\n");
                return 2;
            }
            extra.silentFrom = start;
            extra.silentUntil = start + length;
            anyFault = true;
        } else if (arg == "--delay-ms") {
            extra.delayMs = number();
            anyFault = true;
        } else if (arg == "--instant") {
            instant = true;
        } else if (arg == "--pace") {
            // The default; accepted so that older command lines still work.
        } else if (arg == "--static") {
            animate = false;
        } else if (arg == "--modem-off") {
            modemOff = true;
        } else if (arg == "--firmware") {
            firmware = number();
        } else if (arg == "--serial") {
            serial = number();
        } else {
            std::fprintf(stderr, "mr420-sim: unknown option '%.*s' (see --help)\n", static_cast<int>(arg.size()),
                         arg.data());
            return 2;
        }
    }

    std::optional<Scenario> scenario = makeScenario(scenarioName, panelSecondsNow());
    if (!scenario) {
        std::fprintf(stderr, "mr420-sim: unknown scenario '%s' (see --help)\n", scenarioName.c_str());
        return 2;
    }
    scenario->model.animateReadings = animate;
    if (firmware) scenario->model.firmwareVersion = *firmware;
    if (modemOff) scenario->model.modemHandlingEnabled = false;
    if (serial) scenario->model.panelSerialNumber = *serial & 0xFFFF;
    // Options add to the scenario's own faults.
    FaultConfig faults = scenario->faults;
    if (anyFault) {
        for (const EveryFault& f : kEveryFaults)
            if (extra.*(f.every)) faults.*(f.every) = extra.*(f.every);
        faults.silentFor.insert(extra.silentFor.begin(), extra.silentFor.end());
        faults.refusedFor.insert(extra.refusedFor.begin(), extra.refusedFor.end());
        if (extra.silentUntil > extra.silentFrom) {
            faults.silentFrom = extra.silentFrom;
            faults.silentUntil = extra.silentUntil;
        }
        if (extra.delayMs) faults.delayMs = extra.delayMs;
    }
    // A panel's pace, whatever the scenario says, unless asked for speed.
    faults.pace = !instant;

    // Signals are set up before the thread starts, so it inherits the mask.
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGINT);
    pthread_sigmask(SIG_BLOCK, &blocked, &previous);

    PtyPanel panel(std::move(scenario->model), faults, linkPath);
    if (!transcriptPath.empty() && !panel.setTranscript(transcriptPath)) {
        std::fprintf(stderr, "mr420-sim: cannot open transcript '%s': %s\n", transcriptPath.c_str(),
                     std::strerror(errno));
        return 1;
    }
    const std::optional<std::string> path = panel.start();
    if (!path) {
        std::fprintf(stderr, "mr420-sim: %s\n", panel.lastError().c_str());
        return 1;
    }
    std::printf("%s\n", path->c_str());
    std::fflush(stdout);

    // Only this thread takes the signals; it sleeps until one arrives.
    sigset_t waitMask = previous;
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGINT);
    while (!gStop) sigsuspend(&waitMask);

    panel.stop();
    return 0;
}
