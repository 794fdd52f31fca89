#include "cli/CliArguments.h"

#include <climits>

#include "base/NumberText.h"
#include "cli/CliTexts.h"
#include "cli/ConfigGroups.h"
#include "recording/RegistrationSettings.h"

namespace mr420::cli {

namespace {

// A count of up to ten digits.
std::optional<int> parseCount(std::string_view text, int min, int max) { return wholeNumber(text, min, max, 10); }

// The option names each command takes (besides the global ones).
bool takes(Command c, std::string_view option) {
    auto in = [&](std::initializer_list<std::string_view> names) {
        for (auto n : names)
            if (n == option) return true;
        return false;
    };
    switch (c) {
    case Command::Watch: return in({"--count", "--format"});
    case Command::Log:
        return in({"--interval", "--separator", "--comment", "--serial", "--channels", "--truncate"});
    case Command::MemoryRead:
        return in({"--separator", "--comment", "--serial", "--no-dew-point", "--no-vapour", "--dump"});
    case Command::MemoryErase: return in({"--yes"});
    case Command::Serve:
        return in({"--log", "--interval", "--separator", "--comment", "--serial", "--channels", "--truncate",
                   "--memory-daily", "--memory-file", "--no-dew-point", "--no-vapour", "--no-data-server"});
    default: return false;
    }
}

bool needsValue(std::string_view option) {
    for (std::string_view n : {"--ini", "--port", "--device", "--trace", "--lang", "--timeout", "--count", "--format",
                               "--interval", "--separator", "--comment", "--channels", "--dump", "--log",
                               "--memory-daily", "--memory-file"})
        if (n == option) return true;
    return false;
}

}  // namespace

std::optional<int> parseDuration(std::string_view text) {
    if (text.empty()) return std::nullopt;
    constexpr long long kLimit = 999'999'999;
    if (text.find(':') != std::string_view::npos) {
        // MM:SS or HH:MM:SS; every part digits, minutes and seconds below 60.
        std::vector<long long> parts{0};
        int digits = 0;
        for (char c : text) {
            if (c == ':') {
                if (digits == 0) return std::nullopt;
                parts.push_back(0);
                digits = 0;
            } else if (c >= '0' && c <= '9') {
                if (++digits > 9) return std::nullopt;
                parts.back() = parts.back() * 10 + (c - '0');
            } else {
                return std::nullopt;
            }
        }
        if (digits == 0 || parts.size() > 3) return std::nullopt;
        for (std::size_t i = 1; i < parts.size(); ++i)
            if (parts[i] >= 60) return std::nullopt;
        long long total = 0;
        for (long long p : parts) total = total * 60 + p;
        if (total > kLimit) return std::nullopt;
        return static_cast<int>(total);
    }
    long long total = 0, number = 0;
    int digits = 0;
    int lastUnit = 4;   // units must come in the order h, m, s
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            if (++digits > 9) return std::nullopt;
            number = number * 10 + (c - '0');
            continue;
        }
        int unit;
        long long factor;
        switch (c) {
        case 'd': unit = 3, factor = 86400; break;
        case 'h': unit = 2, factor = 3600; break;
        case 'm': unit = 1, factor = 60; break;
        case 's': unit = 0, factor = 1; break;
        default: return std::nullopt;
        }
        if (digits == 0 || unit >= lastUnit) return std::nullopt;
        lastUnit = unit;
        total += number * factor;
        if (total > kLimit) return std::nullopt;
        number = 0;
        digits = 0;
    }
    if (digits > 0) {
        if (lastUnit != 4) return std::nullopt;   // "1h30" is ambiguous
        total = number;
    }
    if (total > kLimit) return std::nullopt;
    return static_cast<int>(total);
}

std::optional<double> parseSeconds(std::string_view text) {
    constexpr double kLongest = 86'400;
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    auto digits = [](std::string_view d) {
        return d.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (whole.empty() || whole.size() > 6 || !digits(whole) || !digits(fraction) || fraction.size() > 3 ||
        (point != std::string_view::npos && fraction.empty()))
        return std::nullopt;
    // Not strtod: the locale's decimal separator may be a comma.
    double seconds = 0, scale = 1;
    for (char c : whole) seconds = seconds * 10 + (c - '0');
    for (char c : fraction) seconds += (c - '0') * (scale /= 10);
    if (seconds <= 0 || seconds > kLongest) return std::nullopt;
    return seconds;
}

std::optional<int> parseSeparator(std::string_view text) {
    const std::string s = lowerAscii(text);
    if (s == "tab" || s == "\t") return 0;
    if (s == "comma" || s == ",") return 1;
    if (s == "semicolon" || s == ";") return 2;
    return std::nullopt;
}

std::optional<std::array<bool, kChannelCount>> parseChannels(std::string_view text) {
    std::array<bool, kChannelCount> chosen{};
    bool any = false;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string_view::npos) end = text.size();
        std::string name = lowerAscii(text.substr(start, end - start));
        int found = -1;
        for (int c = 0; c < kChannelCount; ++c)
            if (name == lowerAscii(channelName(c))) found = c;
        if (found < 0) return std::nullopt;
        chosen[static_cast<std::size_t>(found)] = true;
        any = true;
        start = end + 1;
    }
    if (!any) return std::nullopt;
    return chosen;
}

