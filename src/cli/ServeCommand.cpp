// `serve`: one process owns the panel all day. It polls, records the live
// log, serves the local data server, downloads the memory once a day and
// tells the service manager how it goes.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

#include "base/TimerIds.h"
#include "cli/CliTexts.h"
#include "cli/Commands.h"
#include "cli/LiveLog.h"
#include "cli/ServiceControl.h"
#include "publish/DataServer.h"

namespace mr420::cli {

namespace {

// The service manager's notification socket ($NOTIFY_SOCKET): READY=1 once
// the first cycle is in, STATUS= lines, and WATCHDOG=1 while the engine
// goes on. Without the variable every call does nothing.
class ServiceNotifier {
public:
    ServiceNotifier() {
        const char* path = std::getenv("NOTIFY_SOCKET");
        if (path == nullptr || (path[0] != '/' && path[0] != '@')) return;
        const std::size_t length = std::strlen(path);
        if (length >= sizeof address_.sun_path) return;
        address_.sun_family = AF_UNIX;
        std::memcpy(address_.sun_path, path, length);
        if (path[0] == '@') address_.sun_path[0] = '\0';   // an abstract socket
        addressLength_ = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + length);
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        // The watchdog is for this process only when the manager names it.
        const char* usec = std::getenv("WATCHDOG_USEC");
        const char* pid = std::getenv("WATCHDOG_PID");
        if (usec != nullptr && (pid == nullptr || std::atol(pid) == static_cast<long>(::getpid())))
            watchdogMs_ = std::atoll(usec) / 1000;
    }
    ~ServiceNotifier() {
        if (fd_ >= 0) ::close(fd_);
    }
    ServiceNotifier(const ServiceNotifier&) = delete;
    ServiceNotifier& operator=(const ServiceNotifier&) = delete;

    void send(const std::string& message) const {
        if (fd_ >= 0)
            (void)::sendto(fd_, message.data(), message.size(), MSG_NOSIGNAL,
                           reinterpret_cast<const sockaddr*>(&address_), addressLength_);
    }
    long long watchdogMs() const { return watchdogMs_; }

private:
    int fd_ = -1;
    sockaddr_un address_{};
    socklen_t addressLength_ = 0;
    long long watchdogMs_ = 0;
};

// The data server as the engine's reading model drives it.
class ServiceDataServer : public DataServerControl {
public:
    explicit ServiceDataServer(Engine& engine) : engine_(engine), server_(engine.watcher()) {}

    void stop() override { server_.stop(); }
    bool start(int panelSerialNumber) override {
        const bool started = server_.start(panelSerialNumber, engine_.readings().liveReadings());
        if (!started && !failureSaid_) engine_.tell(text(Text::DataServerFailed, {server_.socketDirectory()}), Engine::kError);
        failureSaid_ = failureSaid_ || !started;
        return started;
    }
    void publish() override { server_.publish(engine_.readings().liveReadings()); }

private:
    Engine& engine_;
    DataServer server_;
    bool failureSaid_ = false;
};

// Minutes after midnight and the day, in local time.
struct LocalMinute {
    int minute = 0;
    int day = 0;   // days since 1970 in local time, to do a download once a day
};

LocalMinute localMinuteNow() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_hour * 60 + tm.tm_min, static_cast<int>((t + tm.tm_gmtoff) / 86400)};
}

// The commands the service runs for a client: those that end by themselves
// (a watch only with --count).
bool runsThroughService(const CliOptions& o) {
    switch (o.command) {
    case Command::Info:
    case Command::Get:
    case Command::Set:
    case Command::MemoryRead:
    case Command::MemoryErase: return true;
    case Command::Watch: return o.count > 0;
    default: return false;
    }
}

