#include "chart/ChartFiles.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "base/NumberText.h"
#include "base/Win1250.h"
#include "recording/MeasurementFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <limits>
#include <memory>


#include "chart/ChartTextFields.h"

namespace mr420 {

using namespace chart_text;

int ChartFileResult::damaged() const {
    int n = 0;
    for (const SkippedLine& s : skipped) n += s.expected ? 0 : 1;
    return n;
}

// Milliseconds of a local time, with one system conversion per hour: the
// minutes and seconds are added to the hour's start (zones change their
// offset on whole hours).
struct LocalClock {
    std::int64_t msecs(const LocalTime& t) {
        if (t.year != key_.year || t.month != key_.month || t.day != key_.day || t.hour != key_.hour) {
            key_ = {t.year, t.month, t.day, t.hour, 0, 0};
            hourStart_ = msecsOfLocalTime(key_);
        }
        return hourStart_ + (t.minute * 60 + t.second) * std::int64_t{1000};
    }

    LocalTime key_{};
    std::int64_t hourStart_ = 0;
};

namespace {

int channelOfQuantity(long quantity) {
    switch (quantity) {
    case 30: return kChannelTemp1;
    case 31: return kChannelTemp2;
    case 27: return kChannelPressure;
    case 26: return kChannelRh;
    case 24: return kChannelDp;
    case 23: return kChannelWb;
    default: return -1;
    }
}

int digitsAt(std::string_view s, std::size_t p, std::size_t n) {
    int v = 0;
    for (std::size_t i = 0; i < n; ++i) v = v * 10 + (s[p + i] - '0');
    return v;
}

// The plain text of one record (without check mark and bytes) as a row;
// false with a reason when it is not one.
bool parseRecordText(std::string_view text, ChartRow& row, std::string& reason, LocalClock& clock) {
    if (!isRecordStartAt(text, 0)) {
        reason = "no time stamp";
        return false;
    }
    const LocalTime t{digitsAt(text, 0, 4), digitsAt(text, 4, 2), digitsAt(text, 6, 2),
                      digitsAt(text, 8, 2), digitsAt(text, 10, 2), digitsAt(text, 12, 2)};
    if (!validDate(t.year, t.month, t.day) || t.hour > 23 || t.minute > 59 || t.second > 60) {
        reason = "time stamp out of range";
        return false;
    }
    row.time = clock.msecs(t);
    std::string_view rest = text.substr(kRecordStartLength);
    while (!rest.empty()) {
        const std::size_t dollar = rest.find('$');
        if (dollar == std::string_view::npos) {
            reason = "a value group without its end";
            return false;
        }
        const std::string_view group = rest.substr(0, dollar);
        rest.remove_prefix(dollar + 1);
        std::string_view parts[5];
        std::size_t n = 0;
        std::string_view g = group;
        while (n < 5) {
            const std::size_t comma = g.find(',');
            parts[n++] = g.substr(0, comma);
            if (comma == std::string_view::npos) {
                g = {};
                break;
            }
            g.remove_prefix(comma + 1);
        }
        if (n != 5 || !g.empty()) {
            reason = "a value group with a wrong number of fields";
            return false;
        }
        long quantity = 0;
        const auto q = std::from_chars(parts[2].data(), parts[2].data() + parts[2].size(), quantity);
        const std::optional<double> value = parseReadingText(parts[3]);
        if (q.ec != std::errc() || !value || parts[3].find(',') != std::string_view::npos) {
            reason = "a value group that cannot be read";
            return false;
        }
        const int c = channelOfQuantity(quantity);
        if (c >= 0) row.values[static_cast<std::size_t>(c)] = *value;
    }
    return true;
}


}  // namespace

struct ChartRowReader::Text {
    bool utf8 = false;
    bool decided = false;
    std::optional<Header> header;
    std::string headerLine;   // the raw line of the header in effect
    std::string pending;      // a line not yet ended
    int number = 0;
    bool sawHeader = false;
    // Kept from line to line, so that a line allocates nothing.
    std::string converted;    // a Windows-1250 line in UTF-8
    std::string fieldBytes;   // the unquoted fields
    std::vector<std::string_view> fields;
};

struct ChartRowReader::Binary {
    std::string pending;      // decoded bytes not yet taken
    int number = 0;
    bool sawRecord = false;
    bool cut = false;
};

ChartRowReader::ChartRowReader(bool binary, Sink sink) : sink_(std::move(sink)), clock_(std::make_unique<LocalClock>()) {
    result_.binary = binary;
    if (binary)
        binary_ = std::make_unique<Binary>();
    else
        text_ = std::make_unique<Text>();
}

ChartRowReader::~ChartRowReader() = default;

void ChartRowReader::startAfterHeader(std::string_view headerLine, bool utf8) {
    if (!text_) return;   // a .qvg record stands alone
    text_->decided = true;
    text_->utf8 = utf8;
    text_->header = headerOf(utf8 ? std::string(headerLine) : win1250ToUtf8(headerLine));
    text_->headerLine = std::string(headerLine);
}

const std::string& ChartRowReader::headerLine() const {
    static const std::string none;
    return text_ ? text_->headerLine : none;
}

bool ChartRowReader::utf8() const { return text_ && text_->utf8; }

void ChartRowReader::feed(std::string_view bytes) {
    if (text_) {
        if (!text_->decided) {
            text_->decided = true;
            if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
                bytes.remove_prefix(3);
                offset_ += 3;
                text_->utf8 = true;
            } else if (hasHighBytes(bytes.substr(0, 1 << 20))) {
                // Saved again by an editor; a character cut at the end of the sample does not count.
                std::string_view sample = bytes.substr(0, 1 << 20);
                while (!sample.empty() && sample.size() < bytes.size() && (static_cast<unsigned char>(sample.back()) & 0x80))
                    sample.remove_suffix(1);
                text_->utf8 = isValidUtf8(sample);
            }
        }
        std::size_t pos = 0;
        while (pos < bytes.size()) {
            const std::size_t end = bytes.find('\n', pos);
            if (end == std::string_view::npos) {
                text_->pending.append(bytes.substr(pos));
                break;
            }
            const std::uint64_t lineStart = offset_ + pos - text_->pending.size();
            if (text_->pending.empty()) {
                textLine(bytes.substr(pos, end - pos), lineStart);
            } else {
                text_->pending.append(bytes.substr(pos, end - pos));
                const std::string line = std::move(text_->pending);
                text_->pending.clear();
                textLine(line, lineStart);
            }
            pos = end + 1;
        }
        offset_ += bytes.size();
        return;
    }
    Binary& b = *binary_;
    const std::uint64_t pendingStart = offset_ - b.pending.size();
    b.pending.reserve(b.pending.size() + bytes.size());
    for (char c : bytes) b.pending.push_back(negateByte(c));
    offset_ += bytes.size();
    const std::size_t taken = binaryRecords(pendingStart, false);
    b.pending.erase(0, taken);
}

