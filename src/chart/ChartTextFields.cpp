#include "chart/ChartTextFields.h"

#include <array>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>

#include "base/NumberText.h"
#include "chart/ChartFiles.h"

namespace mr420::chart_text {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isWordByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || u >= 0x80;
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

// The names by their first three bytes, in a table of 64 (no two names share
// them), with the fourth byte a name of four bytes needs: a word is found
// with one look, not a comparison per name.
struct MonthSlot {
    std::uint32_t three = 0;   // 0: free
    unsigned char fourth = 0;
    int month = 0;
};
constexpr std::uint32_t threeBytes(const char* p) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(p[0])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(p[1])) << 8 | static_cast<unsigned char>(p[2]);
}
constexpr std::size_t monthSlotOf(std::uint32_t three) { return (three * 2654435761u) >> 26; }
constexpr std::array<MonthSlot, 64> kMonthSlots = [] {
    std::array<MonthSlot, 64> slots{};
    for (const MonthName& m : kMonths) {
        std::size_t at = monthSlotOf(threeBytes(m.prefix));
        while (slots[at].three != 0) at = (at + 1) % slots.size();
        slots[at] = MonthSlot{threeBytes(m.prefix), static_cast<unsigned char>(m.prefix[3]), m.month};
    }
    return slots;
}();

int monthOfWord(std::string_view word) {
    if (word.size() < 3) return 0;
    const std::uint32_t three = threeBytes(word.data());
    for (std::size_t at = monthSlotOf(three); kMonthSlots[at].three != 0; at = (at + 1) % kMonthSlots.size()) {
        const MonthSlot& slot = kMonthSlots[at];
        if (slot.three != three) continue;
        if (slot.fourth == 0 || (word.size() > 3 && static_cast<unsigned char>(word[3]) == slot.fourth)) return slot.month;
        return 0;
    }
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

// Eight bytes at a time, one test per word.
bool hasHighBytes(std::string_view s) {
    std::uint64_t any = 0;
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, s.data() + i, sizeof w);
        any |= w;
    }
    for (; i < s.size(); ++i) any |= static_cast<unsigned char>(s[i]);
    return (any & 0x8080808080808080ULL) != 0;
}

// RFC 4180 fields of one line. A quoted field ends at a quote not doubled;
// what follows it up to the separator is kept as it stands. A field that
// does not start with a quote is a piece of the line; a quoted one is
// unquoted into `scratch`, which holds no more than the line.
void splitFields(std::string_view line, char sep, std::string& scratch, std::vector<std::string_view>& fields) {
    fields.clear();
    scratch.clear();
    scratch.reserve(line.size());
    std::size_t i = 0;
    for (;;) {
        if (i < line.size() && line[i] == '"') {
            const std::size_t begin = scratch.size();
            bool quoted = true;
            for (++i; i < line.size(); ++i) {
                const char c = line[i];
                if (!quoted && c == sep) break;
                if (quoted && c == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"')
                        ++i;
                    else {
                        quoted = false;
                        continue;
                    }
                }
                scratch += c;
            }
            fields.push_back(std::string_view(scratch).substr(begin));
        } else {
            const std::size_t end = std::min(line.find(sep, i), line.size());
            fields.push_back(line.substr(i, end - i));
            i = end;
        }
        if (i >= line.size()) return;
        ++i;   // past the separator
    }
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

// A header: a first field that is no date and at least one column named
// after a channel. The fields split at `separator`, the first known to be
// no date.
std::optional<Header> headerOfFields(char separator, const std::vector<std::string_view>& fields) {
    if (fields.size() < 2) return std::nullopt;
    Header h;
    h.separator = separator;
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

std::optional<Header> headerOf(std::string_view line) {
    const char separator = separatorOf(line);
    std::string scratch;
    std::vector<std::string_view> fields;
    splitFields(line, separator, scratch, fields);
    if (parseDateTimeText(fields[0])) return std::nullopt;
    return headerOfFields(separator, fields);
}

std::string shortened(std::string_view s) {
    constexpr std::size_t kMax = 40;
    if (s.size() <= kMax) return std::string(s);
    std::size_t cut = kMax;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;   // whole characters only
    return std::string(s.substr(0, cut)) + "...";
}


}  // namespace mr420::chart_text

namespace mr420 {

using namespace chart_text;

namespace {

// "2007.03.14 10:00:00" exactly, as live registration writes it: read
// without the general rules, which a long file would spend most of its
// time on.
std::optional<LocalTime> registrationDateTime(std::string_view s) {
    static constexpr std::string_view kShape = "dddd.dd.dd dd:dd:dd";
    if (s.size() != kShape.size()) return std::nullopt;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (kShape[i] == 'd' ? !isDigit(s[i]) : s[i] != kShape[i]) return std::nullopt;
    auto at = [s](std::size_t p, std::size_t n) {
        int v = 0;
        for (std::size_t i = 0; i < n; ++i) v = v * 10 + (s[p + i] - '0');
        return v;
    };
    const LocalTime t{at(0, 4), at(5, 2), at(8, 2), at(11, 2), at(14, 2), at(17, 2)};
    if (!validDate(t.year, t.month, t.day) || t.hour > 23 || t.minute > 59 || t.second > 60) return std::nullopt;
    return t;
}

}  // namespace

std::optional<LocalTime> parseDateTimeText(std::string_view s) {
    if (auto t = registrationDateTime(s)) return t;
    // A date has two or three numbers; the first three are kept and the
    // rest only counted. Words are looked at as they come (only the first
    // bytes of a month name, and "am" and "pm", matter), lower-cased into a
    // buffer of their first bytes.
    NumberToken numbers[3];
    std::size_t numberCount = 0;
    int month = 0;
    bool am = false, pm = false;
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
            if (numberCount < 3) numbers[numberCount] = {static_cast<int>(v), digits, i < s.size() ? s[i] : '\0'};
            ++numberCount;
        } else if (isWordByte(s[i])) {
            char first[4];
            std::size_t length = 0;
            for (; i < s.size() && isWordByte(s[i]); ++i, ++length)
                if (length < sizeof first) first[length] = lowerAscii(s[i]);
            const std::string_view w(first, std::min(length, sizeof first));
            if (length == 2 && w == "am") am = true;
            else if (length == 2 && w == "pm") pm = true;
            else if (month == 0) month = monthOfWord(w);
        } else {
            ++i;
        }
    }
    if (hour < 0) return std::nullopt;
    int year = 0, day = 0;
    if (month != 0) {
        if (numberCount != 2) return std::nullopt;
        const bool firstIsYear = numbers[0].digits == 4;
        year = firstIsYear ? numbers[0].value : numbers[1].value;
        day = firstIsYear ? numbers[1].value : numbers[0].value;
        if ((firstIsYear ? numbers[0] : numbers[1]).digits != 4) return std::nullopt;
    } else {
        if (numberCount != 3) return std::nullopt;
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

}  // namespace mr420
