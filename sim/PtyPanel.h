#pragma once
// The simulated panel behind a pseudo-terminal, answering on its own thread:
// the program (or a test) opens the slave device as it would a serial port.
// The panel keeps a slave descriptor of its own, so the client may close and
// reopen the device at will; when the client has closed it, the exclusive
// mode it set is lifted and unread replies are dropped.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "sim/FaultConfig.h"
#include "sim/PanelModel.h"
#include "sim/SimulatedPanel.h"
#include "sim/Transcript.h"

namespace mr420::sim {

class PtyPanel {
public:
    // `linkPath`: when not empty, a symbolic link made to the slave device
    // (replaced if it exists, removed on stop).
    explicit PtyPanel(PanelModel model = {}, FaultConfig faults = {}, std::string linkPath = {});
    ~PtyPanel();
    PtyPanel(const PtyPanel&) = delete;
    PtyPanel& operator=(const PtyPanel&) = delete;

    // Opens the pseudo-terminal and starts answering. Returns the slave path,
    // or nullopt (see lastError()).
    std::optional<std::string> start();
    void stop();
    bool running() const { return thread_.joinable(); }

    std::string slavePath() const;
    const std::string& linkPath() const { return linkPath_; }
    std::string lastError() const;

    void setFaults(const FaultConfig& faults);
    FaultConfig faults() const;
    // Runs `f` on the model under the panel's lock.
    void withModel(const std::function<void(PanelModel&)>& f);
    PanelModel modelSnapshot() const;
    void silenceFor(double seconds);
    std::uint64_t framesReceived() const;

    // Time from the last character of a reply to the first character of the
    // next frame, as this end of the line sees it.
    struct Turnaround {
        std::uint64_t count = 0;
        double totalMicroseconds = 0;
    };
    Turnaround turnaround() const;

    // Writes every frame and reply to `path` (appending).
    bool setTranscript(const std::string& path);

    // Closes the pseudo-terminal, so the client sees its device fail, and
    // opens a new one behind the same link. Returns the new slave path.
    std::optional<std::string> closeAndRecreate();

private:
    bool openPty();
    void closePty();
    bool makeLink();
    void run();
    void handleLine(const std::string& frame);
    void sendReply(const std::string& bytes, int delayMs, bool pace);
    bool waitOrStop(int milliseconds);
    bool writeAll(const char* data, std::size_t length);
    void clientClosed();
    void setError(const std::string& text);

    mutable std::mutex mutex_;   // guards panel_, slavePath_, error_
    SimulatedPanel panel_;
    std::string linkPath_;
    std::string slavePath_;
    std::string error_;
    Transcript transcript_;

    int master_ = -1;
    int heldSlave_ = -1;   // keeps the pty alive while the client is away
    int inotify_ = -1;     // opens and closes of the slave device
    int wakePipe_[2] = {-1, -1};
    int clientOpens_ = 0;
    std::optional<std::chrono::steady_clock::time_point> replyEndedAt_;   // panel thread only
    Turnaround turnaround_;   // guarded by mutex_
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace mr420::sim