std::size_t ChartRowReader::binaryRecords(std::uint64_t start, bool last) {
    Binary& b = *binary_;
    const std::string_view p = b.pending;
    std::size_t pos = 0;
    while (pos < p.size() && !b.cut) {
        const DecodedRecord rec = decodeRecordAt(p, pos);
        if (rec.status == DecodedRecord::Status::Cut) {
            if (!last) return pos;   // the rest comes with the next piece
            ++b.number;
            result_.skipped.push_back({b.number, "record cut short at the end of the file", false});
            b.cut = true;
            return p.size();
        }
        ++b.number;
        std::string reason;
        ChartRow row;
        if (rec.status == DecodedRecord::Status::Whole && parseRecordText(rec.text, row, reason, *clock_)) {
            b.sawRecord = true;
            deliver(row, start + pos);
            pos += rec.length;
            continue;
        }
        if (rec.status == DecodedRecord::Status::CheckFailed && reason.empty()) reason = "check bytes do not match";
        b.sawRecord |= isRecordStartAt(p, pos);
        result_.skipped.push_back({b.number, "damaged record: " + reason, false});
        // On with the next thing that starts like a record.
        std::size_t next = pos + 1;
        while (next < p.size() && !isRecordStartAt(p, next)) {
            if (!last && next + kRecordStartLength > p.size()) return next;   // a record may start in the next piece
            ++next;
        }
        pos = next;
    }
    return pos;
}

