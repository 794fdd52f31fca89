#pragma once
// The panel engine: one serial port, the session that keeps the conversation
// with the panel going, the panel state it fills and the write arguments it
// sends. The window and the command line each hold one on their own event
// loop; it needs only a timer router, that loop's byte hand-over, and a way
// to keep the loop's events flowing while a port's worker is joined.
//
// Everything runs on the loop's thread: the loop hands every received byte to
// onCharacter and every timer expiry to the router. Nothing called from a
// byte (the session's listeners) may run a modal loop: on Qt the hand-over is
// itself a queued call, inside which later hand-overs are not delivered, so
// the port would stand still until the loop ended. Messages wait for the
// next turn of the event loop.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/Interfaces.h"
#include "base/TimerRouter.h"
#include "link/SerialPort.h"
#include "protocol/LineTrace.h"
#include "protocol/PanelSession.h"

namespace mr420 {

// Why a port could not be opened, in the program's language.
struct PortOpenFailure {
    int comNumber = 0;        // 0 when the device was named by its path
    std::string devicePath;   // empty when the COM number names no device
    std::string reason;       // the system's reason
    std::string hint;         // what the user can do about it, or empty
    int holderPid = 0;        // the process that holds the port, when known

    // String 105 with the number (or the device path), then the device and
    // the reason, then the hint, each on a line of its own.
    std::string message() const;
};

// The reason and hint for an error of SerialPort::open on `devicePath`.
// The permission hint names the group that owns the device; a device of the
// group root calls for a udev rule instead. A busy port names the program
// that holds it when `holder` knows its PID.
PortOpenFailure describePortOpenFailure(PortOpenError error, int err, const std::string& devicePath,
                                        const PortHolder& holder = {});

class PanelConnection : private FramePort, private LineObserver {
public:
    // The port's worker is joined with pumpEvents running, so that a worker
    // blocked in a hand-over to this thread can finish.
    PanelConnection(TimerRouter& timers, ByteDelivery& delivery, std::function<void()> pumpEvents);
    ~PanelConnection() override;

    PanelConnection(const PanelConnection&) = delete;
    PanelConnection& operator=(const PanelConnection&) = delete;

    // [PORTS] entries of the settings file: COM number -> device path.
    void setPortAliases(std::map<int, std::string> aliases) { aliases_ = std::move(aliases); }
    const std::map<int, std::string>& portAliases() const { return aliases_; }

    // Opens COM n, or a device by its path, as the session's port. The port
    // open before is closed first. Once the session runs, the change shows
    // no communication at once, and the poll cycle starts afresh on the new
    // port (a reply of the old one is no reading of the new). On failure no
    // port is open. Either call ends a quiet retry.
    std::optional<PortOpenFailure> openCom(int comNumber);
    std::optional<PortOpenFailure> openDevice(const std::string& devicePath);

    // Ends the port's worker and closes it; bytes still on their way are
    // dropped. Ends a quiet retry.
    void closePort();

    // Tries to open COM n every kRetryPeriodMs without a word until it opens
    // (a device plugged in after the program started). Ends with any
    // explicit open or close.
    void retryQuietly(int comNumber);
    bool retrying() const { return retryCom_ != 0; }
    static constexpr int kRetryPeriodMs = 500;

    bool portOpen() const { return port_ != nullptr; }
    int openComNumber() const { return openCom_; }   // 0 with no port, or one named by path
    const std::string& devicePath() const { return openPath_; }
    // The open device is present (a USB adapter may be pulled out and back).
    // While the session runs, a device that goes away is no communication
    // at once (within kPresencePeriodMs), and the frame due goes out as
    // soon as the worker has reopened it.
    bool deviceConnected() const { return port_ && port_->deviceConnected(); }
    static constexpr int kPresencePeriodMs = 100;

    // Shows no connection, starts the reply timer and sends the first command.
    void start();
    // One received byte, from the loop's byte hand-over.
    void onCharacter(char c);

    // Appends every frame sent and every line received, with the reason for
    // each line the parser did not accept, to `path` in the line-trace
    // format. A PIN and the PAP password appear only as asterisks.
    bool startTrace(const std::string& path);
    void stopTrace();

    PanelSession& session() { return session_; }
    PanelState& state() { return state_; }
    const PanelState& state() const { return state_; }
    WriteArguments& writeArguments() { return args_; }

private:
    // FramePort: the session's frames go through here to the port.
    void send(const char* frame, std::size_t length) override;
    void expectReply(std::size_t minimumLength) override;
    // LineObserver, set only while tracing.
    void lineReceived(std::string_view line, ReplyVerdict verdict) override;
    void droppedDuringPause(std::string_view bytes) override;
    void droppedOverlong() override;

    std::optional<PortOpenFailure> open(const std::string& path, int comNumber);
    void stopRetry();
    void onRetryTimer();
    void onPresenceTimer();

    TimerRouter& timers_;
    ByteDelivery& delivery_;
    std::function<void()> pumpEvents_;
    std::map<int, std::string> aliases_;

    PanelState state_;
    WriteArguments args_;
    PanelSession session_;

    std::unique_ptr<SerialPort> port_;
    int openCom_ = 0;
    std::string openPath_;
    bool discarding_ = false;   // the port is being closed: its bytes are not the session's
    int retryCom_ = 0;
    bool started_ = false;          // the session runs
    unsigned lossesSeen_ = 0;       // the port's deviceLosses() at the last look
    bool deviceAway_ = false;       // the last look found the device gone

    LineTrace trace_;
    bool tracing_ = false;   // checked per frame: no lock while the trace is off
};

}  // namespace mr420
