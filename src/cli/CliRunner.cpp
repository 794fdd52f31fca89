#include "cli/CliRunner.h"

#include <poll.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "app/ProgramVersion.h"
#include "app/Settings.h"
#include "app/SettingsLocation.h"
#include "base/EventLoop.h"
#include "base/IniFile.h"
#include "base/StringTable.h"
#include "base/SystemErrorText.h"
#include "base/TimerIds.h"
#include "base/TimerRouter.h"
#include "cli/CliArguments.h"
#include "cli/CliTexts.h"
#include "cli/ConfigGroups.h"
#include "config/ConfigController.h"
#include "config/DisplayModels.h"
#include "protocol/PanelConnection.h"
#include "recording/MemoryReadout.h"
#include "recording/MemorySave.h"
#include "recording/RegistrationLog.h"
#include "recording/RegistrationSources.h"
#include "ui/ReadingModel.h"

namespace mr420::cli {

std::atomic<int>& stopSignal() {
    static std::atomic<int> signal{0};
    return signal;
}

namespace {

using namespace std::chrono_literals;
namespace es = exit_status;

constexpr int kHousekeepingTimer = 1090;   // 100 ms: wakes the loop to look at the signals
constexpr int kHousekeepingMs = 100;
constexpr auto kForever = std::chrono::hours(24 * 365 * 10);

// Texts of the string table end in CR LF or a blank at places; a terminal wants neither.
std::string plain(std::string s) {
    std::string out;
    for (char c : s)
        if (c != '\r') out += c;
    while (!out.empty() && (out.back() == ' ' || out.back() == '\n')) out.pop_back();
    return out;
}

int signalled() { return stopSignal().load(); }
int signalExit() { return 128 + signalled(); }

// The panel engine on the plain event loop: the port, the session, the panes
// as the window's refresh fills them, and what the commands wait for.
class Engine : private DisplayListener, private ReplyListener, private ReadingView, private DataServerControl {
public:
    Engine(const CliStreams& io, bool quiet)
        : io_(io), quiet_(quiet), timers_(loop_), connection_(timers_, loop_, [this] { loop_.pumpOnce(); }),
          readings_(connection_.state(), timers_, *this, *this) {
        loop_.setByteHandler([this](char c) { connection_.onCharacter(c); });
        loop_.setTimerHandler([this](int id) { timers_.dispatch(id); });
        connection_.session().setDisplayListener(this);
        connection_.session().addReplyListener(this);
        timers_.route(timer_id::kSettingsReadPeriod, [this](int) { readings_.onSettingsReadTimer(); });
        timers_.route(kHousekeepingTimer, [](int) {});
        timers_.startTimer(kHousekeepingTimer, kHousekeepingMs);
    }

    ~Engine() override {
        connection_.session().removeReplyListener(this);
        connection_.session().setDisplayListener(nullptr);
        connection_.closePort();
        loop_.shutdown();
    }

    PanelConnection& connection() { return connection_; }
    PanelState& state() { return connection_.state(); }
    PanelSession& session() { return connection_.session(); }
    TimerRouter& timers() { return timers_; }
    ReadingModel& readings() { return readings_; }

    // Starts polling; the first refresh (no connection yet) is not a loss.
    void start() {
        connection_.start();
        started_ = true;
    }

    // Runs the loop until `done` or a termination signal; false on the signal.
    bool runUntil(const std::function<bool()>& done, std::chrono::steady_clock::duration limit = kForever) {
        loop_.runFor(limit, [&] { return done() || signalled() != 0; });
        return signalled() == 0;
    }
    // Runs the loop for `limit` whatever the signals say (a stop in progress).
    void runRegardless(const std::function<bool()>& done, std::chrono::steady_clock::duration limit) {
        loop_.runFor(limit, done);
    }

    // Polls until the first complete poll cycle: kDone, kNoCommunication
    // after the session's time-outs or after `limit` when one is given (at
    // once when the device goes), or the signal's status.
    int waitForFirstCycle(std::optional<std::chrono::milliseconds> limit) {
        const auto done = [&] {
            return cycles_ > 0 || (noCommunication_ && (!limit || !connection_.deviceConnected()));
        };
        if (!runUntil(done, limit.value_or(kForever))) return signalExit();
        return cycles_ > 0 ? es::kDone : es::kNoCommunication;
    }