void ChartRowReader::textLine(std::string_view raw, std::uint64_t offset) {
    Text& t = *text_;
    ++t.number;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    std::string_view line = raw;
    if (!t.utf8 && hasHighBytes(raw)) {
        t.converted = win1250ToUtf8(raw);
        line = t.converted;
    }
    if (trim(line).empty()) {
        result_.skipped.push_back({t.number, "empty line", true});
        return;
    }
    const char sep = t.header ? t.header->separator : separatorOf(line);
    std::vector<std::string_view>& fields = t.fields;
    splitFields(line, sep, t.fieldBytes, fields);
    const std::optional<LocalTime> time = parseDateTimeText(fields[0]);
    if (!time) {
        // The fields at hand are the header's when its separator is the same.
        const bool sameSplit = !t.header || separatorOf(line) == sep;
        if (auto h = sameSplit ? headerOfFields(sep, fields) : headerOf(line)) {
            t.header = std::move(h);
            t.headerLine = std::string(raw);
            t.sawHeader = true;
            return;
        }
        int numbersInLine = 0;
        for (std::size_t i = 1; i < fields.size(); ++i) numbersInLine += parseReadingText(fields[i]) ? 1 : 0;
        if (numbersInLine > 0)
            result_.skipped.push_back({t.number, "the date \"" + shortened(fields[0]) + "\" cannot be read", false});
        else if (lowerAscii(line).find("mr-420") != std::string::npos)
            result_.skipped.push_back({t.number, "panel serial number", true});
        else
            result_.skipped.push_back({t.number, "comment", true});
        return;
    }
    if (!t.header) {
        result_.skipped.push_back({t.number, "a reading before any header line", false});
        return;
    }
    ChartRow row;
    row.time = clock_->msecs(*time);
    std::string note;
    for (std::size_t i = 1; i < fields.size(); ++i) {
        if (i >= t.header->channels.size()) {
            note = "more fields than the header names; the extra ones are left out";
            break;
        }
        const int c = t.header->channels[i];
        const std::string_view f = trim(fields[i]);
        const std::optional<double> v = parseReadingText(f);
        if (!v && !f.empty() && f != kNoValue && c >= 0 && note.empty())
            note = "the value \"" + shortened(f) + "\" is not a number; read as no value";
        if (c >= 0 && v) row.values[static_cast<std::size_t>(c)] = *v;
    }
    if (!note.empty()) result_.skipped.push_back({t.number, note, false});
    deliver(row, offset);
}

void ChartRowReader::deliver(const ChartRow& row, std::uint64_t offset) {
    ++result_.rows;
    if (sink_) sink_(row, offset);
}

void ChartRowReader::finish() {
    if (text_) {
        if (!text_->pending.empty()) {
            const std::string line = std::move(text_->pending);
            text_->pending.clear();
            textLine(line, offset_ - line.size());
        }
        if (result_.rows == 0)
            result_.problem = text_->sawHeader || offset_ == 0 ? ChartFileProblem::NoReadings : ChartFileProblem::NotAChartFile;
        return;
    }
    binaryRecords(offset_ - binary_->pending.size(), true);
    binary_->pending.clear();
    if (result_.rows == 0)
        result_.problem = binary_->sawRecord || offset_ == 0 ? ChartFileProblem::NoReadings : ChartFileProblem::NotAChartFile;
}

namespace {

// Rows as they come: all of them while they are few, else per column of a
// long span the first, lowest, highest and last value of each channel.
class RowCollector {
public:
    RowCollector(std::int64_t from, std::int64_t to, std::size_t fullRows, int columns)
        : from_(from), to_(to), fullRows_(fullRows), buckets_(static_cast<std::size_t>(std::max(16, columns))) {}

    void add(const ChartRow& row) {
        if (row.time < from_ || row.time > to_) return;
        if (!reducing_) {
            rows_.push_back(row);
            if (rows_.size() > fullRows_) startReducing();
            return;
        }
        reduce(row);
    }

