#include <ctime>
#include <string>

#include "base/StringTable.h"
#include "base/TimerIds.h"
#include "cli/Commands.h"
#include "recording/MeasurementFile.h"
#include "recording/MemorySave.h"
#include "recording/RegistrationLog.h"
#include "recording/RegistrationSources.h"

namespace mr420::cli {

namespace {

// The file name of a pattern with strftime conversions, for the time now.
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
        binary_ = isMeasurementFileName(o.file);
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

}  // namespace

int commandLog(Engine& engine, const CliOptions& o) {
    LiveLog log(engine, o);
    if (!log.openCurrent()) return exit_status::kFileFailed;
    engine.timers().route(timer_id::kRegistration, [&](int) { log.tick(); });
    engine.timers().startTimer(timer_id::kRegistration, o.interval * 1000);
    engine.reportConnection(true);
    engine.runUntil([] { return false; });
    engine.timers().stopTimer(timer_id::kRegistration);
    engine.timers().route(timer_id::kRegistration, {});
    return exit_status::kDone;
}

}  // namespace mr420::cli
