// The command line of mr420-cli: options, commands, durations, separators,
// channel lists and assignments.

#include <gtest/gtest.h>

#include "cli/CliArguments.h"
#include "cli/CliTexts.h"
#include "support/TestSupport.h"

namespace mr420::cli {
namespace {

ParseResult parse(std::vector<std::string> args) {
    args.insert(args.begin(), "mr420-cli");
    return parseArguments(args);
}

struct DurationCase {
    const char* text;
    std::optional<int> seconds;
};

class DurationTest : public ::testing::TestWithParam<DurationCase> {};

TEST_P(DurationTest, ReadsSeconds) { EXPECT_EQ(parseDuration(GetParam().text), GetParam().seconds) << GetParam().text; }

INSTANTIATE_TEST_SUITE_P(
    Durations, DurationTest,
    ::testing::Values(DurationCase{"90", 90}, DurationCase{"90s", 90}, DurationCase{"15m", 900},
                      DurationCase{"2h", 7200}, DurationCase{"1h30m", 5400}, DurationCase{"1h2m3s", 3723},
                      DurationCase{"1d", 86400}, DurationCase{"01:30", 90}, DurationCase{"23:59:59", 86399},
                      DurationCase{"0", 0}, DurationCase{"", std::nullopt}, DurationCase{"1h30", std::nullopt},
                      DurationCase{"30m1h", std::nullopt}, DurationCase{"1hh", std::nullopt},
                      DurationCase{"m", std::nullopt}, DurationCase{"1:60", std::nullopt},
                      DurationCase{"1:2:3:4", std::nullopt}, DurationCase{"1::2", std::nullopt},
                      DurationCase{"-5", std::nullopt}, DurationCase{"5 s", std::nullopt},
                      DurationCase{"9999999999", std::nullopt}, DurationCase{"1.5h", std::nullopt}));

TEST(Timeout, PositiveSecondsWithAFraction) {
    for (const auto& [text, seconds] : std::vector<std::pair<const char*, std::optional<double>>>{
             {"1", 1.0}, {"2.5", 2.5}, {"0.125", 0.125}, {"86400", 86400.0}, {"0", {}}, {"0.0", {}}, {"-1", {}},
             {"1.", {}}, {".5", {}}, {"1,5", {}}, {"86400.5", {}}, {"5s", {}}, {"", {}}})
        EXPECT_EQ(parseSeconds(text), seconds) << text;
    EXPECT_EQ(parse({"--timeout", "1.5", "info"}).options.timeout, 1.5);
    EXPECT_EQ(parse({"--timeout=0", "info"}).error,
              "Nieprawidłowa wartość \"0\" dla --timeout; oczekiwano: liczba sekund większa od zera, najwyżej 86400");
}

TEST(Language, TheLastLangOptionAndNeverAnotherOptionsValue) {
    EXPECT_EQ(languageOption({"mr420-cli", "--lang", "en", "info", "--lang=pl"}), "pl");
    EXPECT_EQ(languageOption({"mr420-cli", "log", "f.txt", "--comment", "--lang", "en"}), "");
    EXPECT_EQ(languageOption({"mr420-cli", "info"}), "");
}

TEST(Separator, NamesAndCharacters) {
    EXPECT_EQ(parseSeparator("tab"), 0);
    EXPECT_EQ(parseSeparator("Comma"), 1);
    EXPECT_EQ(parseSeparator(";"), 2);
    EXPECT_EQ(parseSeparator("pipe"), std::nullopt);
    EXPECT_EQ(parseSeparator(""), std::nullopt);
}

TEST(Channels, ListInAnyCaseAndOrder) {
    auto c = parseChannels("rh,TEMP1,Wb");
    ASSERT_TRUE(c);
    EXPECT_EQ(*c, (std::array<bool, kChannelCount>{true, false, true, false, false, true}));
    EXPECT_FALSE(parseChannels(""));
    EXPECT_FALSE(parseChannels("TEMP1,"));
    EXPECT_FALSE(parseChannels("TEMP3"));
}

TEST(Assignment, SplitsAtTheFirstEquals) {
    EXPECT_EQ(parseAssignment("a=b=c"), std::make_pair(std::string("a"), std::string("b=c")));
    EXPECT_EQ(parseAssignment("a="), std::make_pair(std::string("a"), std::string()));
    EXPECT_FALSE(parseAssignment("=b"));
    EXPECT_FALSE(parseAssignment("ab"));
}

TEST(Arguments, GlobalOptionsAndTheCommand) {
    const ParseResult r = parse({"--ini", "/x/m.ini", "--port=3", "--trace", "t.txt", "--lang", "en", "-q", "info"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.iniPath, "/x/m.ini");
    EXPECT_EQ(r.options.port, 3);
    EXPECT_EQ(r.options.tracePath, "t.txt");
    EXPECT_EQ(r.options.language, "en");
    EXPECT_TRUE(r.options.quiet);
    EXPECT_EQ(r.options.command, Command::Info);
}

TEST(Arguments, WatchOptions) {
    const ParseResult r = parse({"--device", "/dev/pts/3", "watch", "--count", "3", "--format=json"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.device, "/dev/pts/3");
    EXPECT_EQ(r.options.count, 3);
    EXPECT_EQ(r.options.format, WatchFormat::Json);
}

TEST(Arguments, LogOptions) {
    const ParseResult r = parse({"log", "/tmp/%Y.csv", "--interval", "1m30s", "--separator", "semicolon",
                                 "--comment", "hall 2", "--serial", "--channels", "TEMP1,RH", "--truncate"});
    ASSERT_TRUE(r.ok()) << r.error;
    const CliOptions& o = r.options;
    EXPECT_EQ(o.command, Command::Log);
    EXPECT_EQ(o.file, "/tmp/%Y.csv");
    EXPECT_EQ(o.interval, 90);
    EXPECT_EQ(o.separator, 2);
    EXPECT_EQ(o.comment, "hall 2");
    EXPECT_TRUE(o.serial);
    EXPECT_TRUE(o.truncate);
    EXPECT_EQ(o.channels, (std::array<bool, kChannelCount>{true, false, true, false, false, false}));
}

TEST(Arguments, MemoryCommands) {
    ParseResult r = parse({"memory", "read", "out.qvg", "--no-dew-point", "--dump", "d.txt"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.command, Command::MemoryRead);
    EXPECT_EQ(r.options.file, "out.qvg");
    EXPECT_EQ(r.options.dewPoint, false);
    EXPECT_EQ(r.options.vapour, std::nullopt);
    EXPECT_EQ(r.options.dumpPath, "d.txt");
    r = parse({"memory", "erase", "--yes"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.command, Command::MemoryErase);
    EXPECT_TRUE(r.options.yes);
}

TEST(Arguments, ServeOptions) {
    ParseResult r = parse({"serve", "--log", "/var/log/%F.csv", "--interval", "10s", "--memory-daily", "02:30",
                           "--memory-file", "m.csv", "--no-dew-point", "--no-data-server"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.command, Command::Serve);
    EXPECT_EQ(r.commandIndex, 1u);
    EXPECT_EQ(r.options.file, "/var/log/%F.csv");
    EXPECT_EQ(r.options.interval, 10);
    EXPECT_EQ(r.options.memoryDaily, 150);
    EXPECT_EQ(r.options.memoryFile, "m.csv");
    EXPECT_EQ(r.options.dewPoint, false);
    EXPECT_FALSE(r.options.dataServer);
    r = parse({"--port", "3", "serve"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.commandIndex, 3u);
    EXPECT_TRUE(r.options.file.empty());   // no log
    EXPECT_TRUE(r.options.dataServer);
    for (const char* time : {"00:00", "23:59"}) EXPECT_TRUE(parseTimeOfDay(time)) << time;
    for (const char* time : {"24:00", "12:60", "2:30", "02:3", "02-30", "", "ab:cd"}) EXPECT_FALSE(parseTimeOfDay(time)) << time;
}

TEST(Arguments, SetTakesAssignmentsAndClockNow) {
    ParseResult r = parse({"set", "display", "field4=clock", "resolution=auto"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.group, "display");
    ASSERT_EQ(r.options.assignments.size(), 2u);
    EXPECT_EQ(r.options.assignments[1], std::make_pair(std::string("resolution"), std::string("auto")));
    r = parse({"set", "clock", "now"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.assignments.front(), std::make_pair(std::string("time"), std::string("now")));
}

TEST(Arguments, HelpWithAGroup) {
    const ParseResult r = parse({"help", "logging"});
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.options.command, Command::GroupHelp);
    EXPECT_EQ(r.options.group, "logging");
    EXPECT_EQ(parse({"info", "--help"}).options.command, Command::Help);
    EXPECT_EQ(parse({"--version"}).options.command, Command::Version);
}

// Each line is wrong usage, and says why.
class BadLineTest : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(BadLineTest, IsRefusedWithAMessage) {
    useLanguage("en", test::kTranslationsDir);
    const ParseResult r = parse(GetParam());
    useLanguage("pl", {});
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(r.error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    BadLines, BadLineTest,
    ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"frobnicate"},
                      std::vector<std::string>{"info", "extra"}, std::vector<std::string>{"--port", "0", "info"},
                      std::vector<std::string>{"--port", "x", "info"}, std::vector<std::string>{"--lang", "de", "info"},
                      std::vector<std::string>{"--ini"}, std::vector<std::string>{"info", "--count", "3"},
                      std::vector<std::string>{"watch", "--count", "0"},
                      std::vector<std::string>{"watch", "--format", "xml"},
                      std::vector<std::string>{"log"}, std::vector<std::string>{"log", "f.txt", "--interval", "0"},
                      std::vector<std::string>{"log", "f.txt", "--interval", "24h"},
                      std::vector<std::string>{"log", "f.txt", "--separator", "pipe"},
                      std::vector<std::string>{"log", "f.txt", "--channels", "X"},
                      std::vector<std::string>{"memory"}, std::vector<std::string>{"memory", "read"},
                      std::vector<std::string>{"memory", "wipe"}, std::vector<std::string>{"memory", "erase", "now"},
                      std::vector<std::string>{"get"}, std::vector<std::string>{"set", "display"},
                      std::vector<std::string>{"set", "display", "field4"},
                      std::vector<std::string>{"--quiet=1", "info"}, std::vector<std::string>{"watch", "--count"},
                      std::vector<std::string>{"serve", "--memory-daily", "02:30"},
                      std::vector<std::string>{"serve", "--memory-file", "m.csv"},
                      std::vector<std::string>{"serve", "--memory-daily", "25:00", "--memory-file", "m.csv"},
                      std::vector<std::string>{"serve", "--count", "3"}, std::vector<std::string>{"serve", "extra"}));

// A value typed without its name is repeated in the message, except a PIN's
// or a password's.
TEST(Arguments, ASecretWithoutItsNameIsNotRepeated) {
    struct Case {
        const char* group;
        const char* argument;
        const char* message;
    };
    useLanguage("en", test::kTranslationsDir);
    for (const Case& c : {Case{"pin", "0042", "Expected NAME=VALUE instead of: ***"},
                          Case{"pap", "secret", "Expected NAME=VALUE instead of: ***"},
                          Case{"modem", "tcp", "Expected NAME=VALUE instead of: tcp"}})
        EXPECT_EQ(parse({"set", c.group, c.argument}).error, c.message) << c.group;
    useLanguage("pl", {});
}

TEST(Arguments, MessagesFollowTheLanguage) {
    useLanguage("pl", {});
    const std::string pl = parse({"frobnicate"}).error;
    useLanguage("en", test::kTranslationsDir);
    const std::string en = parse({"frobnicate"}).error;
    useLanguage("pl", {});
    EXPECT_EQ(en, "Unknown command: frobnicate");
    EXPECT_EQ(pl, "Nieznane polecenie: frobnicate");
}

}  // namespace
}  // namespace mr420::cli