    ChartData finish(bool& reduced) {
        reduced = reducing_;
        if (!reducing_) return buildChart(std::move(rows_));
        ChartData data;
        for (int c = 0; c < kChannelCount; ++c) {
            const auto ci = static_cast<std::size_t>(c);
            if (!used_[ci]) continue;
            std::vector<ChartPoint>& out = data.series[ci];
            for (const Bucket& b : slots_) {
                const Slot& s = b[ci];
                if (s.any) {
                    std::array<ChartPoint, 4> keep{s.first, s.low, s.high, s.last};
                    std::sort(keep.begin(), keep.end(), [](const ChartPoint& x, const ChartPoint& y) { return x.time < y.time; });
                    for (std::size_t k = 0; k < keep.size(); ++k)
                        if (k == 0 || keep[k].time != keep[k - 1].time) out.push_back(keep[k]);
                }
                if (s.gap && (out.empty() || !out.back().gap()))
                    out.push_back({s.any ? s.last.time + 1 : b.front().first.time, kNoReading});
            }
        }
        return data;
    }

private:
    struct Slot {
        bool any = false;
        bool gap = false;
        ChartPoint first, low, high, last;
    };
    using Bucket = std::array<Slot, kChannelCount>;

    void startReducing() {
        reducing_ = true;
        interval_ = typicalStep(rows_);
        std::stable_sort(rows_.begin(), rows_.end(), [](const ChartRow& a, const ChartRow& b) { return a.time < b.time; });
        base_ = rows_.front().time;
        width_ = std::max<std::int64_t>(1, (rows_.back().time - base_) / static_cast<std::int64_t>(buckets_) + 1);
        for (const ChartRow& r : rows_) reduce(r);
        std::vector<ChartRow>().swap(rows_);
    }

    void reduce(const ChartRow& row) {
        std::int64_t index = std::max<std::int64_t>(0, (row.time - base_) / width_);
        while (index >= static_cast<std::int64_t>(buckets_)) {   // twice as wide: pairs merge
            for (std::size_t i = 0; i < slots_.size(); ++i) {
                Bucket merged = slots_[i];
                if (i % 2 == 1) continue;
                if (i + 1 < slots_.size()) merge(merged, slots_[i + 1]);
                slots_[i / 2] = merged;
            }
            slots_.resize((slots_.size() + 1) / 2);
            width_ *= 2;
            index = (row.time - base_) / width_;
        }
        if (slots_.size() <= static_cast<std::size_t>(index)) slots_.resize(static_cast<std::size_t>(index) + 1);
        Bucket& bucket = slots_[static_cast<std::size_t>(index)];
        const bool missing = havePrevious_ && interval_ > 0 && double(row.time - previous_) > 1.5 * double(interval_);
        if (missing && previousIndex_ < slots_.size())
            for (Slot& s : slots_[previousIndex_]) s.gap = true;
        for (int c = 0; c < kChannelCount; ++c) {
            const auto ci = static_cast<std::size_t>(c);
            const double v = row.values[ci];
            Slot& s = bucket[ci];
            if (std::isnan(v)) {
                s.gap = true;
                if (!s.any) s.first.time = row.time;
                continue;
            }
            used_[ci] = true;
            const ChartPoint p{row.time, v};
            if (!s.any) {
                s.any = true;
                s.first = s.low = s.high = s.last = p;
                continue;
            }
            if (p.time < s.first.time) s.first = p;
            if (p.time >= s.last.time) s.last = p;
            if (v < s.low.value) s.low = p;
            if (v > s.high.value) s.high = p;
        }
        previous_ = row.time;
        previousIndex_ = static_cast<std::size_t>(index);
        havePrevious_ = true;
    }

    static void merge(Bucket& into, const Bucket& other) {
        for (std::size_t c = 0; c < into.size(); ++c) {
            Slot& a = into[c];
            const Slot& b = other[c];
            a.gap |= b.gap;
            if (!b.any) continue;
            if (!a.any) {
                const bool gap = a.gap;
                a = b;
                a.gap = gap;
                continue;
            }
            if (b.first.time < a.first.time) a.first = b.first;
            if (b.last.time >= a.last.time) a.last = b.last;
            if (b.low.value < a.low.value) a.low = b.low;
            if (b.high.value > a.high.value) a.high = b.high;
        }
    }

