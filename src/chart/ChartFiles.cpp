#include "chart/ChartFiles.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "base/Win1250.h"
#include "recording/MeasurementFile.h"

namespace mr420 {

namespace {

constexpr std::string_view kNoValue = "???";

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isWordByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || u >= 0x80;
}
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = lower(c);
    return out;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool validDate(int y, int m, int d) {
    using namespace std::chrono;
    return y >= 1900 && y <= 9999 && year_month_day{year{y}, month{static_cast<unsigned>(m)},
                                                    day{static_cast<unsigned>(d)}}
                                         .ok();
}

// Month abbreviations (lower case, UTF-8) of the languages the program's
// users write dates in; a word matches when it starts with one.
struct MonthName {
    const char* prefix;
    int month;
};
constexpr MonthName kMonths[] = {
    {"jan", 1},  {"feb", 2},  {"mar", 3},  {"apr", 4},  {"may", 5},  {"jun", 6},     {"jul", 7},
    {"aug", 8},  {"sep", 9},  {"oct", 10}, {"nov", 11}, {"dec", 12}, {"sty", 1},     {"lut", 2},
    {"kwi", 4},  {"maj", 5},  {"cze", 6},  {"lip", 7},  {"sie", 8},  {"wrz", 9},     {"pa\xC5\xBA", 10},
    {"lis", 11}, {"gru", 12}, {"m\xC3\xA4r", 3}, {"mai", 5}, {"okt", 10}, {"dez", 12},
};

int monthOfWord(const std::string& word) {
    for (const MonthName& m : kMonths)
        if (word.rfind(m.prefix, 0) == 0) return m.month;
    return 0;
}

struct NumberToken {
    int value;
    int digits;
    char after;   // the character that follows, 0 at the end
};

bool isValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        int n = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (n < 0 || (n > 0 && i + static_cast<std::size_t>(n) >= s.size())) return false;
        for (int k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]) & 0xC0) != 0x80) return false;
        i += static_cast<std::size_t>(n) + 1;
    }
    return true;
}

bool hasHighBytes(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

// RFC 4180 fields of one line. A quoted field ends at a quote not doubled;
// what follows it up to the separator is kept as it stands.
std::vector<std::string> splitFields(std::string_view line, char sep) {
    std::vector<std::string> fields;
    std::string field;
    std::size_t i = 0;
    bool atStart = true;
    bool quoted = false;
    while (i < line.size()) {
        const char c = line[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < line.size() && line[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == sep) {
            fields.push_back(std::move(field));
            field.clear();
            atStart = true;
            ++i;
            continue;
        } else if (c == '"' && atStart) {
            quoted = true;
        } else {
            field += c;
        }
        atStart = false;
        ++i;
    }
    fields.push_back(std::move(field));
    return fields;
}

// The separator of a header line: TAB, then ";", then "," outside quotes.
char separatorOf(std::string_view line) {
    bool quoted = false;
    bool tab = false, semicolon = false, comma = false;
    for (char c : line) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        tab |= c == '\t';
        semicolon |= c == ';';
        comma |= c == ',';
    }
    return tab ? '\t' : semicolon ? ';' : comma ? ',' : '\t';
}

struct Header {
    char separator = '\t';
    std::vector<int> channels;   // per field; -1 for the date and unknown columns
};

// A header: a first field that is no date and at least one column named
// after a channel.
std::optional<Header> headerOf(std::string_view line) {
    Header h;
    h.separator = separatorOf(line);
    const std::vector<std::string> fields = splitFields(line, h.separator);
    if (fields.size() < 2 || parseDateTimeText(fields[0])) return std::nullopt;
    bool any = false;
    h.channels.push_back(-1);
    for (std::size_t i = 1; i < fields.size(); ++i) {
        const int c = channelOfColumnTitle(fields[i]);
        any |= c >= 0;
        h.channels.push_back(c);
    }
    if (!any) return std::nullopt;
    return h;
}

std::string shortened(std::string_view s) {
    constexpr std::size_t kMax = 40;
    if (s.size() <= kMax) return std::string(s);
    std::size_t cut = kMax;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;   // whole characters only
    return std::string(s.substr(0, cut)) + "...";
}

}  // namespace

int ChartFileResult::damaged() const {
    int n = 0;
    for (const SkippedLine& s : skipped) n += s.expected ? 0 : 1;
    return n;
}

