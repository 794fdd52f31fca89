#include "protocol/PanelConnection.h"

#include <grp.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/StringTable.h"
#include "base/SystemErrorText.h"
#include "base/TextFill.h"
#include "base/TimerIds.h"
#include "link/ComPortNames.h"

namespace mr420 {

namespace {

// The group that owns the device node, or "" when it cannot be told.
std::string deviceGroup(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    const struct group* g = ::getgrgid(st.st_gid);
    return g ? std::string(g->gr_name) : std::to_string(st.st_gid);
}


}  // namespace

std::string PortOpenFailure::message() const {
    std::string text = comNumber > 0 ? fillIn(str(string_id::kCannotOpenPort), {std::to_string(comNumber)})
                                     : fillIn(str(string_id::kCannotOpenDevice), {devicePath});
    text += '\n';
    text += devicePath.empty() ? reason : devicePath + ": " + reason;
    if (!hint.empty()) text += "\n" + hint;
    return text;
}

PortOpenFailure describePortOpenFailure(PortOpenError error, int err, const std::string& devicePath,
                                        const PortHolder& holder) {
    using namespace string_id;
    PortOpenFailure f;
    f.devicePath = devicePath;
    if (error == PortOpenError::Busy) f.holderPid = holder.pid;
    switch (error) {
    case PortOpenError::NoSuchDevice:
        f.reason = str(kPortNoSuchDevice);
        f.hint = str(kPortCheckAdapterHint);
        break;
    case PortOpenError::NotATty: f.reason = str(kPortNotSerial); break;
    case PortOpenError::Busy:
        f.reason = holder.pid > 0 ? fillIn(str(kPortInUseBy), {std::to_string(holder.pid),
                                                                holder.program.empty() ? "?" : holder.program})
                                  : str(kPortBusy);
        // A service that owns the port is stopped through its manager, or it comes back.
        if (!holder.unit.empty())
            f.hint = fillIn(str(kPortHeldByService),
                            {holder.unit, std::string(holder.userUnit ? "systemctl --user stop " : "sudo systemctl stop ") + holder.unit});
        break;
    case PortOpenError::PermissionDenied: {
        f.reason = str(kPortPermissionDenied);
        const std::string group = deviceGroup(devicePath);
        // Nobody is put into root's group to reach a serial port: the
        // device needs a rule that gives it a group of its own.
        f.hint = group.empty() || group == "root" ? str(kPortUdevHint) : fillIn(str(kPortGroupHint), {group, group});
        break;
    }
    case PortOpenError::None:
    case PortOpenError::Other:
        f.reason = systemErrorText(err != 0 ? err : EIO);
        break;
    }
    return f;
}

PanelConnection::PanelConnection(TimerRouter& timers, ByteDelivery& delivery, std::function<void()> pumpEvents)
    : timers_(timers), delivery_(delivery), pumpEvents_(std::move(pumpEvents)), session_(state_, args_, timers) {
    session_.setPort(this);
    timers_.route(timer_id::kReplyTimeout, [this](int id) { session_.onTimer(id); });
    timers_.route(timer_id::kFailurePause, [this](int id) { session_.onTimer(id); });
    timers_.route(timer_id::kLineQuiet, [this](int id) { session_.onTimer(id); });
    timers_.route(timer_id::kPortReopenRetry, [this](int) { onRetryTimer(); });
    timers_.route(timer_id::kPortPresence, [this](int) { onPresenceTimer(); });
}

PanelConnection::~PanelConnection() {
    closePort();
    for (int id : {timer_id::kReplyTimeout, timer_id::kFailurePause, timer_id::kLineQuiet, timer_id::kPortReopenRetry,
                   timer_id::kPortPresence}) {
        timers_.stopTimer(id);
        timers_.route(id, {});
    }
}

std::optional<PortOpenFailure> PanelConnection::openCom(int comNumber) {
    stopRetry();
    return open(devicePathForCom(comNumber, aliases_), comNumber);
}

std::optional<PortOpenFailure> PanelConnection::openDevice(const std::string& devicePath) {
    stopRetry();
    return open(devicePath, 0);
}

std::optional<PortOpenFailure> PanelConnection::open(const std::string& path, int comNumber) {
    closePort();
    // What the panes show came through the old port (or none).
    if (started_) session_.portLost();
    if (path.empty()) {
        PortOpenFailure f = describePortOpenFailure(PortOpenError::NoSuchDevice, ENOENT, path);
        f.comNumber = comNumber;
        return f;
    }
    auto port = std::make_unique<SerialPort>();
    if (!port->open(path, delivery_) || !port->startWorker()) {
        PortOpenFailure f = describePortOpenFailure(port->lastError(), port->lastErrno(), path, port->holder());
        f.comNumber = comNumber;
        port->close(pumpEvents_);
        if (tracing_) trace_.write('#', "port " + path + " not opened: " + f.reason);
        return f;
    }
    discarding_ = false;
    // Settings read from the panel on another port are not this panel's.
    state_.received.clear();
    port_ = std::move(port);
    openCom_ = comNumber;
    openPath_ = path;
    lossesSeen_ = 0;
    deviceAway_ = false;
    timers_.startTimer(timer_id::kPortPresence, kPresencePeriodMs);
    if (tracing_) {
        trace_.write('#', "port " + path + " open");
        if (!port_->lockNote().empty()) trace_.write('#', port_->lockNote());
    }
    if (started_) session_.portBack();
    return std::nullopt;
}

void PanelConnection::start() {
    started_ = true;
    session_.start();
}

void PanelConnection::onPresenceTimer() {
    if (!port_) {
        timers_.stopTimer(timer_id::kPortPresence);
        return;
    }
    const unsigned losses = port_->deviceLosses();
    const bool present = port_->deviceConnected();
    // A loss since the last look counts even when the device is back already.
    if (losses != lossesSeen_ || (!present && !deviceAway_)) {
        lossesSeen_ = losses;
        if (tracing_) trace_.write('#', "device " + openPath_ + " gone");
        if (started_) session_.portLost();
        deviceAway_ = true;
    }
    if (present && deviceAway_) {
        deviceAway_ = false;
        if (tracing_) trace_.write('#', "device " + openPath_ + " back");
        if (started_) session_.portBack();
    }
}

void PanelConnection::closePort() {
    stopRetry();
    openCom_ = 0;
    openPath_.clear();
    if (!port_) return;
    timers_.stopTimer(timer_id::kPortPresence);
    // Bytes the worker hands over while it is being joined belong to the old port.
    discarding_ = true;
    port_->close(pumpEvents_);
    port_.reset();
    if (tracing_) trace_.write('#', "port closed");
}

void PanelConnection::retryQuietly(int comNumber) {
    if (comNumber <= 0 || portOpen()) return;
    retryCom_ = comNumber;
    timers_.startTimer(timer_id::kPortReopenRetry, kRetryPeriodMs);
}

void PanelConnection::stopRetry() {
    if (retryCom_ == 0) return;
    retryCom_ = 0;
    timers_.stopTimer(timer_id::kPortReopenRetry);
}

void PanelConnection::onRetryTimer() {
    const int com = retryCom_;
    if (com == 0 || portOpen()) {
        stopRetry();
        return;
    }
    // Quietly: only a device that is there now is tried.
    if (!comPortExists(com, aliases_)) return;
    if (!open(devicePathForCom(com, aliases_), com)) stopRetry();
}

void PanelConnection::onCharacter(char c) {
    if (discarding_) return;
    session_.onCharacterReceived(c);
}

// --- the session's port -------------------------------------------------------

void PanelConnection::send(const char* frame, std::size_t length) {
    // The trace writes a PIN or the PAP password as asterisks.
    if (tracing_) trace_.write('>', std::string_view(frame, length));
    if (port_) port_->send(frame, length);
}

void PanelConnection::expectReply(std::size_t minimumLength) {
    if (port_) port_->expectReply(minimumLength);
}

// --- trace ----------------------------------------------------------------------

bool PanelConnection::startTrace(const std::string& path) {
    if (!trace_.open(path)) return false;
    tracing_ = true;
    session_.setLineObserver(this);
    trace_.write('#', "trace started" + (openPath_.empty() ? std::string() : ", port " + openPath_));
    return true;
}

void PanelConnection::stopTrace() {
    tracing_ = false;
    session_.setLineObserver(nullptr);
    trace_.close();
}

void PanelConnection::lineReceived(std::string_view line, ReplyVerdict verdict) {
    trace_.write('<', line);
    if (verdict != ReplyVerdict::Accepted) trace_.write('#', describeVerdict(verdict));
}

void PanelConnection::droppedDuringPause(std::string_view bytes) {
    trace_.write('#', "dropped during the pause after repeated bad lines: " + std::string(bytes));
}

void PanelConnection::droppedOverlong() { trace_.write('#', "line longer than the receive buffer, dropped"); }

}  // namespace mr420