    std::int64_t from_, to_;
    std::size_t fullRows_;
    std::size_t buckets_;
    bool reducing_ = false;
    std::vector<ChartRow> rows_;
    std::vector<Bucket> slots_;
    std::array<bool, kChannelCount> used_{};
    std::int64_t base_ = 0, width_ = 1, interval_ = 0, previous_ = 0;
    std::size_t previousIndex_ = 0;
    bool havePrevious_ = false;
};

ChartFileResult readAll(std::string_view bytes, bool binary) {
    std::vector<ChartRow> rows;
    ChartRowReader reader(binary, [&rows](const ChartRow& r, std::uint64_t) { rows.push_back(r); });
    reader.feed(bytes);
    reader.finish();
    ChartFileResult result = std::move(reader.result());
    result.data = buildChart(std::move(rows));
    return result;
}

std::string fileName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

ChartFileResult readChartText(std::string_view bytes) { return readAll(bytes, false); }

ChartFileResult readChartQvg(std::string_view bytes) { return readAll(bytes, true); }

ChartFileResult readChartBytes(std::string_view bytes) { return readAll(bytes, looksLikeMeasurementFile(bytes)); }


ChartFileResult readChartFile(const std::string& path, const ChartReadOptions& options) {
    ChartFileResult r;
    r.data.title = fileName(path);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    struct stat info {};
    if (file && ::fstat(::fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(file);
        file = nullptr;
        errno = EISDIR;
    }
    if (!file) {
        const int error = errno;
        r.problem = error == ENOENT ? ChartFileProblem::NoSuchFile : ChartFileProblem::CannotOpen;
        r.systemReason = std::strerror(error);
        r.skipped.push_back({0, (error == ENOENT ? std::string("no such file") : "cannot be opened: " + r.systemReason), false});
        return r;
    }
    constexpr std::size_t kPiece = 1 << 20;
    std::string piece(kPiece, '\0');
    std::size_t got = std::fread(piece.data(), 1, kPiece, file);
    const bool binary = isMeasurementFileName(path) || looksLikeMeasurementFile(std::string_view(piece.data(), got));
    RowCollector rows(options.from, options.to, options.fullRows, options.columns);
    ChartFileIndex& index = r.index;
    index.path = path;
    index.binary = binary;
    std::int64_t last = std::numeric_limits<std::int64_t>::min();
    std::size_t seen = 0;
    ChartRowReader* readerOf = nullptr;
    ChartRowReader reader(binary, [&](const ChartRow& row, std::uint64_t offset) {
        rows.add(row);
        index.ordered &= row.time >= last;
        last = std::max(last, row.time);
        if (seen++ % ChartFileIndex::kEvery == 0) index.marks.push_back({row.time, offset, readerOf->headerLine()});
    });
    readerOf = &reader;
    if (options.startOffset > 0) {
        reader.startAfterHeader(options.headerLine, options.utf8);
        std::fseek(file, static_cast<long>(options.startOffset), SEEK_SET);
        got = std::fread(piece.data(), 1, kPiece, file);
    }
    while (got > 0) {
        reader.feed(std::string_view(piece.data(), got));
        if (options.startOffset > 0 && last > options.to) break;   // past the span in a file in time order
        got = std::fread(piece.data(), 1, kPiece, file);
    }
    std::fclose(file);
    reader.finish();
    index.utf8 = reader.utf8();
    const std::string title = r.data.title;
    ChartFileIndex kept = std::move(r.index);
    r = std::move(reader.result());
    r.index = std::move(kept);
    r.data = rows.finish(r.reduced);
    r.data.reduced = r.reduced;
    r.data.title = title;
    return r;
}

ChartFileResult readChartSpan(const ChartFileIndex& index, std::int64_t from, std::int64_t to, int columns) {
    ChartReadOptions options;
    options.from = from;
    options.to = to;
    options.columns = columns;
    if (index.ordered) {
        // From the last mark before the span.
        auto it = std::upper_bound(index.marks.begin(), index.marks.end(), from,
                                   [](std::int64_t t, const ChartFileIndex::Mark& m) { return t < m.time; });
        if (it != index.marks.begin()) {
            --it;
            options.startOffset = it->offset;
            options.headerLine = it->headerLine;
            options.utf8 = index.utf8;
        }
    }
    return readChartFile(index.path, options);
}

}  // namespace mr420