std::optional<LocalTime> parseDateTimeText(std::string_view s) {
    std::vector<NumberToken> numbers;
    std::vector<std::string> words;
    int hour = -1, minute = -1, second = 0;
    std::size_t i = 0;
    while (i < s.size()) {
        if (isDigit(s[i])) {
            long long v = 0;
            int digits = 0;
            while (i < s.size() && isDigit(s[i])) {
                if (digits < 9) v = v * 10 + (s[i] - '0');
                ++digits;
                ++i;
            }
            if (i + 1 < s.size() && s[i] == ':' && isDigit(s[i + 1]) && hour < 0) {
                // h:mm or h:mm:ss
                hour = static_cast<int>(v);
                ++i;
                int parts[2] = {0, 0};
                int got = 0;
                for (; got < 2; ++got) {
                    int d = 0, x = 0;
                    while (i < s.size() && isDigit(s[i]) && d < 3) {
                        x = x * 10 + (s[i] - '0');
                        ++d;
                        ++i;
                    }
                    if (d == 0 || d > 2) return std::nullopt;
                    parts[got] = x;
                    if (got == 0 && i + 1 < s.size() && s[i] == ':' && isDigit(s[i + 1])) {
                        ++i;
                        continue;
                    }
                    ++got;
                    break;
                }
                minute = parts[0];
                second = got >= 2 ? parts[1] : 0;
                continue;
            }
            numbers.push_back({static_cast<int>(v), digits, i < s.size() ? s[i] : '\0'});
        } else if (isWordByte(s[i])) {
            std::string w;
            while (i < s.size() && isWordByte(s[i])) w += lower(s[i++]);
            words.push_back(std::move(w));
        } else {
            ++i;
        }
    }
    if (hour < 0) return std::nullopt;
    int month = 0;
    bool am = false, pm = false;
    for (const std::string& w : words) {
        if (w == "am") am = true;
        else if (w == "pm") pm = true;
        else if (month == 0) month = monthOfWord(w);
    }
    int year = 0, day = 0;
    if (month != 0) {
        if (numbers.size() != 2) return std::nullopt;
        const bool firstIsYear = numbers[0].digits == 4;
        year = firstIsYear ? numbers[0].value : numbers[1].value;
        day = firstIsYear ? numbers[1].value : numbers[0].value;
        if ((firstIsYear ? numbers[0] : numbers[1]).digits != 4) return std::nullopt;
    } else {
        if (numbers.size() != 3) return std::nullopt;
        if (numbers[0].digits == 4) {
            year = numbers[0].value;
            month = numbers[1].value;
            day = numbers[2].value;
        } else if (numbers[0].after == '/') {   // month/day/year
            month = numbers[0].value;
            day = numbers[1].value;
            year = numbers[2].value;
        } else {                                // day.month.year
            day = numbers[0].value;
            month = numbers[1].value;
            year = numbers[2].value;
        }
        if (numbers[0].digits != 4 && numbers[2].digits == 2) year += 2000;
        else if (numbers[0].digits != 4 && numbers[2].digits != 4) return std::nullopt;
    }
    if (pm && hour < 12) hour += 12;
    if (am && hour == 12) hour = 0;
    if (!validDate(year, month, day) || hour > 23 || minute > 59 || second > 60) return std::nullopt;
    return LocalTime{year, month, day, hour, minute, second};
}

std::optional<double> parseReadingText(std::string_view text) {
    text = trim(text);
    if (text.empty() || text == kNoValue || text.size() > 32) return std::nullopt;
    char buffer[40];
    std::size_t n = 0;
    std::size_t start = 0;
    if (text.front() == '+') start = 1;
    for (std::size_t i = start; i < text.size(); ++i) buffer[n++] = text[i] == ',' ? '.' : text[i];
    double v = 0;
    const auto [end, ec] = std::from_chars(buffer, buffer + n, v, std::chars_format::fixed);
    if (ec != std::errc() || end != buffer + n || !std::isfinite(v)) return std::nullopt;
    return v;
}

int channelOfColumnTitle(std::string_view utf8) {
    const std::string t = lowerAscii(trim(utf8));
    auto has = [&t](const char* k) { return t.find(k) != std::string::npos; };
    if (has("rosy") || has("dew")) return kChannelDp;
    if (has("pary") || has("vapour") || has("vapor") || has("ppm")) return kChannelWb;
    if (has("wilg") || has("humid") || has("rh")) return kChannelRh;
    if (has("ci\xC5\x9Bn") || has("press") || has("hpa")) return kChannelPressure;
    if (has("temp")) {
        const std::size_t two = t.find('2');
        return two != std::string::npos ? kChannelTemp2 : kChannelTemp1;
    }
    return -1;
}