    long cycles() const { return cycles_; }
    // Called after every complete cycle (the panes are up to date).
    void setCycleHandler(std::function<void()> handler) { onCycle_ = std::move(handler); }
    // Says on stderr when the connection is lost and when it is back.
    void reportConnection(bool on) { reportConnection_ = on; }

    void say(const std::string& text) const {
        std::fprintf(io_.err, "%s\n", plain(text).c_str());
        std::fflush(io_.err);
    }
    void note(const std::string& text) const {
        if (!quiet_) say(text);
    }

private:
    // DisplayListener: the window's refresh, plus what the commands wait for.
    void refreshDisplay(bool connected) override {
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
        const bool answered = acceptedSinceRefresh_ && connection_.session().failureCount() == 0 &&
                              connection_.deviceConnected();
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
    void onReplyAccepted(PanelCommand command) override {
        readings_.onReplyAccepted(command);
        acceptedSinceRefresh_ = true;
    }

    void connectionLost() {
        if (lost_) return;
        lost_ = true;
        if (reportConnection_) say(text(Text::ConnectionLost));
    }

    // ReadingView: there is no window to show or lay out.
    void setPaneVisible(int, bool) override {}
    void relayout() override {}
    void setStatusText(const std::string&) override {}
    void setClockText(const std::string&) override {}
    void setMenuEntryEnabled(int, bool) override {}
    void showDataServerStartFailure() override {}
    void reopenRegistrationAfterStart() override {}
    // DataServerControl: nor a data server.
    void stop() override {}
    bool start(int) override { return true; }
    void publish() override {}

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
};

// --- configuration groups -------------------------------------------------------

class ConfigRun : private ConfigDialogView, private ConfigFrontEnd {
public:
    // `onSettings` runs when the model has been filled (or at once for a
    // group without a read); true lets the controller write.
    ConfigRun(Engine& engine, std::function<bool()> onSettings)
        : engine_(engine), onSettings_(std::move(onSettings)),
          controller_(engine.session(), engine.timers(), *this) {}

    // kDone, kNoAnswer (read or write failed, message said), or what onSettings set.
    int run(ConfigKind kind, ConfigModel& model) {
        kind_ = kind;
        const bool acknowledged = controller_.run(kind, *this, model);
        if (signalled()) return signalExit();
        if (failed_) return es::kNoAnswer;
        if (status_ != es::kDone) return status_;
        if (configSpec(kind).writes() && wrote_ && !acknowledged) return es::kNoAnswer;
        if (wrote_ && acknowledged) engine_.note(text(Text::SettingsWritten));
        return es::kDone;
    }
    void setStatus(int status) { status_ = status; }
    // The group's read brought the settings (always for a group without one).
    bool readBrought() const { return arrived_ || !configSpec(kind_).reads(); }

private:
    bool runModal(bool waitForSettings) override {
        if (waitForSettings && !engine_.runUntil([this] { return arrived_ || cancelled_; })) {
            controller_.abandon();
            return false;
        }
        if (cancelled_) return false;
        wrote_ = onSettings_();
        return wrote_;
    }
    void settingsArrived() override { arrived_ = true; }
    void cancel() override { cancelled_ = true; }

    void showMessage(const UserMessage& message) override {
        failed_ = true;
        engine_.say(messageText(message));
    }
    void runWaitWindow() override {
        waiting_ = true;
        if (!engine_.runUntil([this] { return !waiting_; })) controller_.abandon();
        waiting_ = false;
    }
    void closeWaitWindow() override { waiting_ = false; }

