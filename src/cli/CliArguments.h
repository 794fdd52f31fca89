#pragma once
// The command line of mr420-cli: the global options, the command and its
// options, read into one record without touching the panel or a file.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Channel.h"

namespace mr420::cli {

enum class Command { None, Help, Version, Info, Watch, Log, MemoryRead, MemoryErase, Get, Set, GroupHelp, Serve };
enum class WatchFormat { Text, Csv, Json };

struct CliOptions {
    // Global.
    std::string iniPath;              // empty: the window's settings file
    std::optional<int> port;          // --port N
    std::string device;               // --device PATH, before --port
    std::string tracePath;
    std::string language;             // --lang, empty: the settings file's
    std::optional<double> timeout;    // --timeout SECONDS: the wait for the first complete cycle
    bool quiet = false;

    Command command = Command::None;

    // watch
    int count = 0;                    // 0: until stopped
    WatchFormat format = WatchFormat::Text;

    // log, memory read
    std::string file;
    int interval = 60;                // seconds, 1..86399
    int separator = 0;                // 0 TAB, 1 ",", 2 ";"
    std::optional<std::string> comment;
    bool serial = false;
    std::array<bool, kChannelCount> channels{true, true, true, true, true, true};
    bool truncate = false;
    std::optional<bool> dewPoint;     // memory read: MEMORY_DP unless given
    std::optional<bool> vapour;       // memory read: MEMORY_PPM unless given
    std::string dumpPath;

    // memory erase
    bool yes = false;

    // serve: the log (`file`, empty: none) and the log options above, the
    // daily memory download, and whether the data server runs.
    std::optional<int> memoryDaily;   // minutes after midnight, --memory-daily HH:MM
    std::string memoryFile;           // --memory-file PATTERN
    bool dataServer = true;           // --no-data-server

    // get, set, help GROUP
    std::string group;
    std::vector<std::pair<std::string, std::string>> assignments;
};

struct ParseResult {
    CliOptions options;
    std::string error;   // the message for the user; empty when the line is good
    std::size_t commandIndex = 0;   // where the command's word is in the arguments
    bool ok() const { return error.empty(); }
};

// Reads the arguments (argument 0 is the program). Option values may follow
// as the next argument or after "=" (--port=3). Groups and setting names are
// not checked here.
ParseResult parseArguments(const std::vector<std::string>& arguments);

// A duration in seconds: "90", "90s", "15m", "2h", "1h30m", "1h2m3s",
// "MM:SS" or "HH:MM:SS"; nullopt for anything else, or above 999 999 999.
std::optional<int> parseDuration(std::string_view text);

// The value of --lang as parseArguments reads it (the last one given), empty
// without one; read first, so that every message is in that language.
std::string languageOption(const std::vector<std::string>& arguments);

// Seconds above zero, at most 86 400, with an optional fraction: "1", "2.5".
std::optional<double> parseSeconds(std::string_view text);

// tab|comma|semicolon (also the characters themselves): 0, 1, 2.
std::optional<int> parseSeparator(std::string_view text);

// A comma-separated list of channel names (TEMP1, TEMP2, RH, PRESSURE, DP,
// WB, any letter case); nullopt for an unknown or empty list.
std::optional<std::array<bool, kChannelCount>> parseChannels(std::string_view text);

// A time of day "HH:MM" (00:00 to 23:59) as minutes after midnight.
std::optional<int> parseTimeOfDay(std::string_view text);

// "NAME=VALUE" split at the first "="; nullopt without one or with an empty name.
std::optional<std::pair<std::string, std::string>> parseAssignment(std::string_view text);

}  // namespace mr420::cli
