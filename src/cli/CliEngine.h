#pragma once
// The panel engine of the command line on the plain event loop: the port,
// the session, the panes as the window's refresh fills them, the wait for
// complete poll cycles and the termination signals. Every command runs on it.

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "base/EventLoop.h"
#include "base/TimerRouter.h"
#include "cli/CliRunner.h"
#include "protocol/PanelConnection.h"
#include "ui/ReadingModel.h"

namespace mr420::cli {

// How often a wait outside the loop (the erase question) looks at the signals.
constexpr int kHousekeepingMs = 100;

// Texts of the string table end in CR LF or a blank at places; a terminal wants neither.
std::string plain(std::string s);

// The termination signal received (0: none) and the status it ends a command with.
int signalled();
int signalExit();

class Engine : private DisplayListener, private ReplyListener {
public:
    Engine(const CliStreams& io, bool quiet);
    ~Engine() override;

    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    PanelConnection& connection() { return connection_; }
    PanelState& state() { return connection_.state(); }
    PanelSession& session() { return connection_.session(); }
    TimerRouter& timers() { return timers_; }
    ReadingModel& readings() { return readings_; }
    const CliStreams& streams() const { return io_; }
    // Where a command's output and messages go, and whether it is quiet:
    // a command run for a client of the service talks to that client.
    void redirect(const CliStreams& io, bool quiet) {
        io_ = io;
        quiet_ = quiet;
    }

    // Starts polling; the first refresh (no connection yet) is not a loss.
    void start();

    // A stop request besides the termination signals, for the command a
    // client of the service runs and abandons; empty: none.
    void setInterrupt(std::function<bool()> interrupted) { interrupted_ = std::move(interrupted); }
    bool interrupted() const { return signalled() != 0 || (interrupted_ && interrupted_()); }

    // Runs the loop until `done`, a termination signal or the interrupt; false on either.
    bool runUntil(const std::function<bool()>& done,
                  std::chrono::steady_clock::duration limit = std::chrono::hours(24 * 365 * 10));
    // Runs the loop for `limit` whatever the signals say (a stop in progress).
    void runRegardless(const std::function<bool()>& done, std::chrono::steady_clock::duration limit);

    // Polls until the first complete poll cycle: kDone, kNoCommunication
    // after the session's time-outs or after `limit` when one is given (at
    // once when the device goes), or the signal's status.
    int waitForFirstCycle(std::optional<std::chrono::milliseconds> limit);

    long cycles() const { return cycles_; }
    // The status of a command the panel did not answer: kNoCommunication
    // when the device has gone or the connection is lost (the command could
    // not have been answered), else kNoAnswer.
    int noAnswerStatus() const;
    // Called after every complete cycle (the panes are up to date).
    void setCycleHandler(std::function<void()> handler) { onCycle_ = std::move(handler); }
    // Says on stderr when the connection is lost and when it is back.
    void reportConnection(bool on) { reportConnection_ = on; }

    // Syslog priorities of what is said, for the journal.
    static constexpr int kError = 3, kWarning = 4, kInfo = 6;
    void say(const std::string& text) const;
    // As say, unless --quiet.
    void note(const std::string& text) const;
    // On standard error, each line with its priority when it goes to the journal.
    void tell(const std::string& text, int priority) const;

    // The loop's descriptor watches (the data server's sockets).
    FdWatcher& watcher() { return loop_; }

private:
    // DisplayListener: the window's refresh, plus what the commands wait for.
    void refreshDisplay(bool connected) override;
    void onReplyAccepted(PanelCommand command) override;
    void connectionLost();

    CliStreams io_;
    bool quiet_;
    EventLoop loop_;
    TimerRouter timers_;
    PanelConnection connection_;
    ReadingModel readings_;
    bool started_ = false;
    bool acceptedSinceRefresh_ = false;
    bool noCommunication_ = false;
    bool lost_ = false;
    bool reportConnection_ = false;
    long cycles_ = 0;
    std::function<void()> onCycle_;
    std::function<bool()> interrupted_;
};

}  // namespace mr420::cli
