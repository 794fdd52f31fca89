#include "recording/RegistrationLog.h"

#include <algorithm>
#include <cstdio>

#include "base/TimerIds.h"
#include "base/Win1250.h"
#include "base/ValueFormat.h"

namespace mr420 {

namespace {

// Column order of the text file.
constexpr std::array<Channel, kChannelCount> kTextColumns{kChannelTemp1, kChannelTemp2, kChannelPressure,
                                                                  kChannelRh,    kChannelDp,    kChannelWb};

std::string columnValue(Channel channel, const LiveReading& pane, bool temperatureTwoDecimals) {
    if (!pane.valid()) return "???";
    switch (channel) {
    case kChannelTemp1:
    case kChannelTemp2:
        return temperatureTwoDecimals ? formatNumber("%.02f", pane.value) : formatTenthsCut(pane.value);
    case kChannelPressure: return formatNumber("%.01f", pane.value);
    case kChannelRh:
    case kChannelDp: return formatTenthsCut(pane.value);
    case kChannelWb: return formatNumber("%.0f", pane.value);
    default: return "???";
    }
}

}  // namespace

std::string quoteField(std::string_view field, char separator) {
    if (field.find(separator) == std::string_view::npos) return std::string(field);
    std::string out;
    out.reserve(field.size() + 4);
    out += '"';
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string textRecord(const RegistrationSettings& settings, const LocalTime& t, const LiveReadings& panes,
                       bool temperatureTwoDecimals, bool withHeader, const RegistrationTexts& texts) {
    const char sep = separatorFor(settings.sepFormat);
    std::string out;
    if (withHeader) {
        std::string header = quoteField(texts.dateTime, sep);
        for (Channel c : kTextColumns) {
            if (!settings.fileChannels[c]) continue;
            header += sep;
            header += quoteField(texts.titles[c], sep);
        }
        out = utf8ToWin1250(header);
        out += "\r\n";
    }
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d.%02d.%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    out += quoteField(stamp, sep);
    out += sep;
    bool first = true;
    for (Channel c : kTextColumns) {
        if (!settings.fileChannels[c]) continue;
        if (!first) out += sep;
        first = false;
        out += quoteField(columnValue(c, panes[c], temperatureTwoDecimals), sep);
    }
    out += "\r\n";
    return out;
}

std::string openingComment(bool appending, const std::string& commentUtf8, bool withSerialNumber,
                           long panelSerialNumber, char separator, const RegistrationTexts& texts) {
    std::string out;
    if (appending) out += "\r\n";
    if (!commentUtf8.empty()) {
        // One line of the file per line of the edit field, which may hand over
        // LF or CR LF line ends; the file uses CR LF.
        std::string_view rest = commentUtf8;
        for (;;) {
            const std::size_t lf = rest.find('\n');
            std::string_view line = rest.substr(0, lf);
            if (lf != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
            out += utf8ToWin1250(quoteField(line, separator));
            out += "\r\n";
            if (lf == std::string_view::npos) break;
            rest.remove_prefix(lf + 1);
        }
    }
    if (withSerialNumber) {
        std::string line = texts.panelNumber;
        if (panelSerialNumber >= 1)
            line += " " + std::to_string(panelSerialNumber);
        else
            line += " ???";
        out += utf8ToWin1250(quoteField(line, separator));
        out += "\r\n";
    }
    return out;
}

LiveReadings freshReadings(const LiveReadings& panes, const RecordSerials& previous) {
    LiveReadings fresh = panes;
    for (std::size_t c = 0; c < fresh.size(); ++c) {
        LiveReading& r = fresh[c];
        if (r.replySerial <= previous[c] || r.ageMs < 0 || r.ageMs > timer_id::kReplyTimeoutMs) r.hasValue = false;
    }
    return fresh;
}

void noteRecorded(const LiveReadings& panes, RecordSerials& previous) {
    for (std::size_t c = 0; c < panes.size(); ++c) previous[c] = std::max(previous[c], panes[c].replySerial);
}

RegistrationLog::RegistrationLog(RegistrationTexts texts) : texts_(std::move(texts)) {}

bool RegistrationLog::positionAfterOpen(RecordFile& file, bool& asking, RecordFile::OpenResult result,
                                        const AppendQuestion& appendExisting, bool& appending) {
    appending = false;
    if (result == RecordFile::OpenResult::Failed) return false;
    if (result == RecordFile::OpenResult::Existed) {
        // The question may run a nested event loop with the registration timer
        // going on; until it is answered the file takes no record, neither
        // over the old contents nor after them.
        struct Asking {
            bool& flag;
            explicit Asking(bool& f) : flag(f) { flag = true; }
            ~Asking() { flag = false; }
        } guard(asking);
        appending = appendExisting ? appendExisting() : true;
        bool ok = appending ? file.positionForAppend() : file.truncate();
        if (!ok) {
            file.close();
            return false;
        }
    }
    return true;
}

bool RegistrationLog::openTextFromDialog(const RegistrationSettings& settings, const std::string& commentUtf8,
                                         long panelSerialNumber, const AppendQuestion& appendExisting) {
    bool appending = false;
    if (!positionAfterOpen(text_, askingText_, text_.open(settings.fileName), appendExisting, appending))
        return false;
    lastHeaderMask_ = -1;
    if (settings.checkComment) {
        std::string block = openingComment(appending, commentUtf8, settings.checkCommentSn, panelSerialNumber,
                                           separatorFor(settings.sepFormat), texts_);
        if (!block.empty()) text_.writeRecord(block);
    }
    return true;
}

bool RegistrationLog::openBinaryFromDialog(const std::string& path, const AppendQuestion& appendExisting) {
    bool appending = false;
    return positionAfterOpen(binary_, askingBinary_, binary_.open(path), appendExisting, appending);
}

bool RegistrationLog::reopenTextAfterStart(const std::string& path) {
    bool appending = false;
    return positionAfterOpen(text_, askingText_, text_.open(path), [] { return true; }, appending);
}

bool RegistrationLog::reopenBinaryAfterStart(const std::string& path) {
    bool appending = false;
    return positionAfterOpen(binary_, askingBinary_, binary_.open(path), [] { return true; }, appending);
}

void RegistrationLog::writeTextRecord(const RegistrationSettings& settings, const LocalTime& time,
                                      const LiveReadings& panes, bool temperatureTwoDecimals) {
    if (!text_.isOpen() || askingText_) return;
    const int mask = channelMaskOf(settings);
    const bool withHeader = mask != lastHeaderMask_;
    // The header is part of the record's single write; it only counts as
    // written when that write reached the disk.
    if (!text_.writeRecord(
            textRecord(settings, time, freshReadings(panes, textSerials_), temperatureTwoDecimals, withHeader, texts_)))
        return;
    noteRecorded(panes, textSerials_);
    if (withHeader) lastHeaderMask_ = mask;
}

void RegistrationLog::writeBinaryRecord(const LocalTime& time, const LiveReadings& panes,
                                        const ProbeSources& sources) {
    if (!binary_.isOpen() || askingBinary_) return;
    if (binary_.writeRecord(encodeRecord(liveRecordText(time, freshReadings(panes, binarySerials_), sources))))
        noteRecorded(panes, binarySerials_);
}

void RegistrationLog::onRegistrationTimer(const RegistrationSettings& settings, const LocalTime& time,
                                          const LiveReadings& panes, const ProbeSources& sources) {
    writeTextRecord(settings, time, panes, sources.temperatureTwoDecimals);
    writeBinaryRecord(time, panes, sources);
}

}  // namespace mr420