    Engine& engine_;
    std::function<bool()> onSettings_;
    ConfigController controller_;
    bool arrived_ = false;
    bool cancelled_ = false;
    bool waiting_ = false;
    bool failed_ = false;
    bool wrote_ = false;
    int status_ = es::kDone;
    ConfigKind kind_ = ConfigKind::Clock;
};

std::string utf8Lines(const std::string& s) { return plain(s); }

int commandInfo(Engine& engine, const CliStreams& io) {
    PanelInfoModel model;
    ConfigRun run(engine, [&] {
        std::fprintf(io.out, "%s\n", utf8Lines(model.panelText()).c_str());
        if (!model.probeText().empty()) std::fprintf(io.out, "\n%s\n", utf8Lines(model.probeText()).c_str());
        std::fflush(io.out);
        return false;
    });
    return run.run(ConfigKind::PanelInformation, model);
}

// What a message may repeat of an argument: nothing of a secret.
constexpr const char* kHidden = "***";
std::string shown(const ConfigGroup& group, const std::string& argument) {
    return group.writeOnly ? kHidden : argument;
}

// Prints the refusal of a value: the model's message, or what the setting takes.
void sayRefused(Engine* engine, std::FILE* err, const ConfigGroup& group, const GroupSetting& s,
                const std::string& value, const SetResult& r) {
    const std::string msg =
        r.message ? messageText(r.message) : text(Text::BadValue, {shown(group, value), s.name, valuesText(s.values)});
    if (engine) engine->say(msg);
    else std::fprintf(err, "%s\n", plain(msg).c_str());
}

// Whether the panel at hand has the setting (its firmware is new enough).
bool panelHas(const GroupSetting& s, const PanelState& state) { return state.firmwareVersion >= s.firmware; }

// A set of a setting that the panel's firmware does not have: refused, with
// the firmware it needs, before anything is read or written.
int refuseMissingSettings(Engine& engine, const ConfigGroup& group, const CliOptions& o) {
    for (const auto& [name, value] : o.assignments) {
        const GroupSetting& s = *findSetting(group, name);
        if (panelHas(s, engine.state())) continue;
        engine.say(format(str(string_id::kSettingNeedsFirmware),
                          {s.name, firmwareVersionText(s.firmware), firmwareVersionText(engine.state().firmwareVersion)}));
        return es::kUsage;
    }
    return es::kDone;
}

int commandGetSet(Engine& engine, const CliStreams& io, const CliOptions& o) {
    const ConfigGroup& group = *findGroup(o.group);
    const ConfigSpec& spec = configSpec(group.kind);
    std::unique_ptr<ConfigModel> model = group.makeModel();
    ConfigRun* self = nullptr;
    const bool setting = o.command == Command::Set;
    if (setting)
        if (const int status = refuseMissingSettings(engine, group, o); status != es::kDone) return status;
    bool complete = true;
    ConfigRun run(engine, [&] {
        // Every reply of the group arrived in this run (a set of the clock
        // takes nothing of the panel's).
        complete = (setting && !spec.reads()) || settingsComplete(spec, engine.state());
        if (!complete) {
            self->setStatus(es::kNoAnswer);
            return false;
        }
        if (!setting) {
            for (const GroupSetting& s : group.settings)
                if (panelHas(s, engine.state()))
                    std::fprintf(io.out, "%s=%s\n", s.name.c_str(), s.get(*model, engine.state()).c_str());
            std::fflush(io.out);
            return false;
        }
        for (const auto& [name, value] : o.assignments) {
            const GroupSetting& s = *findSetting(group, name);
            const SetResult r = s.set(*model, value);
            if (!r.ok) {
                sayRefused(&engine, io.err, group, s, value, r);
                self->setStatus(es::kUsage);
                return false;
            }
        }
        if (const UserMessage m = model->accept()) {
            engine.say(messageText(m));
            self->setStatus(es::kUsage);
            return false;
        }
        return true;
    });
    self = &run;
    const int status = run.run(group.kind, *model);
    // The read ended without the group, or the chain without all of it.
    if (status == es::kNoAnswer && (!complete || !run.readBrought()))
        engine.say(format(str(setting ? string_id::kGroupNotReadNothingWritten : string_id::kGroupNotReadNothingPrinted),
                          {group.name}));
    return status;
}

// Names, values and assignments before the panel is asked anything: a set
// on a fresh model of the group takes each value as the panel's would.
int checkGroupArguments(const CliOptions& o, std::FILE* err) {
    const ConfigGroup* group = findGroup(o.group);
    if (!group) {
        std::fprintf(err, "%s\n", text(Text::UnknownGroup, {o.group}).c_str());
        std::fprintf(err, "%s\n", groupNames().c_str());
        return es::kUsage;
    }
    if (o.command == Command::Get && group->writeOnly) {
        std::fprintf(err, "%s\n", text(Text::SetOnlyGroup, {group->name, group->name}).c_str());
        return es::kUsage;
    }
    if (o.command != Command::Set) return es::kDone;
    std::unique_ptr<ConfigModel> trial = group->makeModel();
    for (const auto& [name, value] : o.assignments) {
        const GroupSetting* s = findSetting(*group, name);
        if (!s) {
            std::fprintf(err, "%s\n", text(Text::UnknownSetting, {shown(*group, name), group->name}).c_str());
            return es::kUsage;
        }
        const SetResult r = s->set(*trial, value);
        if (!r.ok) {
            sayRefused(nullptr, err, *group, *s, value, r);
            return es::kUsage;
        }
    }
    return es::kDone;
}

void printGroupHelp(const ConfigGroup& group, std::FILE* out) {
    std::fprintf(out, "%s\n", text(Text::GroupHelpHeader, {group.name}).c_str());
    for (const GroupSetting& s : group.settings) std::fprintf(out, "  %s: %s\n", s.name.c_str(), valuesText(s.values).c_str());
    if (group.writeOnly) std::fprintf(out, "%s\n", text(Text::SetOnlyGroup, {group.name, group.name}).c_str());
}

// --- watch ------------------------------------------------------------------------

std::string nowText() {
    const LocalTime t = localTimeNow();
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

// The pane's number without its unit, as it shows it.
std::string paneNumber(const ValuePaneModel& pane) {
    return formatPaneValue(pane.displayKind, pane.displayValue(), false, pane.twoDecimals).text;
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
            continue;
        }
        out += c;
    }
    return out + "\"";
}

int commandWatch(Engine& engine, const CliStreams& io, const CliOptions& o) {
    long printed = 0;
    std::string lastHeader;
    auto line = [&] {
        ReadingModel& r = engine.readings();
        std::string out;
        const std::string time = nowText();
        if (o.format == WatchFormat::Json) {
            out = "{\"time\":" + jsonString(time);
            for (int c = 0; c < kChannelCount; ++c) {
                const ValuePaneModel& p = r.pane(c);
                if (!p.visible) continue;
                std::string number = paneNumber(p);
                for (char& ch : number)
                    if (ch == ',') ch = '.';
                out += std::string(",\"") + channelName(c) + "\":" + (p.hasValue && !number.empty() ? number : "null");
            }
            out += "}";
        } else if (o.format == WatchFormat::Csv) {
            std::string header = "time";
            out = time;
            for (int c = 0; c < kChannelCount; ++c) {
                const ValuePaneModel& p = r.pane(c);
                if (!p.visible) continue;
                header += std::string(",") + channelName(c);
                out += "," + quoteField(p.hasValue ? paneNumber(p) : "???", ',');
            }
            // A header before the first line and whenever the channels change.
            if (header != lastHeader) {
                lastHeader = header;
                out = header + "\n" + out;
            }
        } else {
            out = time;
            for (int c = 0; c < kChannelCount; ++c) {
                const ValuePaneModel& p = r.pane(c);
                if (!p.visible) continue;
                out += "\t" + p.title + ": " + p.formattedValue();
            }
        }
        std::fprintf(io.out, "%s\n", out.c_str());
        std::fflush(io.out);
        ++printed;
    };
    line();   // the cycle the start waited for
    engine.setCycleHandler([&] {
        if (o.count == 0 || printed < o.count) line();
    });
    engine.reportConnection(true);
    engine.runUntil([&] { return o.count > 0 && printed >= o.count; });
    engine.setCycleHandler({});
    return es::kDone;
}

// --- log --------------------------------------------------------------------------

std::string expandFileName(const std::string& pattern) {
    if (pattern.find('%') == std::string::npos) return pattern;
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    std::string buffer(pattern.size() * 4 + 256, '\0');
    const std::size_t n = std::strftime(buffer.data(), buffer.size(), pattern.c_str(), &tm);
    if (n == 0) return pattern;
    buffer.resize(n);
    return buffer;
}

class LiveLog {
public:
    LiveLog(Engine& engine, const CliOptions& o) : engine_(engine), o_(o), log_(registrationTextsFromStringTable()) {
        binary_ = isBinaryMemoryFile(o.file);
        settings_.fileLog = !binary_;
        settings_.fileLogBin = binary_;
        settings_.sepFormat = o.separator;
        settings_.interval = o.interval;
        settings_.fileChannels = o.channels;
        settings_.checkComment = o.comment.has_value() || o.serial;
        settings_.checkCommentSn = o.serial;
    }