ChartFileResult readChartText(std::string_view bytes) {
    ChartFileResult result;
    bool utf8 = false;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
        utf8 = true;
    } else if (hasHighBytes(bytes) && isValidUtf8(bytes)) {
        utf8 = true;   // saved again by an editor
    }

    std::vector<ChartRow> rows;
    std::optional<Header> header;
    int number = 0;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view raw = bytes.substr(pos, end - pos);
        pos = end + 1;
        ++number;
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        const std::string line = utf8 ? std::string(raw) : win1250ToUtf8(raw);
        if (trim(line).empty()) {
            result.skipped.push_back({number, "empty line", true});
            continue;
        }
        const char sep = header ? header->separator : separatorOf(line);
        const std::vector<std::string> fields = splitFields(line, sep);
        const std::optional<LocalTime> time = parseDateTimeText(fields[0]);
        if (!time) {
            if (auto h = headerOf(line)) {
                header = std::move(h);
                continue;
            }
            int numbersInLine = 0;
            for (std::size_t i = 1; i < fields.size(); ++i) numbersInLine += parseReadingText(fields[i]) ? 1 : 0;
            if (numbersInLine > 0)
                result.skipped.push_back({number, "the date \"" + shortened(fields[0]) + "\" cannot be read", false});
            else if (lowerAscii(line).find("mr-420") != std::string::npos)
                result.skipped.push_back({number, "panel serial number", true});
            else
                result.skipped.push_back({number, "comment", true});
            continue;
        }
        if (!header) {
            result.skipped.push_back({number, "a reading before any header line", false});
            continue;
        }
        ChartRow row;
        row.time = msecsOfLocalTime(*time);
        std::string note;
        for (std::size_t i = 1; i < fields.size(); ++i) {
            if (i >= header->channels.size()) {
                note = "more fields than the header names; the extra ones are left out";
                break;
            }
            const int c = header->channels[i];
            const std::string_view f = trim(fields[i]);
            const std::optional<double> v = parseReadingText(f);
            if (!v && !f.empty() && f != kNoValue && c >= 0 && note.empty())
                note = "the value \"" + shortened(f) + "\" is not a number; read as no value";
            if (c >= 0 && v) row.values[static_cast<std::size_t>(c)] = *v;
        }
        if (!note.empty()) result.skipped.push_back({number, note, false});
        rows.push_back(row);
    }
    result.rows = static_cast<int>(rows.size());
    result.data = buildChart(std::move(rows));
    return result;
}

namespace {

bool isRecordStart(std::string_view plain, std::size_t p) {
    if (p + 15 > plain.size()) return false;
    for (std::size_t i = 0; i < 14; ++i)
        if (!isDigit(plain[p + i])) return false;
    return plain[p + 14] == '$';
}

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
bool parseRecordText(std::string_view text, ChartRow& row, std::string& reason) {
    if (!isRecordStart(text, 0)) {
        reason = "no time stamp";
        return false;
    }
    const LocalTime t{digitsAt(text, 0, 4), digitsAt(text, 4, 2), digitsAt(text, 6, 2),
                      digitsAt(text, 8, 2), digitsAt(text, 10, 2), digitsAt(text, 12, 2)};
    if (!validDate(t.year, t.month, t.day) || t.hour > 23 || t.minute > 59 || t.second > 60) {
        reason = "time stamp out of range";
        return false;
    }
    row.time = msecsOfLocalTime(t);
    std::string_view rest = text.substr(15);
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

ChartFileResult readChartQvg(std::string_view bytes) {
    ChartFileResult result;
    result.binary = true;
    const std::string plain = negateBytes(bytes);
    const std::string_view p = plain;
    std::vector<ChartRow> rows;
    std::size_t pos = 0;
    int number = 0;
    while (pos < p.size()) {
        ++number;
        const std::size_t at = p.find('@', pos);
        if (at == std::string_view::npos || at + 2 >= p.size()) {
            result.skipped.push_back({number, "record cut short at the end of the file", false});
            break;
        }
        const std::string_view text = p.substr(pos, at - pos);
        unsigned long sum = 0;
        bool ascii = true;
        for (char c : text) {
            sum += static_cast<unsigned char>(c);
            ascii &= static_cast<unsigned char>(c) < 0x80 && c != 0;
        }
        std::string reason;
        ChartRow row;
        const bool checked = ascii && static_cast<unsigned char>(p[at + 1]) == sum % 253 + 1 &&
                             static_cast<unsigned char>(p[at + 2]) == sum % 251 + 1;
        if (!checked) reason = "check bytes do not match";
        if (checked && parseRecordText(text, row, reason)) {
            rows.push_back(row);
            pos = at + 3;
            continue;
        }
        result.skipped.push_back({number, "damaged record: " + reason, false});
        // On with the next thing that starts like a record.
        std::size_t next = pos + 1;
        while (next < p.size() && !isRecordStart(p, next)) ++next;
        pos = next;
    }
    result.rows = static_cast<int>(rows.size());
    result.data = buildChart(std::move(rows));
    return result;
}

ChartFileResult readChartBytes(std::string_view bytes) {
    if (bytes.size() >= 15 && isRecordStart(negateBytes(bytes.substr(0, 15)), 0)) return readChartQvg(bytes);
    return readChartText(bytes);
}

ChartFileResult readChartFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ChartFileResult r;
        r.skipped.push_back({0, std::string("cannot be opened: ") + std::strerror(errno), false});
        r.data.title = path;
        return r;
    }
    std::ostringstream content;
    content << in.rdbuf();
    const std::string bytes = std::move(content).str();
    const bool qvgName = path.size() >= 4 && lowerAscii(path.substr(path.size() - 4)) == ".qvg";
    ChartFileResult r = qvgName ? readChartQvg(bytes) : readChartBytes(bytes);
    const std::size_t slash = path.find_last_of('/');
    r.data.title = slash == std::string::npos ? path : path.substr(slash + 1);
    return r;
}

}  // namespace mr420
