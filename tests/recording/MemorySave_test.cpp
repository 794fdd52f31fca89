// Save-as of the downloaded memory: the text/CSV file byte for byte under the
// Polish and the C locale, the binary file, header lines, opening and write
// failures, the binary-mode rule, the browse filters and the chart program's
// search.

#include "recording/MemorySave.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <set>
#include <sys/stat.h>

#include "base/StringTable.h"
#include "recording/ChartProgramSearch.h"
#include "recording/MeasurementFile.h"
#include "recording/RecordFile.h"
#include "support/TestSupport.h"

namespace mr420 {
namespace {

using mr420::test::readFile;
using mr420::test::writeFile;
using mr420::test::LocaleGuard;

std::string reference(const std::string& name) {
    return readFile(std::string(MR420_SOURCE_DIR) + "/tests/recording/data/" + name);
}

// Builders of one record: the quantities logged, then what the PC computed.
struct Rec {
    MemoryRecord r;
    explicit Rec(LocalTime t) { r.time = t; }
    Rec& t1(double v, bool two = false) {
        r.twoDecimals = two;
        return set(r.temperature1Present, r.temperature1, v);
    }
    Rec& t2(double v) { return set(r.temperature2Present, r.temperature2, v); }
    Rec& rh(double v) { return set(r.humidityPresent, r.humidity, v); }
    Rec& p(double v) { return set(r.pressurePresent, r.pressure, v); }
    Rec& dp(double v) { return set(r.dewPointComputed, r.dewPoint, v); }
    Rec& ppm(double v) { return set(r.vapourComputed, r.vapourPpm, v); }
    Rec& t1Error() { return error(r.temperature1Present, r.temperature1Error); }
    Rec& t2Error() { return error(r.temperature2Present, r.temperature2Error); }
    Rec& rhError() { return error(r.humidityPresent, r.humidityError); }
    Rec& pError() { return error(r.pressurePresent, r.pressureError); }
    operator MemoryRecord() const { return r; }

private:
    Rec& set(bool& flag, double& value, double v) {
        flag = true;
        value = v;
        return *this;
    }
    Rec& error(bool& present, bool& error) {
        present = error = true;
        return *this;
    }
};

// Seven records of the reference files: column sets A, B (with vapour), C
// (temperature 1 in error, nothing computed), A again, A, D (two
// temperatures), D; errors, hundredths, negative values, a leap day.
std::vector<MemoryRecord> sampleRecords() {
    return {
        Rec({2007, 3, 14, 10, 0, 0}).t1(21.4).rh(45.3).p(1013.2).dp(9.1),
        Rec({2007, 3, 14, 10, 15, 0}).t1(-5.37, true).rh(80.0).p(998.7).dp(-8.1).ppm(3021.6),
        Rec({2007, 3, 15, 0, 0, 30}).t1Error().rh(50.0).p(1000.0),
        Rec({2008, 2, 29, 23, 59, 59}).t1(22.0).rh(40.0).p(1001.5).dp(7.9),
        Rec({2008, 3, 1, 0, 14, 59}).t1(19.99, true).rh(41.2).pError().dp(6.4),
        Rec({2024, 12, 31, 8, 5, 7}).t1(20.5).t2(-12.3).rh(55.5).p(1013.2),
        Rec({2025, 1, 1, 8, 20, 7}).t1(20.6).t2Error().rhError().p(1013.3),
    };
}

const char* const kComment = "Hala 2, linia \"B\"\nPomiar kontrolny: źródło ciepła";

MemorySaveOptions options(bool comment, const char* text, bool serial, long number, int separator) {
    MemorySaveOptions o;
    o.addComment = comment;
    o.comment = text;
    o.addSerialNumber = serial;
    o.panelSerialNumber = number;
    o.separator = separator;
    return o;
}
MemorySaveOptions commentOptions(int separator, long serial) { return options(true, kComment, true, serial, separator); }

MemorySaveResult save(const std::string& path, const MemorySaveOptions& o,
                      const std::vector<MemoryRecord>& records = sampleRecords(), int* asked = nullptr,
                      bool append = true) {
    return saveMemoryFile(path, records, o, [asked, append] {
        if (asked) ++*asked;
        return append;
    });
}

struct TextCase {
    const char* name;
    const char* locale;
    MemorySaveOptions options;
    const char* referenceFile;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class TextSave : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextSave, MatchesReferenceByteForByte) {
    const TextCase& c = GetParam();
    LocaleGuard locale(c.locale);
    if (!locale.ok()) GTEST_SKIP() << "locale " << c.locale << " is not installed";
    const std::string path = test::makeTempDir(std::string("memtext-") + c.name) + "/odczyt.txt";
    int asked = 0;
    const MemorySaveResult result = save(path, c.options, sampleRecords(), &asked);
    EXPECT_TRUE(result.saved());
    EXPECT_EQ(asked, 0);   // a new file needs no question
    EXPECT_EQ(readFile(path), reference(c.referenceFile));
    EXPECT_EQ(memoryTextFile(sampleRecords(), c.options), reference(c.referenceFile));
}

INSTANTIATE_TEST_SUITE_P(
    Separators, TextSave,
    ::testing::Values(TextCase{"tab_pl", "pl_PL.UTF-8", commentOptions(0, 4711), "memory-tab-pl.txt"},
                      TextCase{"comma_pl", "pl_PL.UTF-8", commentOptions(1, 4711), "memory-comma-pl.csv"},
                      TextCase{"comma_c", "C", commentOptions(1, 0), "memory-comma-c.csv"},
                      // The box is off: neither the comment nor the serial line.
                      TextCase{"semicolon_pl", "pl_PL.UTF-8", options(false, kComment, true, 4711, 2),
                               "memory-semicolon-pl.csv"}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

// A decimal comma in a comma file: the date and the values are quoted.
TEST(TextSave, PolishLocaleLinesAndQuoting) {
    LocaleGuard locale("pl_PL.UTF-8");
    if (!locale.ok()) GTEST_SKIP() << "pl_PL.UTF-8 is not installed";
    const MemoryRecord tab = Rec({2007, 3, 14, 10, 0, 0}).t1(21.4).rh(45.3).p(1013.2).dp(9.1);
    EXPECT_EQ(memoryTextFile({tab}, {}),
              "Data i czas\tTemp. 1\tWilgotno\x9c\xe6\tCi\x9cnienie\tPunkt rosy\r\n"
              "\x9cro, 14 mar 2007, 10:00:00\t21,4\t45,3\t1013,2\t9,1\r\n");
    const MemoryRecord r = Rec({2008, 2, 29, 23, 59, 59}).t1Error().rh(45.0).ppm(12000.4);
    EXPECT_EQ(memoryRow(r, ','), "\"pi\xb9, 29 lut 2008, 23:59:59\",???,\"45,0\",12000\r\n");
    EXPECT_EQ(memoryRow(r, ';'), "pi\xb9, 29 lut 2008, 23:59:59;???;45,0;12000\r\n");
    EXPECT_EQ(memoryRow(r, '\t'), "pi\xb9, 29 lut 2008, 23:59:59\t???\t45,0\t12000\r\n");
}

TEST(TextSave, HeaderLineBeforeEveryChangeOfTheColumnSet) {
    LocaleGuard locale("C");
    const MemoryRecord a = Rec({2024, 5, 6, 7, 8, 9}).t1(20.0).rh(50.0);
    const MemoryRecord b = Rec({2024, 5, 6, 7, 9, 9}).t1(20.0).rh(50.0).dp(9.3);
    const MemoryRecord aError = Rec({2024, 5, 6, 7, 10, 9}).t1Error().rh(50.0);   // same set as a
    const std::string text = memoryTextFile({a, b, a, aError, b, b}, {});
    const std::string headerA = "Data i czas\tTemp. 1\tWilgotno\x9c\xe6\r\n";
    const std::string headerB = "Data i czas\tTemp. 1\tWilgotno\x9c\xe6\tPunkt rosy\r\n";
    EXPECT_EQ(text, headerA + "Mon May  6 07:08:09 2024\t20.0\t50.0\r\n" +   //
                        headerB + "Mon May  6 07:09:09 2024\t20.0\t50.0\t9.3\r\n" +
                        headerA + "Mon May  6 07:08:09 2024\t20.0\t50.0\r\n" +   //
                        "Mon May  6 07:10:09 2024\t???\t50.0\r\n" +
                        headerB + "Mon May  6 07:09:09 2024\t20.0\t50.0\t9.3\r\n" +
                        "Mon May  6 07:09:09 2024\t20.0\t50.0\t9.3\r\n");
}

TEST(TextSave, ColumnsAreTheLoggedQuantitiesAndWhatWasComputed) {
    struct Case {
        MemoryRecord record;
        int columns;
    };
    using namespace memory_column;
    const LocalTime t{2024, 1, 1, 0, 0, 0};
    MemoryRecord valuesWithoutFlags = Rec(t).t1(20.0);
    valuesWithoutFlags.dewPoint = 5.0;     // a value without its flag is no column
    valuesWithoutFlags.vapourPpm = 900.0;
    valuesWithoutFlags.pressure = 1000.0;
    const Case cases[] = {
        {Rec(t), 0},
        {valuesWithoutFlags, kTemperature1},
        {Rec(t).t1Error(), kTemperature1},
        {Rec(t).t2Error().pError(), kTemperature2 | kPressure},
        {Rec(t).rhError(), kHumidity},
        {Rec(t).dp(1.0), kDewPoint},
        {Rec(t).dp(std::nan("")), kDewPoint},
        {Rec(t).ppm(1.0), kVapour},
        {Rec(t).t1(1).t2(2).rh(3).p(4).dp(5).ppm(6),
         kTemperature1 | kTemperature2 | kHumidity | kPressure | kDewPoint | kVapour},
    };
    for (const Case& c : cases) EXPECT_EQ(memoryColumnsOf(c.record), c.columns);
}

TEST(TextSave, RowFormatsUnderTheCLocale) {
    LocaleGuard locale("C");
    struct Case {
        MemoryRecord record;
        char separator;
        const char* row;
    };
    const LocalTime t{2024, 2, 29, 12, 0, 0};   // a Thursday
    const Case cases[] = {
        {Rec(t).t1(21.456, true).t2(-0.05), '\t', "Thu Feb 29 12:00:00 2024\t21.46\t-0.05\r\n"},
        {Rec(t).t1(21.46).t2(-3.25), '\t', "Thu Feb 29 12:00:00 2024\t21.5\t-3.2\r\n"},   // "%.01f" rounds
        {Rec(t).rh(45.36).p(1013.25).dp(-40.04).ppm(11419.6), ';',
         "Thu Feb 29 12:00:00 2024;45.4;1013.2;-40.0;11420\r\n"},
        {Rec(t).t1Error().t2Error().rhError().pError(), ',', "Thu Feb 29 12:00:00 2024,???,???,???,???\r\n"},
        // Computed but not meaningful (below the saturation table): the column stays.
        {Rec(t).t1(-45.0).rh(50.0).dp(std::nan("")).ppm(std::nan("")), ';',
         "Thu Feb 29 12:00:00 2024;-45.0;50.0;???;???\r\n"},
        {Rec(t), '\t', "Thu Feb 29 12:00:00 2024\t\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(memoryRow(c.record, c.separator), c.row);
}

TEST(TextSave, CommentBlock) {
    struct Case {
        const char* name;
        MemorySaveOptions options;
        const char* block;
    };
    const auto o = options;
    const Case cases[] = {
        {"box off", o(false, "Hala", true, 4711, 0), ""},
        {"comment only", o(true, "Hala", false, 4711, 0), "Hala\r\n"},
        {"empty comment, serial", o(true, "", true, 4711, 0), "Panel MR-420 nr 4711\r\n"},
        {"serial 1", o(true, "", true, 1, 0), "Panel MR-420 nr 1\r\n"},
        {"serial 0", o(true, "", true, 0, 0), "Panel MR-420 nr ???\r\n"},
        {"negative serial", o(true, "", true, -3, 0), "Panel MR-420 nr ???\r\n"},
        {"nothing at all", o(true, "", false, 4711, 0), ""},
        {"LF lines", o(true, "a\nb", false, 0, 0), "a\r\nb\r\n"},
        {"CR LF lines", o(true, "a\r\nb", false, 0, 0), "a\r\nb\r\n"},
        {"trailing line end", o(true, "a\n", false, 0, 0), "a\r\n\r\n"},
        {"comma in a comma file", o(true, "x, \"y\"", false, 0, 1), "\"x, \"\"y\"\"\"\r\n"},
        {"comma in a tab file", o(true, "x, \"y\"", false, 0, 0), "x, \"y\"\r\n"},
        {"Polish letters", o(true, "Źródło", false, 0, 0), "\x8f\x72\xf3\x64\xb3o\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(memoryCommentBlock(c.options), c.block) << c.name;
}

TEST(TextSave, FullDateTimeFollowsTheLocale) {
    struct Case {
        const char* locale;
        LocalTime time;
        const char* text;
    };
    const Case cases[] = {
        {"C", {2007, 3, 14, 10, 0, 0}, "Wed Mar 14 10:00:00 2007"},
        {"C", {2000, 2, 29, 23, 59, 59}, "Tue Feb 29 23:59:59 2000"},
        {"C", {2025, 1, 1, 0, 0, 0}, "Wed Jan  1 00:00:00 2025"},
        {"pl_PL.UTF-8", {2007, 3, 14, 10, 0, 0}, "śro, 14 mar 2007, 10:00:00"},
        {"pl_PL.UTF-8", {2008, 2, 29, 23, 59, 59}, "pią, 29 lut 2008, 23:59:59"},
        {"pl_PL.UTF-8", {2024, 12, 31, 8, 5, 7}, "wto, 31 gru 2024, 08:05:07"},
    };
    for (const Case& c : cases) {
        LocaleGuard locale(c.locale);
        if (!locale.ok()) continue;
        EXPECT_EQ(fullDateTime(c.time), c.text) << c.locale;
    }
}

TEST(BinarySave, QvgNameWritesTheMeasurementRecordsWhateverTheLocale) {
    LocaleGuard locale("pl_PL.UTF-8");
    if (!locale.ok()) GTEST_SKIP() << "pl_PL.UTF-8 is not installed";
    const std::string dir = test::makeTempDir("memqvg");
    // The comment options are for text files only.
    const MemorySaveResult result = save(dir + "/wykres.QVG", commentOptions(1, 4711));
    EXPECT_TRUE(result.saved());
    EXPECT_EQ(readFile(dir + "/wykres.QVG"), reference("memory.qvg"));

    // The same bytes the measurement file's own writer produces.
    RecordFile direct;
    ASSERT_EQ(direct.open(dir + "/direct.qvg"), RecordFile::OpenResult::Created);
    ASSERT_TRUE(writeMemoryRecords(direct, sampleRecords(), 4711));
    direct.close();
    EXPECT_EQ(readFile(dir + "/direct.qvg"), reference("memory.qvg"));
}

TEST(BinarySave, BinaryModeRule) {
    struct Case {
        const char* path;
        bool binary;
    };
    const Case cases[] = {
        {"wykres.qvg", true},   {"wykres.QVG", true},     {"wykres.QvG", true},   {"/a/b/.qvg", true},
        {".qvg", true},         {"wykres.qvg.txt", false}, {"wykres.qvgx", false}, {"wykresqvg", false},
        {"wykres.qvg ", false}, {"qvg", false},           {"", false},            {"wykres.csv", false},
        {"dir.qvg/plik.txt", false}, {"wykres.qv", false},
    };
    for (const Case& c : cases) EXPECT_EQ(isMeasurementFileName(c.path), c.binary) << '"' << c.path << '"';
}

TEST(Browse, FiltersOfTheStringTable) {
    const std::vector<FileFilter> polish = parseFileFilters(str(kMemoryFileFilters));
    EXPECT_EQ(polish, (std::vector<FileFilter>{{"Plik tekstowy (*.txt)", "txt"},
                                               {"Lista CSV (*.csv)", "csv"},
                                               {"Plik programu Vimo (*.qvg)", "qvg"}}));
    EXPECT_EQ(parseFileFilters("Text file (*.txt)|*.txt|CSV list (*.csv)|*.csv|Vimo file (*.qvg)|*.qvg||"),
              (std::vector<FileFilter>{{"Text file (*.txt)", "txt"},
                                       {"CSV list (*.csv)", "csv"},
                                       {"Vimo file (*.qvg)", "qvg"}}));
    EXPECT_EQ(parseFileFilters("All (*.*)|*.*|Two|*.a;*.b"),
              (std::vector<FileFilter>{{"All (*.*)", ""}, {"Two", "a"}}));
    EXPECT_TRUE(parseFileFilters("").empty());
    EXPECT_TRUE(parseFileFilters("label without pattern").empty());
    EXPECT_EQ(std::string(kMemoryDefaultExtension), "csv");
}

TEST(Browse, ChosenNameWithoutExtensionGetsTheFiltersOne) {
    struct Case {
        const char* path;
        int filter;
        const char* result;
    };
    const Case cases[] = {
        {"/home/u/odczyt", 0, "/home/u/odczyt.txt"}, {"/home/u/odczyt", 1, "/home/u/odczyt.csv"},
        {"/home/u/odczyt", 2, "/home/u/odczyt.qvg"}, {"/home/u/odczyt.dat", 2, "/home/u/odczyt.dat"},
        {"/home/u/odczyt.csv", 0, "/home/u/odczyt.csv"}, {"/home/u.d/odczyt", 1, "/home/u.d/odczyt.csv"},
        {"/home/u/.hidden", 2, "/home/u/.hidden.qvg"}, {"", 2, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(withMemoryExtension(c.path, c.filter), c.result) << c.path << " " << c.filter;
}

TEST(SaveFile, ExistingFileIsAppendedToOrEmptiedAsAnswered) {
    LocaleGuard locale("C");
    const std::string dir = test::makeTempDir("memappend");
    const MemoryRecord r = Rec({2024, 1, 1, 0, 0, 0}).t1(20.0);
    const std::string expected = memoryTextFile({r}, {});
    for (bool binary : {false, true}) {
        const std::string path = dir + (binary ? "/stary.qvg" : "/stary.txt");
        const std::string written = binary ? encodeRecord(memoryRecordText(r, 7)) : expected;
        MemorySaveOptions o;
        o.panelSerialNumber = 7;

        writeFile(path, "poprzednie\r\n");
        int asked = 0;
        EXPECT_TRUE(save(path, o, {r}, &asked, /*append=*/true).saved());
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(readFile(path), "poprzednie\r\n" + written);

        asked = 0;
        EXPECT_TRUE(save(path, o, {r}, &asked, /*append=*/false).saved());
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(readFile(path), written);

        // Without a question to ask, nothing is thrown away.
        EXPECT_TRUE(saveMemoryFile(path, {r}, o, nullptr).saved());
        EXPECT_EQ(readFile(path), written + written);
    }
}

TEST(SaveFile, FileThatCannotBeOpenedIsReportedWithMessage132) {
    const std::string dir = test::makeTempDir("memnoopen");
    std::filesystem::create_directory(dir + "/katalog.txt");
    const std::string paths[] = {"", dir + "/katalog.txt", dir + "/brak/odczyt.txt", dir + "/brak/odczyt.qvg"};
    for (const std::string& path : paths) {
        int asked = 0;
        const MemorySaveResult result = save(path, {}, sampleRecords(), &asked);
        EXPECT_EQ(result.status, MemorySaveResult::Status::CannotOpen) << path;
        EXPECT_EQ(asked, 0);
        EXPECT_EQ(memorySaveFailureText(result), "Wybrany plik jest niedostępny.");
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "/brak"));
}

TEST(SaveFile, AFileHeldByAnotherWriterCannotBeOpened) {
    const std::string path = test::makeTempDir("memlocked") + "/rejestracja.txt";
    RecordFile registration;   // the live registration writing into the same file
    ASSERT_EQ(registration.open(path), RecordFile::OpenResult::Created);
    int asked = 0;
    EXPECT_EQ(save(path, {}, sampleRecords(), &asked).status, MemorySaveResult::Status::CannotOpen);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(readFile(path), "");
}

TEST(SaveFile, FullDeviceIsNeverReportedAsSaved) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const MemorySaveResult result = save("/dev/full", {});
    EXPECT_FALSE(result.saved());
    EXPECT_FALSE(memorySaveFailureText(result).empty());
}

using test::FileSizeLimit;

TEST(SaveFile, WriteFailureIsReportedWithTheNameAndTheReason) {
    LocaleGuard locale("C");
    const std::string dir = test::makeTempDir("memfull");
    for (const char* name : {"/odczyt.csv", "/odczyt.qvg"}) {
        const std::string path = dir + name;
        MemorySaveResult result;
        {
            FileSizeLimit limit(100);   // shorter than the file
            result = save(path, commentOptions(1, 4711));
        }
        EXPECT_EQ(result.status, MemorySaveResult::Status::WriteFailed) << name;
        EXPECT_EQ(result.errorNumber, EFBIG) << name;
        EXPECT_EQ(result.path, path);
        EXPECT_EQ(memorySaveFailureText(result), "Błąd zapisu pliku " + path + ": Plik jest za duży");
        EXPECT_LE(readFile(path).size(), 100u);
    }
    // Without the limit the same save succeeds.
    EXPECT_TRUE(save(dir + "/odczyt.csv", commentOptions(1, 4711), sampleRecords(), nullptr, false).saved());
    EXPECT_EQ(readFile(dir + "/odczyt.csv"), memoryTextFile(sampleRecords(), commentOptions(1, 4711)));
}

TEST(SaveFile, AFailedSaveLeavesTheFileAsItWas) {
    LocaleGuard locale("C");
    const std::string dir = test::makeTempDir("memkept");
    for (const char* name : {"/stary.csv", "/stary.qvg"}) {
        const std::string path = dir + name;
        writeFile(path, "poprzednie\r\n");
        for (bool append : {false, true}) {
            FileSizeLimit limit(100);   // shorter than the records
            EXPECT_EQ(save(path, commentOptions(1, 4711), sampleRecords(), nullptr, append).status,
                      MemorySaveResult::Status::WriteFailed);
        }
        EXPECT_EQ(readFile(path), "poprzednie\r\n") << name;
    }
    // Nothing is left beside the files.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 2);
}

TEST(SaveFile, FailureTextFollowsTheStringTable) {
    MemorySaveResult r;
    EXPECT_EQ(memorySaveFailureText(r), "");
    r.status = MemorySaveResult::Status::WriteFailed;
    r.path = "/media/usb/odczyt.txt";
    r.errorNumber = ENOSPC;
    // The system's reason in the table's language too.
    EXPECT_EQ(memorySaveFailureText(r), "Błąd zapisu pliku /media/usb/odczyt.txt: Brak miejsca na urządzeniu");
    setStringOverride([](int id) -> std::optional<std::string> {
        if (id == string_id::kMemorySaveWriteFailed) return "Error writing the file %s: %s";
        if (id == 508) return "Input/output error";
        return std::nullopt;
    });
    r.errorNumber = EIO;
    EXPECT_EQ(memorySaveFailureText(r), "Error writing the file /media/usb/odczyt.txt: Input/output error");
    setStringOverride({});
}

TEST(ChartProgramSearch, DirectoriesInOrder) {
    struct Case {
        const char* name;
        const char* programDir;
        const char* currentDir;
        const char* path;
        std::vector<std::string> dirs;
    };
    const Case cases[] = {
        {"usual", "/opt/mr420/bin", "/home/u", "/usr/local/bin:/usr/bin",
         {"/opt/mr420/bin", "/home/u", "/usr/local/bin", "/usr/bin"}},
        {"empty PATH", "/opt/mr420/bin", "/home/u", "", {"/opt/mr420/bin", "/home/u"}},
        {"empty entries are the current dir", "/p", "/c", ":/usr/bin::", {"/p", "/c", "/c", "/usr/bin", "/c", "/c"}},
        {"relative entry", "/p", "/home/u", "bin:/usr/bin", {"/p", "/home/u", "/home/u/bin", "/usr/bin"}},
        {"no program dir", "", "/c", "/usr/bin", {"/c", "/usr/bin"}},
        {"no current dir", "/p", "", "bin::/usr/bin", {"/p", "bin", "/usr/bin"}},
    };
    for (const Case& c : cases) EXPECT_EQ(chartProgramSearchDirs(c.programDir, c.currentDir, c.path), c.dirs) << c.name;
}

TEST(ChartProgramSearch, FirstExecutableInSearchOrder) {
    struct Case {
        const char* name;
        std::set<std::string> executables;
        const char* found;
    };
    const Case cases[] = {
        {"program dir wins", {"/opt/mr420/bin/Vimo.exe", "/home/u/Vimo.exe", "/usr/bin/Vimo.exe"},
         "/opt/mr420/bin/Vimo.exe"},
        {"then the current dir", {"/home/u/Vimo.exe", "/usr/bin/Vimo.exe"}, "/home/u/Vimo.exe"},
        {"then PATH in order", {"/usr/bin/Vimo.exe", "/usr/local/bin/Vimo.exe"}, "/usr/local/bin/Vimo.exe"},
        {"trailing slash", {"/usr/bin/Vimo.exe"}, "/usr/bin/Vimo.exe"},
        {"other names do not count", {"/usr/bin/vimo.exe", "/usr/bin/Vimo", "/usr/bin/Vimo.exe.bak"}, ""},
        {"nowhere", {}, ""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> looked;
        const std::string found = findChartProgram("/opt/mr420/bin", "/home/u", "/usr/local/bin:/usr/bin/",
                                                    [&](const std::string& p) {
                                                        looked.push_back(p);
                                                        return c.executables.count(p) > 0;
                                                    });
        EXPECT_EQ(found, c.found) << c.name;
        if (found.empty()) {
            EXPECT_EQ(looked, (std::vector<std::string>{"/opt/mr420/bin/Vimo.exe", "/home/u/Vimo.exe",
                                                        "/usr/local/bin/Vimo.exe", "/usr/bin/Vimo.exe"}));
        }
    }
}

TEST(ChartProgramSearch, ExecutableFileTest) {
    const std::string dir = test::makeTempDir("memvimo");
    writeFile(dir + "/run", "#!/bin/sh\n");
    ::chmod((dir + "/run").c_str(), 0755);
    writeFile(dir + "/plain", "data");
    ::chmod((dir + "/plain").c_str(), 0644);
    std::filesystem::create_directory(dir + "/sub");
    std::filesystem::create_symlink(dir + "/run", dir + "/link");
    const std::pair<std::string, bool> files[] = {{dir + "/run", true},   {dir + "/link", true},
                                                  {dir + "/plain", false},   // no execute bit for anybody
                                                  {dir + "/sub", false},   {dir + "/missing", false}, {"", false}};
    for (const auto& [path, executable] : files) EXPECT_EQ(isExecutableFile(path), executable) << path;
    EXPECT_EQ(findChartProgram("", dir, "", isExecutableFile), "");
    std::filesystem::copy_file(dir + "/run", dir + "/Vimo.exe");
    ::chmod((dir + "/Vimo.exe").c_str(), 0755);
    EXPECT_EQ(findChartProgram("/nonexistent", "/", dir, isExecutableFile), dir + "/Vimo.exe");
}

}  // namespace
}  // namespace mr420