    // Opens the file the pattern names now and writes the first record.
    bool openCurrent() {
        const std::string name = expandFileName(o_.file);
        const bool append = !o_.truncate;
        bool opened;
        if (binary_) {
            settings_.fileNameBin = name;
            opened = log_.openBinaryFromDialog(name, [append] { return append; });
        } else {
            settings_.fileName = name;
            opened = log_.openTextFromDialog(settings_, o_.comment.value_or(std::string()),
                                             engine_.state().panelSerialNumber, [append] { return append; });
        }
        if (!opened) {
            engine_.say(str(binary_ ? kMsgBinaryFileUnavailable : kMsgTextFileUnavailable) + " " + name);
            openName_.clear();
            return false;
        }
        openName_ = name;
        write();
        return true;
    }

    void tick() {
        // A new file when the expanded name changes; one that will not open
        // is tried again at the next tick.
        if (expandFileName(o_.file) != openName_) {
            if (binary_) log_.closeBinary();
            else log_.closeText();
            openCurrent();
            return;
        }
        write();
    }

private:
    void write() {
        ReadingModel& r = engine_.readings();
        const bool twoDecimals = r.pane(kChannelTemp1).twoDecimals;
        const LocalTime now = localTimeNow();
        const LiveReadings panes = r.liveReadings();
        if (binary_) log_.writeBinaryRecord(now, panes, probeSourcesOf(engine_.state(), twoDecimals));
        else log_.writeTextRecord(settings_, now, panes, twoDecimals);
        const bool failed = log_.lastWriteFailed();
        if (failed && !writeFailed_) engine_.say(str(string_id::kRegistrationWriteFailed) + " " + openName_);
        writeFailed_ = failed;
    }

