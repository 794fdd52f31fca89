#include "cli/CliEngine.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

#include "base/TimerIds.h"
#include "cli/CliTexts.h"

namespace mr420::cli {

std::atomic<int>& stopSignal() {
    static std::atomic<int> signal{0};
    return signal;
}

std::string plain(std::string s) {
    std::string out;
    for (char c : s)
        if (c != '\r') out += c;
    while (!out.empty() && (out.back() == ' ' || out.back() == '\n')) out.pop_back();
    return out;
}

std::atomic<int>& hangupCount() {
    static std::atomic<int> count{0};
    return count;
}

int signalWakeFd() {
    static const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    return fd;
}

void wakeForSignal() {
    const std::uint64_t one = 1;
    (void)!::write(signalWakeFd(), &one, sizeof one);
}

int signalled() { return stopSignal().load(); }
int signalExit() { return 128 + signalled(); }

Engine::Engine(const CliStreams& io, bool quiet)
    : io_(io), quiet_(quiet), timers_(loop_), connection_(timers_, loop_, [this] { loop_.pumpOnce(); }),
      readings_(connection_.state(), timers_) {
    loop_.setByteHandler([this](char c) { connection_.onCharacter(c); });
    loop_.setTimerHandler([this](int id) { timers_.dispatch(id); });
    connection_.session().setDisplayListener(this);
    connection_.session().addReplyListener(this);
    timers_.route(timer_id::kSettingsReadPeriod, [this](int) { readings_.onSettingsReadTimer(); });
    // A signal wakes the loop, whose conditions then see it.
    loop_.watchFd(signalWakeFd(), FdWatcher::kReadable, [](int fd) {
        std::uint64_t count;
        (void)!::read(fd, &count, sizeof count);
    });
}

Engine::~Engine() {
    connection_.session().removeReplyListener(this);
    connection_.session().setDisplayListener(nullptr);
    connection_.closePort();
    loop_.shutdown();
}

void Engine::start() {
    connection_.start();
    started_ = true;
}

bool Engine::runUntil(const std::function<bool()>& done, std::chrono::steady_clock::duration limit) {
    loop_.runFor(limit, [&] { return done() || interrupted(); });
    return !interrupted();
}

void Engine::runRegardless(const std::function<bool()>& done, std::chrono::steady_clock::duration limit) {
    loop_.runFor(limit, done);
}

int Engine::waitForFirstCycle(std::optional<std::chrono::milliseconds> limit) {
    const auto done = [&] { return cycles_ > 0 || (noCommunication_ && (!limit || !connection_.deviceConnected())); };
    const bool unsignalled = limit ? runUntil(done, *limit) : runUntil(done);
    if (!unsignalled) return signalExit();
    return cycles_ > 0 ? exit_status::kDone : exit_status::kNoCommunication;
}

void Engine::say(const std::string& text) const { tell(text, kWarning); }

void Engine::note(const std::string& text) const {
    if (!quiet_) tell(text, kInfo);
}

void Engine::tell(const std::string& text, int priority) const {
    // The journal reads "<N>" at the start of each line as its priority.
    const std::string prefix = io_.journal ? "<" + std::to_string(priority) + ">" : "";
    std::string lines = plain(text);
    for (std::size_t at = 0; io_.journal && (at = lines.find('\n', at)) != std::string::npos; at += prefix.size() + 1)
        lines.insert(at + 1, prefix);
    std::fprintf(io_.err, "%s%s\n", prefix.c_str(), lines.c_str());
    std::fflush(io_.err);
}

void Engine::refreshDisplay(bool connected) {
    readings_.refreshDisplay(connected);
    // The window shows no values for 12 s after each connection; here
    // nobody watches a status line meanwhile, so the period ends at once
    // on every connection and the panes show the cycle that made it.
    if (connected && readings_.settingsReadRunning()) {
        readings_.onSettingsReadTimer();
        readings_.refreshDisplay(connected);
    }
    if (!started_) return;
    // A cycle ends on an accepted reply (the failure count is then 0);
    // the no-communication refresh comes from the fourth time-out, or
    // at once when the device has gone.
    const bool answered =
        acceptedSinceRefresh_ && connection_.session().failureCount() == 0 && connection_.deviceConnected();
    acceptedSinceRefresh_ = false;
    if (answered) {
        ++cycles_;
        if (lost_) {
            lost_ = false;
            if (reportConnection_) say(text(Text::ConnectionRegained));
        }
        if (onCycle_) onCycle_();
    } else if (!connected) {
        noCommunication_ = true;
        connectionLost();
    }
}

void Engine::onReplyAccepted(PanelCommand command) {
    readings_.onReplyAccepted(command);
    acceptedSinceRefresh_ = true;
}

int Engine::noAnswerStatus() const {
    return lost_ || !connection_.deviceConnected() ? exit_status::kNoCommunication : exit_status::kNoAnswer;
}

void Engine::connectionLost() {
    if (lost_) return;
    lost_ = true;
    if (reportConnection_) say(text(Text::ConnectionLost));
}

}  // namespace mr420::cli
