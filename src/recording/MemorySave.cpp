#include "recording/MemorySave.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <cwchar>

#include "base/StringTable.h"
#include "base/SystemErrorText.h"
#include "base/TextFill.h"
#include "base/ValueFormat.h"
#include "base/Win1250.h"
#include "recording/FileReplacement.h"
#include "recording/MeasurementFile.h"
#include "recording/RecordFile.h"
#include "recording/RegistrationLog.h"
#include "recording/RegistrationSettings.h"

namespace mr420 {

namespace {

constexpr std::array<int, 6> kColumnOrder{memory_column::kTemperature1, memory_column::kTemperature2,
                                          memory_column::kHumidity,     memory_column::kPressure,
                                          memory_column::kDewPoint,     memory_column::kVapour};

std::string temperatureText(bool error, double value, bool twoDecimals) {
    if (error) return kNoValueText;
    return formatNumber(twoDecimals ? "%.02f" : "%.01f", value);
}

std::string columnText(const MemoryRecord& r, int column) {
    switch (column) {
    case memory_column::kTemperature1: return temperatureText(r.temperature1Error, r.temperature1, r.twoDecimals);
    case memory_column::kTemperature2: return temperatureText(r.temperature2Error, r.temperature2, r.twoDecimals);
    case memory_column::kHumidity: return r.humidityError ? kNoValueText : formatNumber("%.01f", r.humidity);
    case memory_column::kPressure: return r.pressureError ? kNoValueText : formatNumber("%.01f", r.pressure);
    // A computed value that is not meaningful (NaN) keeps its column.
    case memory_column::kDewPoint: return std::isfinite(r.dewPoint) ? formatNumber("%.01f", r.dewPoint) : kNoValueText;
    case memory_column::kVapour: return std::isfinite(r.vapourPpm) ? formatNumber("%.0f", r.vapourPpm) : kNoValueText;
    default: return kNoValueText;
    }
}

// RecordFile answers a failed write or sync with false and leaves errno as
// the failing call set it (taking back a partial record only uses calls that
// keep errno when they succeed). errno is cleared before each step, so a
// failure that set none still gets a reason.
int lastErrorOr(int fallback) { return errno != 0 ? errno : fallback; }

MemorySaveResult failed(MemorySaveResult::Status status, std::string path, int errorNumber) {
    MemorySaveResult r;
    r.status = status;
    r.path = std::move(path);
    r.errorNumber = errorNumber;
    return r;
}

}  // namespace

MemorySaveTexts memorySaveTextsFromStringTable() {
    using namespace string_id;
    return headTextsFromStringTable<MemorySaveTexts>(
        kMemoryTitleDateTime, {kMemoryTitleTemperature1, kMemoryTitleTemperature2, kMemoryTitleHumidity,
                               kMemoryTitlePressure, kMemoryTitleDewPoint, kMemoryTitleVapour});
}

int memoryColumnsOf(const MemoryRecord& r) {
    int columns = 0;
    if (r.temperature1Present) columns |= memory_column::kTemperature1;
    if (r.temperature2Present) columns |= memory_column::kTemperature2;
    if (r.humidityPresent) columns |= memory_column::kHumidity;
    if (r.pressurePresent) columns |= memory_column::kPressure;
    if (r.dewPointComputed) columns |= memory_column::kDewPoint;
    if (r.vapourComputed) columns |= memory_column::kVapour;
    return columns;
}

std::string fullDateTime(const LocalTime& t) {
    std::tm tm = tmOf(t);
    // Daylight saving and the zone name, for a locale whose format shows
    // them; the fields written stay those of the record, even in the hour a
    // clock change skips.
    std::tm probe = tm;
    tm.tm_isdst = 0;
    if (std::mktime(&probe) != static_cast<std::time_t>(-1)) {
        tm.tm_isdst = probe.tm_isdst;
        tm.tm_gmtoff = probe.tm_gmtoff;
        tm.tm_zone = probe.tm_zone;
    }
    // The wide form gives the locale's text as code points whatever its
    // character set, so a Latin-2 locale converts as well as a UTF-8 one.
    wchar_t buffer[256];
    const std::size_t n = std::wcsftime(buffer, std::size(buffer), L"%c", &tm);
    if (n == 0) {
        char fallback[64];
        std::snprintf(fallback, sizeof fallback, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                      t.minute, t.second);
        return fallback;
    }
    std::string out;
    for (std::size_t i = 0; i < n; ++i) appendUtf8(out, static_cast<char32_t>(buffer[i]));
    return out;
}

std::string memoryCommentBlock(const MemorySaveOptions& options, const MemorySaveTexts& texts) {
    if (!options.addComment) return {};
    // The same lines the live registration writes when it starts: each line
    // of the comment, then the panel number ("???" without a serial number).
    RegistrationTexts registration;
    registration.panelNumber = texts.panelNumber;
    return openingComment(false, options.comment, options.addSerialNumber, options.panelSerialNumber,
                          separatorFor(options.separator), registration);
}

std::string memoryHeaderLine(int columns, char separator, const MemorySaveTexts& texts) {
    std::string line = quoteField(texts.dateTime, separator);
    for (std::size_t i = 0; i < kColumnOrder.size(); ++i) {
        if (!(columns & kColumnOrder[i])) continue;
        line += separator;
        line += quoteField(texts.titles[i], separator);
    }
    std::string out = utf8ToWin1250(line);
    out += "\r\n";
    return out;
}

std::string memoryRow(const MemoryRecord& record, char separator) {
    const int columns = memoryColumnsOf(record);
    std::string line = quoteField(fullDateTime(record.time), separator);
    line += separator;
    bool first = true;
    for (int column : kColumnOrder) {
        if (!(columns & column)) continue;
        if (!first) line += separator;
        first = false;
        line += quoteField(columnText(record, column), separator);
    }
    std::string out = utf8ToWin1250(line);
    out += "\r\n";
    return out;
}

std::string memoryTextFile(const std::vector<MemoryRecord>& records, const MemorySaveOptions& options,
                           const MemorySaveTexts& texts) {
    const char separator = separatorFor(options.separator);
    std::string out = memoryCommentBlock(options, texts);
    int previousColumns = -1;
    for (const MemoryRecord& record : records) {
        const int columns = memoryColumnsOf(record);
        if (columns != previousColumns) out += memoryHeaderLine(columns, separator, texts);
        previousColumns = columns;
        out += memoryRow(record, separator);
    }
    return out;
}


std::vector<FileFilter> parseFileFilters(std::string_view filters) {
    std::vector<FileFilter> out;
    std::vector<std::string_view> parts;
    while (!filters.empty()) {
        const std::size_t bar = filters.find('|');
        parts.push_back(filters.substr(0, bar));
        if (bar == std::string_view::npos) break;
        filters.remove_prefix(bar + 1);
    }
    // Pairs of label and pattern; the list ends at an empty label.
    for (std::size_t i = 0; i + 1 < parts.size() && !parts[i].empty(); i += 2) {
        FileFilter f;
        f.label = std::string(parts[i]);
        const std::string_view pattern = parts[i + 1].substr(0, parts[i + 1].find(';'));
        const std::size_t dot = pattern.rfind('.');
        if (dot != std::string_view::npos && pattern.find_first_of("*?", dot + 1) == std::string_view::npos)
            f.extension = std::string(pattern.substr(dot + 1));
        out.push_back(std::move(f));
    }
    return out;
}

std::string withMemoryExtension(const std::string& path, int filterIndex) {
    if (filterIndex == 2) return withBinaryExtension(path);
    return withTextExtension(path, filterIndex == 1 ? 1 : 0);
}

MemorySaveResult saveMemoryFile(const std::string& path, const std::vector<MemoryRecord>& records,
                                const MemorySaveOptions& options, const std::function<bool()>& appendExisting,
                                const MemorySaveTexts& texts) {
    std::function<ExistingFile()> ask;
    if (appendExisting) ask = [&] { return appendExisting() ? ExistingFile::Append : ExistingFile::Empty; };
    return saveMemoryFileAsking(path, records, options, ask, texts);
}

namespace {

// The bytes of `from` (open, its position anywhere) written to `to` as they are.
bool copyInto(const std::string& from, RecordFile& to) {
    std::FILE* f = std::fopen(from.c_str(), "rbe");
    if (!f) return false;
    char buffer[65536];
    bool ok = true;
    for (std::size_t n; ok && (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
        ok = to.writeUnsynced(std::string_view(buffer, n));
    if (std::ferror(f)) ok = false;
    std::fclose(f);
    return ok;
}

}  // namespace

MemorySaveResult saveMemoryFileAsking(const std::string& path, const std::vector<MemoryRecord>& records,
                                      const MemorySaveOptions& options,
                                      const std::function<ExistingFile()>& whenExisting,
                                      const MemorySaveTexts& texts) {
    using Status = MemorySaveResult::Status;
    // The file as it is, when there is one: held against a second writer
    // (a live registration into it) while its replacement is written.
    RecordFile existing;
    bool append = false;
    errno = 0;
    if (path.empty()) return failed(Status::CannotOpen, path, 0);
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (existing.open(path) != RecordFile::OpenResult::Existed) return failed(Status::CannotOpen, path, lastErrorOr(0));
        const ExistingFile answer = whenExisting ? whenExisting() : ExistingFile::Append;
        if (answer == ExistingFile::Cancel) return failed(Status::Cancelled, path, 0);
        append = answer == ExistingFile::Append;
    }
    // Written beside the file and renamed over it: a save that fails leaves
    // the file as it was.
    FileReplacement replacement(path);
    errno = 0;
    if (!replacement.open()) return failed(Status::CannotOpen, path, lastErrorOr(0));
    RecordFile& file = replacement.file();
    errno = 0;
    if (append && !copyInto(replacement.target(), file)) return failed(Status::WriteFailed, path, lastErrorOr(EIO));
    errno = 0;
    const bool written = isMeasurementFileName(path)
                             ? writeMemoryRecords(file, records, options.panelSerialNumber)
                             : file.writeUnsynced(memoryTextFile(records, options, texts));
    if (!written) return failed(Status::WriteFailed, path, lastErrorOr(EIO));
    errno = 0;
    if (!replacement.commit()) return failed(Status::WriteFailed, path, lastErrorOr(EIO));
    MemorySaveResult saved;
    saved.path = path;
    return saved;
}

std::string memorySaveFailureText(const MemorySaveResult& result) {
    switch (result.status) {
    case MemorySaveResult::Status::Saved:
    case MemorySaveResult::Status::Cancelled: return {};
    case MemorySaveResult::Status::CannotOpen: return str(kMsgMemoryFileUnavailable);
    case MemorySaveResult::Status::WriteFailed: break;
    }
    const std::string reason = systemErrorText(result.errorNumber != 0 ? result.errorNumber : EIO);
    return fillIn(str(string_id::kMemorySaveWriteFailed), {result.path, reason});
}

}  // namespace mr420