    Engine& engine_;
    const CliOptions& o_;
    RegistrationLog log_;
    RegistrationSettings settings_;
    bool binary_ = false;
    std::string openName_;
    bool writeFailed_ = false;
};

int commandLog(Engine& engine, const CliOptions& o) {
    LiveLog log(engine, o);
    if (!log.openCurrent()) return es::kFileFailed;
    engine.timers().route(timer_id::kRegistration, [&](int) { log.tick(); });
    engine.timers().startTimer(timer_id::kRegistration, o.interval * 1000);
    engine.reportConnection(true);
    engine.runUntil([] { return false; });
    engine.timers().stopTimer(timer_id::kRegistration);
    engine.timers().route(timer_id::kRegistration, {});
    return es::kDone;
}

// --- memory -----------------------------------------------------------------------

class MemoryRun : private MemoryReadoutView {
public:
    MemoryRun(Engine& engine, const CliStreams& io, bool quiet)
        : engine_(engine), io_(io), progress_(io.errIsTerminal && !quiet), readout_(engine.session(), engine.timers()) {}

    int run(const CliOptions& o, bool dewPoint, bool vapour) {
        const std::string part = ".part-" + std::to_string(::getpid());
        MemoryReadoutOptions options;
        options.dewPointColumn = dewPoint;
        options.vapourColumn = vapour;
        // The dump fetches every block, erased ones too, as the window's does.
        options.fullDump = !o.dumpPath.empty();
        if (options.fullDump) options.dumpPath = o.dumpPath + part;
        readout_.start(*this, options);
        const bool finished = engine_.runUntil([this] { return done_; });
        if (!finished) {
            // Stopped: the chain ends at its next step; the panel may be silent.
            readout_.cancel();
            engine_.runRegardless([this] { return done_; }, 1s);
        }
        readout_.detach();
        open_ = false;
        if (progress_ && total_ > 0) std::fputc('\n', io_.err);
        auto dropDump = [&] {
            if (options.fullDump) std::remove(options.dumpPath.c_str());
        };
        if (!finished) {
            dropDump();
            return signalExit();
        }
        if (transferFailed_) {
            dropDump();
            return es::kNoAnswer;
        }
        int status = es::kDone;
        if (options.fullDump) {
            if (dumpFailed_ || std::rename(options.dumpPath.c_str(), o.dumpPath.c_str()) != 0) {
                if (!dumpFailed_) engine_.say(text(Text::FileNotWritten, {o.dumpPath, systemErrorText(errno)}));
                dropDump();
                status = es::kFileFailed;
            }
        }
        if (readout_.records().empty()) return status;   // "the memory is empty" was said

        MemorySaveOptions save;
        save.separator = o.separator;
        save.addComment = o.comment.has_value() || o.serial;
        save.comment = o.comment.value_or(std::string());
        save.addSerialNumber = o.serial;
        save.panelSerialNumber = readout_.panelSerialNumber();
        // Written beside the file and renamed, so the file appears only complete.
        // The temporary name keeps the ending that chooses the format.
        const std::string temporary = o.file + part + (isBinaryMemoryFile(o.file) ? ".qvg" : "");
        std::remove(temporary.c_str());
        const MemorySaveResult result = saveMemoryFile(temporary, readout_.records(), save, [] { return false; },
                                                       memorySaveTextsFromStringTable());
        if (!result.saved()) {
            std::remove(temporary.c_str());
            engine_.say(memorySaveFailureText(result) + " " + o.file);
            return es::kFileFailed;
        }
        if (std::rename(temporary.c_str(), o.file.c_str()) != 0) {
            engine_.say(text(Text::FileNotWritten, {o.file, systemErrorText(errno)}));
            std::remove(temporary.c_str());
            return es::kFileFailed;
        }
        engine_.note(text(Text::MemorySaved, {std::to_string(readout_.records().size()), o.file}));
        return status;
    }

private:
    bool windowExists() const override { return open_; }
    void setProgressRange(int blocks) override { total_ = blocks; }
    void setProgress(int position) override {
        if (!progress_) return;
        std::fprintf(io_.err, "\r%s", text(Text::MemoryProgress, {std::to_string(position), std::to_string(total_)}).c_str());
        std::fflush(io_.err);
    }
    void showDecoded() override { done_ = true; }
    void showMessage(const UserMessage& message) override {
        if (progress_ && total_ > 0) std::fputc('\n', io_.err);
        engine_.say(str(message.stringId));
        if (message.stringId == 131) transferFailed_ = true;
        if (message.stringId == 221) dumpFailed_ = true;
    }
    void closeAsCancelled() override { done_ = true; }

