#pragma once
// The live registration of the command line: records at the interval into
// the file a strftime pattern names, a new file whenever the name changes.

#include <ctime>
#include <string>

#include "base/StringTable.h"
#include "cli/CliArguments.h"
#include "cli/CliEngine.h"
#include "recording/MeasurementFile.h"
#include "recording/MemorySave.h"
#include "recording/RegistrationLog.h"
#include "recording/RegistrationSources.h"

namespace mr420::cli {

// The file name of a pattern with strftime conversions, for the time now.
inline std::string expandFileName(const std::string& pattern) {
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

// The live registration of `log` and `serve`: a record at each tick into
// the file the pattern names at that time.
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
        if (paused_) return;
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

    // Closes the file (it was rotated away); the next tick opens the one
    // the pattern names then.
    void reopen() {
        if (binary_) log_.closeBinary();
        else log_.closeText();
        openName_.clear();
    }
    // While paused (the line carries something else) no record is written:
    // the panes would only repeat the last cycle.
    void pause(bool paused) { paused_ = paused; }
    const std::string& fileName() const { return openName_; }

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
    bool paused_ = false;
};

}  // namespace mr420::cli