class Service {
public:
    Service(Engine& engine, const CliOptions& o, bool dewPoint, bool vapour, std::string programDir)
        : engine_(engine), o_(o), dewPoint_(dewPoint), vapour_(vapour), programDir_(std::move(programDir)),
          dataServer_(engine),
          control_(engine.watcher(), [this](const ControlRequest& r, const CliStreams& io) { return runFor(r, io); },
                   [this] { engine_.timers().startTimer(timer_id::kServiceCommand, 1); }) {
        if (!o.file.empty()) log_ = std::make_unique<LiveLog>(engine, o);
        // A download time already past today waits for tomorrow.
        const LocalMinute now = localMinuteNow();
        if (o.memoryDaily && now.minute >= *o.memoryDaily) lastDownloadDay_ = now.day;
    }

    int run() {
        if (log_ && !log_->openCurrent()) return exit_status::kFileFailed;
        if (o_.dataServer) engine_.readings().setDataServer(&dataServer_);   // from the next cycle on
        engine_.reportConnection(true);
        engine_.timers().route(timer_id::kRegistration, [this](int) {
            if (log_) log_->tick();
        });
        if (log_) engine_.timers().startTimer(timer_id::kRegistration, o_.interval * 1000);
        engine_.timers().route(timer_id::kServiceHousekeeping, [this](int) { housekeeping(); });
        engine_.timers().startTimer(timer_id::kServiceHousekeeping, 1000);
        engine_.timers().route(timer_id::kServiceCommand, [this](int) {
            engine_.timers().stopTimer(timer_id::kServiceCommand);
            // One thing on the line at a time: a request waits for the download.
            if (!downloading_) control_.runWaiting();
        });
        if (!control_.listen(defaultDataServerSocketDirectory()))
            engine_.tell(text(Text::ControlSocketFailed, {defaultDataServerSocketDirectory()}), Engine::kWarning);
        cyclesAtStatus_ = engine_.cycles();
        notifier_.send("READY=1\n" + statusLine());
        engine_.runUntil([] { return false; });
        notifier_.send("STOPPING=1\n");
        for (int id : {timer_id::kRegistration, timer_id::kServiceHousekeeping, timer_id::kServiceCommand}) {
            engine_.timers().stopTimer(id);
            engine_.timers().route(id, {});
        }
        engine_.readings().setDataServer(nullptr);
        dataServer_.stop();
        return exit_status::kDone;   // stopped by a signal, as `log`
    }

private:
    // Once a second: SIGHUP, the watchdog, the status line, the download.
    void housekeeping() {
        if (const int hangups = hangupCount().load(); hangups != hangupsSeen_) {
            hangupsSeen_ = hangups;
            if (log_) log_->reopen();
        }
        ++seconds_;
        const long long watchdog = notifier_.watchdogMs();
        // Cycles coming in show the engine alive; a stalled one is restarted.
        if (watchdog > 0 && (engine_.cycles() != cyclesAtWatchdog_ || downloading_) &&
            (seconds_ - lastWatchdogSecond_) * 1000 >= watchdog / 2) {
            cyclesAtWatchdog_ = engine_.cycles();
            lastWatchdogSecond_ = seconds_;
            notifier_.send("WATCHDOG=1\n");
        }
        if (seconds_ % kStatusSeconds == 0) {
            notifier_.send(statusLine());
            cyclesAtStatus_ = engine_.cycles();
        }
        const LocalMinute now = localMinuteNow();
        if (o_.memoryDaily && !downloading_ && !commandRunning_ && now.day != lastDownloadDay_ &&
            now.minute >= *o_.memoryDaily) {
            lastDownloadDay_ = now.day;
            download();
        }
    }

    void download() {
        downloading_ = true;
        if (log_) log_->pause(true);
        engine_.tell(text(Text::ServeMemoryPause), Engine::kInfo);
        CliOptions m = o_;
        m.file = expandFileName(o_.memoryFile);
        m.dumpPath.clear();
        // The read-out runs the loop until it is done; what failed has been said.
        commandMemoryRead(engine_, m, dewPoint_, vapour_);
        if (log_) log_->pause(false);
        downloading_ = false;
        engine_.tell(text(Text::ServeMemoryResume), Engine::kInfo);
        if (control_.hasWaiting()) engine_.timers().startTimer(timer_id::kServiceCommand, 1);
    }