    Engine& engine_;
    CliStreams io_;
    bool progress_;
    MemoryReadout readout_;
    bool open_ = true;
    bool done_ = false;
    bool transferFailed_ = false;
    bool dumpFailed_ = false;
    int total_ = 0;
};

class EraseRun : private MemoryEraser::FrontEnd {
public:
    EraseRun(Engine& engine, const CliStreams& io, bool yes)
        : engine_(engine), io_(io), yes_(yes), eraser_(engine.session(), engine.timers(), *this) {}

    int run() {
        const bool erased = eraser_.run();
        if (signalled()) return signalExit();
        if (refused_) return es::kUsage;
        if (!erased) return es::kNoAnswer;
        engine_.note(text(Text::MemoryErased));
        return es::kDone;
    }

private:
    bool confirmErase() override {
        if (yes_) return true;
        if (!io_.inIsTerminal) {
            engine_.say(text(Text::EraseRefused));
            refused_ = true;
            return false;
        }
        std::fprintf(io_.err, "%s%s", plain(str(125)).c_str(), text(Text::EraseQuestionSuffix).c_str());
        std::fflush(io_.err);
        // The answer is read while the loop waits; a signal ends the question.
        std::string answer;
        while (signalled() == 0) {
            pollfd p{STDIN_FILENO, POLLIN, 0};
            if (::poll(&p, 1, kHousekeepingMs) <= 0) continue;
            char c;
            if (::read(STDIN_FILENO, &c, 1) != 1 || c == '\n') break;
            answer += c;
        }
        const bool yes = signalled() == 0 && !answer.empty() &&
                         (answer[0] == text(Text::YesAnswer)[0] || answer[0] == 'y' || answer[0] == 'Y' ||
                          std::toupper(static_cast<unsigned char>(answer[0])) ==
                              std::toupper(static_cast<unsigned char>(text(Text::YesAnswer)[0])));
        if (!yes && signalled() == 0) refused_ = true;
        return yes;
    }
    // The acknowledgement ends the wait; the panel has then erased its memory.
    void runWaitWindow() override {
        closed_ = false;
        engine_.runUntil([this] { return closed_ || engine_.state().memoryErased != 0; });
    }
    void closeWaitWindow() override { closed_ = true; }
    void showMessage(const UserMessage& message) override { engine_.say(str(message.stringId)); }