std::optional<int> parseTimeOfDay(std::string_view text) {
    if (text.size() != 5 || text[2] != ':') return std::nullopt;
    const auto hours = wholeNumber(text.substr(0, 2), 0, 23, 2);
    const auto minutes = wholeNumber(text.substr(3, 2), 0, 59, 2);
    if (!hours || !minutes) return std::nullopt;
    return *hours * 60 + *minutes;
}

std::optional<std::pair<std::string, std::string>> parseAssignment(std::string_view text) {
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos || eq == 0) return std::nullopt;
    return std::make_pair(std::string(text.substr(0, eq)), std::string(text.substr(eq + 1)));
}

std::string languageOption(const std::vector<std::string>& args) {
    std::string language;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.starts_with("--lang=")) language = a.substr(7);
        else if (a == "--lang" && i + 1 < args.size()) language = args[++i];
        else if (needsValue(a)) ++i;   // a value that reads like an option is a value
    }
    return language;
}

ParseResult parseArguments(const std::vector<std::string>& args) {
    ParseResult r;
    CliOptions& o = r.options;
    std::vector<std::string> positional;
    auto fail = [&](Text id, std::vector<std::string> values) {
        r.error = text(id, values);
        return r;
    };
    auto badValue = [&](const std::string& value, const std::string& option, const std::string& expected) {
        return fail(Text::BadValue, {value, option, expected});
    };

    // The command is the first plain argument; its options may come anywhere after it.
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string a = args[i];
        if (a == "--help" || a == "-h") {
            o.command = Command::Help;
            return r;
        }
        if (a == "--version") {
            o.command = Command::Version;
            return r;
        }
        if (a.size() < 2 || a[0] != '-' || a == "-") {
            positional.push_back(a);
            if (positional.size() == 1) {
                r.commandIndex = i;
                const std::string& c = positional[0];
                if (c == "info") o.command = Command::Info;
                else if (c == "watch") o.command = Command::Watch;
                else if (c == "log") o.command = Command::Log;
                else if (c == "memory") o.command = Command::MemoryRead;   // refined below
                else if (c == "get") o.command = Command::Get;
                else if (c == "set") o.command = Command::Set;
                else if (c == "help") o.command = Command::Help;
                else if (c == "serve") o.command = Command::Serve;
                else return fail(Text::UnknownCommand, {c});
            } else if (positional.size() == 2 && positional[0] == "memory") {
                if (positional[1] == "read") o.command = Command::MemoryRead;
                else if (positional[1] == "erase") o.command = Command::MemoryErase;
                else return fail(Text::UnknownCommand, {"memory " + positional[1]});
            }
            continue;
        }
        std::string value;
        bool hasValue = false;
        if (const std::size_t eq = a.find('='); eq != std::string::npos && a.starts_with("--")) {
            value = a.substr(eq + 1);
            a = a.substr(0, eq);
            hasValue = true;
        }
        const bool global = a == "--ini" || a == "--port" || a == "--device" || a == "--trace" || a == "--lang" ||
                            a == "--timeout" || a == "--quiet" || a == "-q";
        if (!global && !takes(o.command, a)) return fail(Text::UnknownOption, {a});
        if (needsValue(a) && !hasValue) {
            if (i + 1 >= args.size()) return fail(Text::MissingValue, {a});
            value = args[++i];
        } else if (!needsValue(a) && hasValue) {
            return fail(Text::UnknownOption, {a + "=" + value});
        }

        if (a == "--ini") {
            if (value.empty()) return fail(Text::MissingValue, {a});
            o.iniPath = value;
        } else if (a == "--port") {
            auto n = parseCount(value, 1, 999'999'999);
            if (!n) return badValue(value, a, "1, 2, ...");
            o.port = *n;
        } else if (a == "--device") {
            if (value.empty()) return fail(Text::MissingValue, {a});
            o.device = value;
        } else if (a == "--trace") {
            if (value.empty()) return fail(Text::MissingValue, {a});
            o.tracePath = value;
        } else if (a == "--lang") {
            if (value != "pl" && value != "en") return badValue(value, a, "pl|en");
            o.language = value;
        } else if (a == "--timeout") {
            o.timeout = parseSeconds(value);
            if (!o.timeout) return badValue(value, a, text(Text::TimeoutExpected));
        } else if (a == "--quiet" || a == "-q") {
            o.quiet = true;
        } else if (a == "--count") {
            auto n = parseCount(value, 1, INT_MAX);
            if (!n) return badValue(value, a, "1, 2, ...");
            o.count = *n;
        } else if (a == "--format") {
            if (value == "text") o.format = WatchFormat::Text;
            else if (value == "csv") o.format = WatchFormat::Csv;
            else if (value == "json") o.format = WatchFormat::Json;
            else return badValue(value, a, "text|csv|json");
        } else if (a == "--interval") {
            auto d = parseDuration(value);
            if (!d || *d < kMinInterval || *d > kMaxInterval) return badValue(value, a, "1s..23h59m59s");
            o.interval = *d;
        } else if (a == "--separator") {
            auto s = parseSeparator(value);
            if (!s) return badValue(value, a, "tab|comma|semicolon");
            o.separator = *s;
        } else if (a == "--comment") {
            o.comment = value;
        } else if (a == "--serial") {
            o.serial = true;
        } else if (a == "--channels") {
            auto c = parseChannels(value);
            if (!c) return badValue(value, a, "TEMP1,TEMP2,RH,PRESSURE,DP,WB");
            o.channels = *c;
        } else if (a == "--truncate") {
            o.truncate = true;
        } else if (a == "--no-dew-point") {
            o.dewPoint = false;
        } else if (a == "--no-vapour") {
            o.vapour = false;
        } else if (a == "--dump") {
            if (value.empty()) return fail(Text::MissingValue, {a});
            o.dumpPath = value;
        } else if (a == "--yes") {
            o.yes = true;
        } else if (a == "--log") {
            if (value.empty()) return fail(Text::MissingValue, {a});
            o.file = value;
        } else if (a == "--memory-daily") {
            o.memoryDaily = parseTimeOfDay(value);
            if (!o.memoryDaily) return badValue(value, a, "00:00..23:59");
        } else if (a == "--memory-file") {
            if (value.empty()) return fail(Text::MissingValue, {a});
            o.memoryFile = value;
        } else if (a == "--no-data-server") {
            o.dataServer = false;
        }
    }

    // The plain arguments after the command.
    std::size_t used = 1;
    switch (o.command) {
    case Command::None: return fail(Text::MissingArgument, {text(Text::CommandPlaceholder)});
    case Command::Log:
        if (positional.size() < 2) return fail(Text::MissingArgument, {text(Text::FilePlaceholder)});
        o.file = positional[1];
        used = 2;
        break;
    case Command::MemoryRead:
        if (positional.size() < 2) return fail(Text::MissingArgument, {"read|erase"});
        if (positional.size() < 3) return fail(Text::MissingArgument, {text(Text::FilePlaceholder)});
        o.file = positional[2];
        used = 3;
        break;
    case Command::MemoryErase: used = 2; break;
    case Command::Serve:
        // The download needs both its time and its file.
        if (o.memoryDaily.has_value() != !o.memoryFile.empty())
            return fail(Text::MissingArgument, {o.memoryDaily ? "--memory-file" : "--memory-daily"});
        break;
    case Command::Help:
        if (positional.size() >= 2) {
            o.command = Command::GroupHelp;
            o.group = positional[1];
            used = 2;
        }
        break;
    case Command::Get:
        if (positional.size() < 2) return fail(Text::MissingArgument, {text(Text::GroupPlaceholder)});
        o.group = positional[1];
        used = 2;
        break;
    case Command::Set:
        if (positional.size() < 2) return fail(Text::MissingArgument, {text(Text::GroupPlaceholder)});
        o.group = positional[1];
        for (std::size_t k = 2; k < positional.size(); ++k) {
            // "set clock now" is short for "set clock time=now".
            if (positional[k] == "now" && o.group == "clock") {
                o.assignments.emplace_back("time", "now");
                continue;
            }
            auto asg = parseAssignment(positional[k]);
            if (!asg) {
                // A PIN or a password typed without its name is not repeated.
                const ConfigGroup* group = findGroup(o.group);
                return fail(Text::NotAnAssignment, {group && group->writeOnly ? "***" : positional[k]});
            }
            o.assignments.push_back(*asg);
        }
        if (o.assignments.empty()) return fail(Text::NothingToSet, {});
        used = positional.size();
        break;
    default: break;
    }
    if (positional.size() > used) return fail(Text::ExtraArgument, {positional[used]});
    return r;
}

}  // namespace mr420::cli