    // A command a client sent, on this engine between poll cycles, its
    // output and messages going to the client.
    int runFor(const ControlRequest& request, const CliStreams& io) {
        // The command speaks the language its client asked for, as on the port.
        const std::string asked = languageOption(request.arguments);
        const bool otherLanguage = (asked == "pl" || asked == "en") && (asked == "en") != english();
        if (otherLanguage) useLanguage(asked, programDir_);
        const int status = runInLanguage(request, io);
        if (otherLanguage) useLanguage(asked == "en" ? "pl" : "en", programDir_);
        return status;
    }

    int runInLanguage(const ControlRequest& request, const CliStreams& io) {
        const ParseResult parsed = parseArguments(request.arguments);
        if (!parsed.ok()) {
            std::fprintf(io.err, "%s\nmr420-cli --help\n", parsed.error.c_str());
            return exit_status::kUsage;
        }
        CliOptions o = parsed.options;
        // Files are named as the client sees them.
        for (std::string* path : {&o.file, &o.dumpPath})
            if (!path->empty() && path->front() != '/') *path = request.cwd + "/" + *path;
        if (!runsThroughService(o)) {
            std::fprintf(io.err, "%s\n", text(Text::NotThroughService, {std::to_string(::getpid())}).c_str());
            return exit_status::kPortFailed;
        }
        if (o.command == Command::Get || o.command == Command::Set)
            if (const int status = checkGroupArguments(o, io.err); status != exit_status::kDone) return status;
        const CliStreams own = engine_.streams();
        const bool ownQuiet = o_.quiet;
        engine_.redirect(io, o.quiet);
        commandRunning_ = true;
        // A download or a watch whose client has gone stops at its next step;
        // a write, once begun, is finished.
        if (o.command == Command::MemoryRead || o.command == Command::Watch)
            engine_.setInterrupt([this] { return control_.runningClientGone(); });
        int status = exit_status::kDone;
        switch (o.command) {
        case Command::Info: status = commandInfo(engine_); break;
        case Command::Watch: status = commandWatch(engine_, o); break;
        case Command::MemoryRead:
            // While the line carries the memory the log leaves a gap.
            if (log_) log_->pause(true);
            status = commandMemoryRead(engine_, o, o.dewPoint.value_or(dewPoint_), o.vapour.value_or(vapour_));
            if (log_) log_->pause(downloading_);
            break;
        case Command::MemoryErase: status = commandMemoryErase(engine_, o.yes); break;
        default: status = commandGetSet(engine_, o); break;
        }
        commandRunning_ = false;
        engine_.setInterrupt({});
        engine_.redirect(own, ownQuiet);
        return status;
    }

    std::string statusLine() const {
        char rate[32];
        std::snprintf(rate, sizeof rate, "%.1f", static_cast<double>(engine_.cycles() - cyclesAtStatus_) / kStatusSeconds);
        std::string file = log_ ? log_->fileName() : text(Text::ServeNoLog);
        if (const std::size_t slash = file.rfind('/'); slash != std::string::npos) file.erase(0, slash + 1);
        return "STATUS=" + text(Text::ServeStatus, {rate, file}) + "\n";
    }

    static constexpr int kStatusSeconds = 10;

    Engine& engine_;
    const CliOptions& o_;
    bool dewPoint_, vapour_;
    std::string programDir_;
    ServiceDataServer dataServer_;
    ServiceNotifier notifier_;
    ControlServer control_;
    std::unique_ptr<LiveLog> log_;
    int hangupsSeen_ = hangupCount().load();
    long long seconds_ = 0;
    long long lastWatchdogSecond_ = 0;
    long cyclesAtWatchdog_ = -1;
    long cyclesAtStatus_ = 0;
    int lastDownloadDay_ = -1;
    bool downloading_ = false;
    bool commandRunning_ = false;   // a client's command is on the engine
};

}  // namespace

int commandServe(Engine& engine, const CliOptions& o, bool dewPoint, bool vapour, const std::string& programDir) {
    Service service(engine, o, dewPoint, vapour, programDir);
    return service.run();
}

}  // namespace mr420::cli