    Engine& engine_;
    CliStreams io_;
    bool yes_;
    MemoryEraser eraser_;
    bool closed_ = false;
    bool refused_ = false;
};

// --- the start --------------------------------------------------------------------

}  // namespace

int runCli(const std::vector<std::string>& args, const std::string& programDir, const CliStreams& io) {
    // The settings file is read, never written.
    const std::string iniPath = iniPathFromArguments(args);
    IniFile ini;
    const bool opened = ini.open(iniPath, /*saveWhenClosed=*/false, /*createIfMissing=*/false, /*caseBlind=*/true,
                                 /*backup=*/false);
    AppSettings settings = defaultSettings();
    std::map<int, std::string> aliases;
    std::string language;
    if (opened && !ini.notASettingsFile()) {
        readSettings(ini, settings);
        language = readLanguage(ini);
        aliases = readPortAliases(ini);
    }
    // --lang before the full reading, so that its messages are in that language.
    if (const std::string l = languageOption(args); l == "pl" || l == "en") language = l;
    if (!useLanguage(language, programDir)) std::fprintf(io.err, "%s\n", text(Text::EnglishUnavailable).c_str());

    const ParseResult parsed = parseArguments(args);
    if (!parsed.ok()) {
        std::fprintf(io.err, "%s\n", parsed.error.c_str());
        std::fprintf(io.err, "mr420-cli --help\n");
        return es::kUsage;
    }
    const CliOptions& o = parsed.options;
    switch (o.command) {
    case Command::Help:
        std::fprintf(io.out, "%s", text(Text::Usage, {groupNames()}).c_str());
        return es::kDone;
    case Command::Version:
        std::fprintf(io.out, "mr420-cli %s\n", programVersion().c_str());
        return es::kDone;
    case Command::GroupHelp: {
        const ConfigGroup* group = findGroup(o.group);
        if (!group) return checkGroupArguments(o, io.err);
        printGroupHelp(*group, io.out);
        return es::kDone;
    }
    case Command::Get:
    case Command::Set:
        if (const int status = checkGroupArguments(o, io.err); status != es::kDone) return status;
        break;
    default: break;
    }

    const int port = o.port.value_or(settings.portNr);
    if (o.device.empty() && port <= 0) {
        std::fprintf(io.err, "%s\n", text(Text::MissingArgument, {text(Text::PortOrDevice)}).c_str());
        return es::kUsage;
    }

    Engine engine(io, o.quiet);
    engine.connection().setPortAliases(aliases);
    if (!o.tracePath.empty() && !engine.connection().startTrace(o.tracePath)) {
        engine.say(text(Text::FileNotWritten, {o.tracePath, systemErrorText(errno)}));
        return es::kFileFailed;
    }
    const auto failure = o.device.empty() ? engine.connection().openCom(port) : engine.connection().openDevice(o.device);
    if (failure) {
        engine.say(failure->message());
        return es::kPortFailed;
    }
    engine.start();
    std::optional<std::chrono::milliseconds> firstCycleLimit;
    if (o.timeout) firstCycleLimit = std::chrono::milliseconds(std::llround(*o.timeout * 1000));
    if (const int status = engine.waitForFirstCycle(firstCycleLimit); status != es::kDone) {
        if (status == es::kNoCommunication) engine.say(str(string_id::kStatusNoCommunication));
        return status;
    }

    switch (o.command) {
    case Command::Info: return commandInfo(engine, io);
    case Command::Watch: return commandWatch(engine, io, o);
    case Command::Log: return commandLog(engine, o);
    case Command::MemoryRead: {
        MemoryRun run(engine, io, o.quiet);
        return run.run(o, o.dewPoint.value_or(settings.memoryDp != 0), o.vapour.value_or(settings.memoryPpm != 0));
    }
    case Command::MemoryErase: {
        EraseRun run(engine, io, o.yes);
        return run.run();
    }
    case Command::Get:
    case Command::Set: return commandGetSet(engine, io, o);
    default: return es::kUsage;
    }
}

}  // namespace mr420::cli
