#include "recording/RegistrationLog.h"

#include <gtest/gtest.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

#include "support/TestSupport.h"

namespace mr420 {
namespace {

using mr420::test::readFile;
using mr420::test::writeFile;
using mr420::test::LocaleGuard;

std::string reference(const std::string& name) {
    return readFile(std::string(MR420_SOURCE_DIR) + "/tests/recording/data/" + name);
}

// Each reading as a reply has just brought it.
std::uint64_t replies = 0;
LiveReading pane(double v, int kind = 3) { return {true, true, false, v, kind, false, ++replies, 0}; }
LiveReading noValue() { return {true, false, true, 0, 3, false}; }
LiveReading blinking(double v) { return {true, true, true, v, 5, false, ++replies, 0}; }

RegistrationSettings allChannels(int sep, const std::string& file) {
    RegistrationSettings s;
    s.fileLog = true;
    s.fileName = file;
    s.sepFormat = sep;
    return s;
}

// Three records: two-decimal temperature with a missing TEMP2, panel values
// moved by the parser's rounding with a blinking pressure, then TEMP2
// deselected with negative values.
void writeThreeRecords(RegistrationLog& log, RegistrationSettings s) {
    LiveReadings r1{pane(21.46), noValue(), pane(45.36, 7), pane(1013.2, 5), pane(9.17), pane(11420, 8)};
    log.writeTextRecord(s, {2007, 3, 14, 10, 0, 0}, r1, true);
    LiveReadings r2{pane(21.56), noValue(), pane(45.46, 7), blinking(1013.2), pane(9.27), pane(11419.6, 8)};
    log.writeTextRecord(s, {2007, 3, 14, 10, 1, 0}, r2, false);
    s.fileChannels[kChannelTemp2] = false;
    LiveReadings r3{pane(-5.37), pane(3.0), pane(45.46, 7), pane(1013.26, 5), pane(-12.04), pane(2431.2, 8)};
    log.writeTextRecord(s, {2007, 3, 14, 10, 2, 0}, r3, false);
}

struct SeparatorCase {
    int sep;
    const char* locale;
    const char* referenceFile;
};

class TextFileFormat : public ::testing::TestWithParam<SeparatorCase> {};

TEST_P(TextFileFormat, MatchesReferenceByteForByte) {
    const SeparatorCase& c = GetParam();
    LocaleGuard locale(c.locale);
    if (!locale.ok()) GTEST_SKIP() << "locale " << c.locale << " is not installed";
    std::string dir = test::makeTempDir(std::string("fmt") + std::to_string(c.sep));
    RegistrationSettings s = allChannels(c.sep, dir + "/out.txt");
    RegistrationLog log;
    ASSERT_TRUE(log.openTextFromDialog(s, "", 0, [] { return false; }));
    writeThreeRecords(log, s);
    EXPECT_FALSE(log.lastWriteFailed());
    EXPECT_EQ(readFile(s.fileName), reference(c.referenceFile));
}

INSTANTIATE_TEST_SUITE_P(Separators, TextFileFormat,
                         ::testing::Values(SeparatorCase{0, "pl_PL.UTF-8", "tab_all_pl.txt"},
                                           SeparatorCase{1, "C", "comma_all_c.csv"},
                                           SeparatorCase{1, "pl_PL.UTF-8", "comma_all_pl.csv"},
                                           SeparatorCase{2, "pl_PL.UTF-8", "semicolon_all_pl.csv"}));

TEST(TextRecord, UnknownSeparatorCountsAsTabAndHeaderOnlyOnRequest) {
    LocaleGuard locale("C");
    RegistrationSettings s;
    s.sepFormat = 7;
    s.fileChannels = {false, false, false, false, false, true};
    LiveReadings r{};
    r[kChannelWb] = pane(1234.5, 8);
    EXPECT_EQ(textRecord(s, {2024, 1, 2, 3, 4, 5}, r, false, false), "2024.01.02 03:04:05\t1234\r\n");
    EXPECT_EQ(textRecord(s, {2024, 1, 2, 3, 4, 5}, r, false, true),
              "Data i Godzina\tZawarto\x9c\xe6 pary wodnej ppm\r\n2024.01.02 03:04:05\t1234\r\n");
}

TEST(TextRecord, TenthsAreCutNotRoundedAndFloatingErrorDoesNotDropATenth) {
    LocaleGuard locale("C");
    RegistrationSettings s;
    s.fileChannels = {true, false, true, false, true, false};
    LiveReadings r{};
    // 21.3 * 10 is 212.999... in binary; the cut must still keep the 3.
    r[kChannelTemp1] = pane(21.3);
    r[kChannelRh] = pane(45.99, 7);
    r[kChannelDp] = pane(-0.05);
    EXPECT_EQ(textRecord(s, {2024, 1, 1, 0, 0, 0}, r, false, false), "2024.01.01 00:00:00\t21.3\t45.9\t0.0\r\n");
    r[kChannelTemp1] = pane(21.299999999);
    r[kChannelDp] = pane(-7.991);
    EXPECT_EQ(textRecord(s, {2024, 1, 1, 0, 0, 0}, r, false, false), "2024.01.01 00:00:00\t21.3\t45.9\t-7.9\r\n");
}

// Appending from the dialog with a comment starts after an empty line;
// without comment, and after a program start, it goes on with a header.
TEST(TextFileOpening, AppendStartsAfterAnEmptyLineWithACommentAndWithAHeaderWithout) {
    LocaleGuard locale("pl_PL.UTF-8");
    if (!locale.ok()) GTEST_SKIP() << "pl_PL.UTF-8 is not installed";
    RegistrationSettings s = allChannels(0, test::makeTempDir("append") + "/log.txt");
    s.fileChannels = {true, false, true, false, false, false};
    s.checkCommentSn = true;   // without the comment box no serial line either
    const LiveReadings r{pane(21.56), noValue(), pane(45.46, 7), pane(1000, 5), pane(1), pane(2, 8)};
    const struct {
        const char* name;
        bool checkComment;
        const char* comment;   // nullptr: re-opened after a program start, not asked
        const char* reference;
    } cases[] = {
        {"dialog, comment", true, "Hala nr 2, czujnik przy oknie\nPróba żółwia", "append_comment_pl.txt"},
        {"dialog, no comment", false, "ignored", "append_plain_pl.txt"},
        {"after start", false, nullptr, "append_plain_pl.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        s.checkComment = c.checkComment;
        writeFile(s.fileName, reference("previous_pl.txt"));
        RegistrationLog log;
        int asked = 0;
        const auto append = [&] {
            ++asked;
            return true;
        };
        ASSERT_TRUE(c.comment ? log.openTextFromDialog(s, c.comment, 1234, append) : log.reopenTextAfterStart(s.fileName));
        EXPECT_EQ(asked, c.comment ? 1 : 0);
        log.writeTextRecord(s, {2007, 3, 14, 10, 0, 0}, r, false);
        EXPECT_EQ(readFile(s.fileName), reference(c.reference));
    }
}

TEST(TextFileOpening, TruncateAndSerialNumberForms) {
    LocaleGuard locale("C");
    std::string dir = test::makeTempDir("truncate");
    RegistrationSettings s = allChannels(1, dir + "/log.csv");
    s.fileChannels = {false, false, false, false, false, true};
    s.checkComment = true;
    s.checkCommentSn = true;
    writeFile(s.fileName, "old content that must go\r\n");
    RegistrationLog log;
    ASSERT_TRUE(log.openTextFromDialog(s, "", 0, [] { return false; }));
    EXPECT_EQ(readFile(s.fileName), "Panel MR-420 nr ???\r\n");
    EXPECT_EQ(log.lastHeaderMask(), -1);
    LiveReadings r{};
    r[kChannelWb] = pane(5, 8);
    log.writeTextRecord(s, {2024, 5, 6, 7, 8, 9}, r, false);
    r[kChannelWb] = pane(5, 8);
    log.writeTextRecord(s, {2024, 5, 6, 7, 8, 10}, r, false);
    EXPECT_EQ(log.lastHeaderMask(), 1);
    EXPECT_EQ(readFile(s.fileName),
              "Panel MR-420 nr ???\r\nData i Godzina,Zawarto\x9c\xe6 pary wodnej ppm\r\n"
              "2024.05.06 07:08:09,5\r\n2024.05.06 07:08:10,5\r\n");

    // A new file is not asked about and is not "appended" (no leading empty line).
    RegistrationSettings fresh = s;
    fresh.fileName = dir + "/new.csv";
    bool asked = false;
    ASSERT_TRUE(log.openTextFromDialog(fresh, "Uwaga", 77, [&] {
        asked = true;
        return true;
    }));
    EXPECT_FALSE(asked);
    EXPECT_EQ(readFile(fresh.fileName), "Uwaga\r\nPanel MR-420 nr 77\r\n");
    EXPECT_EQ(log.lastHeaderMask(), -1);
}

TEST(TextFileOpening, UnopenableFileFailsAndWritingThenDoesNothing) {
    std::string dir = test::makeTempDir("unopenable");
    RegistrationLog log;
    RegistrationSettings s = allChannels(0, dir + "/missing/dir/log.txt");
    EXPECT_FALSE(log.openTextFromDialog(s, "", 0, [] { return true; }));
    s.fileName = dir;   // a directory
    EXPECT_FALSE(log.openTextFromDialog(s, "", 0, [] { return true; }));
    EXPECT_FALSE(log.textOpen());
    log.writeTextRecord(s, {}, LiveReadings{}, false);
    EXPECT_FALSE(log.lastWriteFailed());
}

TEST(TextFileOpening, SecondWriterOnTheSameFileIsRefused) {
    std::string dir = test::makeTempDir("twowriters");
    RegistrationSettings s = allChannels(0, dir + "/log.txt");
    RegistrationLog first;
    RegistrationLog second;
    ASSERT_TRUE(first.openTextFromDialog(s, "", 0, [] { return true; }));
    EXPECT_FALSE(second.openTextFromDialog(s, "", 0, [] { return true; }));
}

TEST(TextFileWriting, FailedWriteIsReportedTakenBackAndClearedBySuccess) {
    LocaleGuard locale("C");
    std::string dir = test::makeTempDir("writefail");
    RegistrationSettings s = allChannels(0, dir + "/log.txt");
    s.fileChannels = {true, false, false, false, false, false};
    RegistrationLog log;
    ASSERT_TRUE(log.openTextFromDialog(s, "", 0, [] { return true; }));
    LiveReadings r{};
    r[kChannelTemp1] = pane(20.0);

    bool failed = false;
    std::string afterFailure;
    {
        const test::FileSizeLimit full(20);   // the header line alone is longer
        log.writeTextRecord(s, {2024, 1, 1, 0, 0, 0}, r, false);
        failed = log.lastWriteFailed();
        afterFailure = readFile(s.fileName);
    }

    EXPECT_TRUE(failed);
    EXPECT_EQ(afterFailure, "");   // the partial record was cut off again
    EXPECT_EQ(log.lastHeaderMask(), -1);
    log.writeTextRecord(s, {2024, 1, 1, 0, 0, 1}, r, false);
    EXPECT_FALSE(log.lastWriteFailed());
    EXPECT_EQ(readFile(s.fileName), "Data i Godzina\tTemperatura1 \xb0" "C\r\n2024.01.01 00:00:01\t20.0\r\n");
}

// A registering process killed at any moment leaves only whole records.
TEST(TextFileWriting, KilledWriterLeavesOnlyCompleteRecords) {
    std::string dir = test::makeTempDir("killed");
    std::string textPath = dir + "/log.txt";
    std::string binPath = dir + "/log.qvg";
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::setlocale(LC_ALL, "C");
        RegistrationSettings s = allChannels(0, textPath);
        RegistrationLog log;
        if (!log.openTextFromDialog(s, "", 0, [] { return true; }) ||
            !log.openBinaryFromDialog(binPath, [] { return true; }))
            _exit(3);
        ProbeSources src;
        src.mr411Absent = false;
        src.mr411SerialNumber = 42;
        for (int i = 0;; ++i) {
            const LiveReadings r{pane(21.5), pane(22.5), pane(45.5, 7), pane(1013.2, 5), pane(9.1), pane(11420, 8)};
            if (i == 5) {
                s.fileChannels[kChannelTemp2] = !s.fileChannels[kChannelTemp2];
                i = 0;
            }
            log.onRegistrationTimer(s, {2024, 1, 1, 12, 0, i}, r, src);
        }
    }
    usleep(300 * 1000);
    test::signalChild(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "child exited with " << WEXITSTATUS(status);

    std::string text = readFile(textPath);
    ASSERT_FALSE(text.empty());
    ASSERT_EQ(text.substr(text.size() - 2), "\r\n");
    std::size_t pos = 0;
    int records = 0;
    while (pos < text.size()) {
        std::size_t end = text.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos);
        std::string line = text.substr(pos, end - pos);
        bool header = line.rfind("Data i Godzina\t", 0) == 0;
        bool full = line == "2024.01.01 12:00:0" + line.substr(18, 1) + "\t21.5\t22.5\t1013.2\t45.5\t9.1\t11420";
        bool short_ = line == "2024.01.01 12:00:0" + line.substr(18, 1) + "\t21.5\t1013.2\t45.5\t9.1\t11420";
        EXPECT_TRUE(header || full || short_) << "torn line: " << line;
        if (!header) ++records;
        pos = end + 2;
    }
    EXPECT_GT(records, 0);

    // The binary file is a run of whole records: each ends with '@' and two check bytes.
    std::string plain = negateBytes(readFile(binPath));
    pos = 0;
    int binaryRecords = 0;
    while (pos < plain.size()) {
        std::size_t at = plain.find('@', pos);
        ASSERT_NE(at, std::string::npos) << "torn binary record at " << pos;
        ASSERT_LE(at + 3, plain.size()) << "torn check bytes";
        std::string recordText = plain.substr(pos, at - pos);
        EXPECT_EQ(negateBytes(encodeRecord(recordText)), plain.substr(pos, at + 3 - pos));
        pos = at + 3;
        ++binaryRecords;
    }
    EXPECT_GT(binaryRecords, 0);
}

// Fields with the column separator in them are quoted, everything else is
// written as it is.
TEST(QuoteField, QuotesOnlyAFieldThatHoldsTheSeparator) {
    struct Case {
        const char* field;
        char separator;
        const char* expected;
    };
    const Case cases[] = {
        {"22,2", ',', "\"22,2\""}, {"-12,0", ',', "\"-12,0\""}, {"22.2", ',', "22.2"}, {"???", ',', "???"},
        {"", ',', ""},             {",", ',', "\",\""},
        {"Hala \"B\", linia 2", ',', "\"Hala \"\"B\"\", linia 2\""},
        {"\"", ',', "\""},   // a quote alone does not need quoting
        {"bez \"cudzys\u0142owu\"", ',', "bez \"cudzys\u0142owu\""},
        {"22,2", ';', "22,2"}, {"22,2", '\t', "22,2"}, {"a;b", ';', "\"a;b\""}, {"a\tb", '\t', "\"a\tb\""},
        {"a;b", ',', "a;b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " / " + c.separator);
        EXPECT_EQ(quoteField(c.field, c.separator), c.expected);
    }
}

TEST(TextRecord, DecimalCommaInACommaFileIsQuoted) {
    LocaleGuard locale("pl_PL.UTF-8");
    if (!locale.ok()) GTEST_SKIP() << "pl_PL.UTF-8 is not installed";
    RegistrationSettings s;
    s.fileChannels = {true, true, true, true, true, true};
    LiveReadings r{pane(22.24), noValue(), pane(45.36, 7), pane(1013.2, 5), pane(-9.17), pane(11420, 8)};
    struct Case {
        int sep;
        const char* expected;
    };
    const Case cases[] = {
        {1, "2024.05.06 07:08:09,\"22,2\",???,\"1013,2\",\"45,3\",\"-9,1\",11420\r\n"},
        {2, "2024.05.06 07:08:09;22,2;???;1013,2;45,3;-9,1;11420\r\n"},
        {0, "2024.05.06 07:08:09\t22,2\t???\t1013,2\t45,3\t-9,1\t11420\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sep);
        s.sepFormat = c.sep;
        EXPECT_EQ(textRecord(s, {2024, 5, 6, 7, 8, 9}, r, false, false), c.expected);
    }
}

TEST(OpeningComment, LinesWithTheSeparatorAreQuotedOneLineAtATime) {
    RegistrationTexts texts;
    texts.panelNumber = "Panel MR-420, nr";
    struct Case {
        const char* name;
        char separator;
        bool appending;
        const char* comment;
        const char* expected;
    };
    const Case cases[] = {
        {"comma", ',', true, "Hala \"B\", linia 2\nbez przecinka\r\nkoniec,",
         "\r\n\"Hala \"\"B\"\", linia 2\"\r\nbez przecinka\r\n\"koniec,\"\r\n\"Panel MR-420, nr 7\"\r\n"},
        {"semicolon", ';', false, "Hala \"B\", linia 2\nbez przecinka",
         "Hala \"B\", linia 2\r\nbez przecinka\r\nPanel MR-420, nr 7\r\n"},
        {"tab", '\t', false, "a\tb, c\n\nd\re",
         "\"a\tb, c\"\r\n\r\nd\re\r\nPanel MR-420, nr 7\r\n"},
        {"trailing line end", ',', false, "x\n", "x\r\n\r\n\"Panel MR-420, nr 7\"\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(openingComment(c.appending, c.comment, true, 7, c.separator, texts), c.expected);
    }
}

// The rows of a comma-separated file as Python's csv module reads it
// (Windows-1250), in UTF-8: each field ends with 0x1F, each row with 0x1E.
std::vector<std::vector<std::string>> pythonCsvRows(const std::string& path, bool& ok) {
    const std::string script =
        "import csv, sys\n"
        "out = sys.stdout.buffer\n"
        "with open(sys.argv[1], encoding=\"cp1250\", newline=\"\") as f:\n"
        "    for row in csv.reader(f, delimiter=\",\", strict=True):\n"
        "        out.write((\"\".join(field + \"\\x1f\" for field in row) + \"\\x1e\").encode(\"utf-8\"))\n";
    const std::string command = "python3 -c '" + script + "' '" + path + "'";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    ok = pipe != nullptr;
    if (!pipe) return {};
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    const int status = ::pclose(pipe);
    ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && (output.empty() || output.back() == '\x1e');

    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    for (char c : output) {
        if (c == '\x1f') rows.back().push_back(std::exchange(field, {}));
        else if (c == '\x1e') rows.emplace_back();
        else field += c;
    }
    rows.pop_back();   // the one after the last row's end
    return rows;
}

TEST(CommaFile, PythonCsvReadsEveryColumnUnderAPolishLocale) {
    LocaleGuard locale("pl_PL.UTF-8");
    if (!locale.ok()) GTEST_SKIP() << "pl_PL.UTF-8 is not installed";
    const std::string dir = test::makeTempDir("pycsv");
    RegistrationTexts texts;
    texts.dateTime = "Data, godzina";
    texts.titles[kChannelPressure] = "Ciśnienie \"abs\", hPa";
    texts.panelNumber = "Panel MR-420, nr";
    RegistrationSettings s = allChannels(1, dir + "/log.csv");
    s.checkComment = true;
    s.checkCommentSn = true;
    writeFile(s.fileName, "x\r\n");
    RegistrationLog log(texts);
    ASSERT_TRUE(log.openTextFromDialog(s, "Hala \"B\", linia 2\nżółw, bez cudzysłowu", 4711, [] { return true; }));
    writeThreeRecords(log, s);
    EXPECT_FALSE(log.lastWriteFailed());

    bool ok = false;
    const auto rows = pythonCsvRows(s.fileName, ok);
    ASSERT_TRUE(ok) << "python3 could not read the file";
    const std::vector<std::vector<std::string>> expected{
        {"x"},
        {},
        {"Hala \"B\", linia 2"},
        {"żółw, bez cudzysłowu"},
        {"Panel MR-420, nr 4711"},
        {"Data, godzina", "Temperatura1 °C", "Temperatura2 °C", "Ciśnienie \"abs\", hPa", "Wilgotność %",
         "Punkt rosy °C", "Zawartość pary wodnej ppm"},
        {"2007.03.14 10:00:00", "21,46", "???", "1013,2", "45,3", "9,1", "11420"},
        {"2007.03.14 10:01:00", "21,5", "???", "???", "45,4", "9,2", "11420"},
        {"Data, godzina", "Temperatura1 °C", "Ciśnienie \"abs\", hPa", "Wilgotność %", "Punkt rosy °C",
         "Zawartość pary wodnej ppm"},
        {"2007.03.14 10:02:00", "-5,3", "1013,3", "45,4", "-12,0", "2431"},
    };
    EXPECT_EQ(rows, expected);
}

// The registration timer may fire inside the append question's event loop;
// the file must not take a record before the answer.
TEST(FileOpening, NothingIsWrittenWhileTheAppendQuestionIsOpen) {
    LocaleGuard locale("C");
    struct Case {
        const char* name;
        bool binary;
        bool append;
    };
    const Case cases[] = {
        {"text, append", false, true},
        {"text, empty", false, false},
        {"binary, append", true, true},
        {"binary, empty", true, false},
    };
    RegistrationSettings s;
    s.fileChannels = {true, false, false, false, false, false};
    const LiveReadings r{pane(20.0), noValue(), noValue(), noValue(), noValue(), noValue()};
    ProbeSources sources;
    const std::string textRecordBytes = "Data i Godzina\tTemperatura1 \xb0" "C\r\n2024.01.01 00:00:00\t20.0\r\n";
    const std::string binaryRecordBytes = encodeRecord(liveRecordText({2024, 1, 1, 0, 0, 0}, r, sources));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = test::makeTempDir("question") + (c.binary ? "/log.qvg" : "/log.txt");
        const std::string old = "stara zawarto\x9c\xe6\r\n";
        writeFile(path, old);
        s.fileName = path;
        RegistrationLog log;
        int asked = 0;
        auto question = [&] {
            ++asked;
            log.onRegistrationTimer(s, {2024, 1, 1, 0, 0, 0}, r, sources);
            EXPECT_EQ(readFile(path), old);
            return c.append;
        };
        ASSERT_TRUE(c.binary ? log.openBinaryFromDialog(path, question)
                             : log.openTextFromDialog(s, "", 0, question));
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(readFile(path), c.append ? old : "");
        log.onRegistrationTimer(s, {2024, 1, 1, 0, 0, 0}, r, sources);
        const std::string record = c.binary ? binaryRecordBytes : textRecordBytes;
        EXPECT_EQ(readFile(path), c.append ? old + record : record);
        EXPECT_FALSE(log.lastWriteFailed());
    }
}

// A channel no reply has refreshed since the record before, or within the
// reply time-out of 6 s, is written without value.
TEST(TextFileWriting, OnlyReadingsRefreshedSinceTheRecordBeforeAndWithinSixSeconds) {
    LocaleGuard locale("C");
    RegistrationSettings s = allChannels(0, test::makeTempDir("fresh") + "/log.txt");
    s.fileChannels = {true, false, false, true, false, false};
    RegistrationLog log;
    ASSERT_TRUE(log.openTextFromDialog(s, "", 0, [] { return true; }));
    // The first record; no reply since the record before; refreshed, just within
    // the time-out; refreshed but too long ago; the reply of the record before; none ever.
    const struct { std::uint64_t serial; std::int64_t ageMs; const char* written; } steps[] = {
        {7, 0, "20.0"}, {7, 1000, "???"}, {8, 6000, "20.0"}, {9, 6001, "???"}, {9, 500, "???"}, {0, -1, "???"}};
    std::string expected = "Data i Godzina\tTemperatura1 \xb0" "C\tCi\x9cnienie hPa\r\n";
    int second = 0;
    for (const auto& step : steps) {
        LiveReadings r{};
        r[kChannelTemp1] = {true, true, false, 20.0, 3, false, step.serial, step.ageMs};
        r[kChannelPressure] = pane(1013.2, 5);
        log.writeTextRecord(s, {2024, 1, 1, 0, 0, second}, r, false);
        expected += "2024.01.01 00:00:0" + std::to_string(second++) + "\t" + step.written + "\t1013.2\r\n";
    }
    EXPECT_EQ(readFile(s.fileName), expected);

    // The binary file keeps its own record before.
    const std::string qvg = test::makeTempDir("fresh-qvg") + "/log.qvg";
    ASSERT_TRUE(log.openBinaryFromDialog(qvg, [] { return true; }));
    LiveReadings r{};
    r[kChannelWb] = pane(100, 8);
    log.writeBinaryRecord({2007, 3, 14, 10, 0, 0}, r, {});
    log.writeBinaryRecord({2007, 3, 14, 10, 0, 1}, r, {});
    EXPECT_EQ(readFile(qvg), encodeRecord("20070314100000$106,0,23,100,1$") + encodeRecord("20070314100001$"));
}

}  // namespace
}  // namespace mr420
