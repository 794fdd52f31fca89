#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <fstream>
#include <sstream>

#include "chart/ChartFiles.h"
#include "recording/MeasurementFile.h"
#include "recording/MemorySave.h"
#include "recording/RecordFile.h"
#include "recording/RegistrationLog.h"
#include "support/TestSupport.h"

namespace mr420 {
namespace {

using mr420::test::readFile;
using mr420::test::LocaleGuard;

std::vector<double> values(const ChartData& d, int channel) {
    std::vector<double> out;
    for (const ChartPoint& p : d.series[static_cast<std::size_t>(channel)]) out.push_back(p.value);
    return out;
}

MATCHER_P(Readings, expected, "") {
    if (arg.size() != expected.size()) return false;
    for (std::size_t i = 0; i < arg.size(); ++i) {
        if (std::isnan(expected[i]) != std::isnan(arg[i])) return false;
        if (!std::isnan(expected[i]) && std::abs(expected[i] - arg[i]) > 1e-9) return false;
    }
    return true;
}

const double N = kNoReading;

// ---- dates ---------------------------------------------------------------

struct DateCase {
    const char* text;
    LocalTime expected;
};

class DateTexts : public ::testing::TestWithParam<DateCase> {};

TEST_P(DateTexts, AreReadInEveryFormTheProgramWrites) {
    const auto t = parseDateTimeText(GetParam().text);
    ASSERT_TRUE(t.has_value()) << GetParam().text;
    EXPECT_EQ(*t, GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, DateTexts,
    ::testing::Values(DateCase{"2007.03.14 10:00:05", {2007, 3, 14, 10, 0, 5}},
                      DateCase{"2007-03-14 10:00", {2007, 3, 14, 10, 0, 0}},
                      DateCase{"Wed Mar 14 10:00:05 2007", {2007, 3, 14, 10, 0, 5}},
                      DateCase{"śro, 14 mar 2007, 10:00:05", {2007, 3, 14, 10, 0, 5}},
                      DateCase{"pią, 14 paź 2011, 23:59:59", {2011, 10, 14, 23, 59, 59}},
                      DateCase{"Wed 14 Mar 2007 02:30:00 PM CET", {2007, 3, 14, 14, 30, 0}},
                      DateCase{"Wed 14 Mar 2007 12:10:00 AM CET", {2007, 3, 14, 0, 10, 0}},
                      DateCase{"14.03.2007 10:00:05", {2007, 3, 14, 10, 0, 5}},
                      DateCase{"03/14/07 10:00:05", {2007, 3, 14, 10, 0, 5}},
                      DateCase{"Mi 14 Mär 2007 10:00:05 CET", {2007, 3, 14, 10, 0, 5}},
                      DateCase{"14 September 2007 10:00:05", {2007, 9, 14, 10, 0, 5}}));

TEST(DateTexts, RejectTextsThatAreNoDate) {
    for (const char* text : {"", "Data i Godzina", "Panel MR-420 nr 1234", "2007.13.14 10:00:00",
                             "2007.02.30 10:00:00", "2007.03.14", "10:00:00", "1 2 3 4 10:00", "2007.03.14 25:00:00",
                             "14 pa\xC5\xBB 2011 10:00", "14 ma 2011 10:00"})
        EXPECT_FALSE(parseDateTimeText(text).has_value()) << text;
}

TEST(ReadingTexts, TakeEitherDecimalSeparator) {
    EXPECT_EQ(parseReadingText("21,46"), 21.46);
    EXPECT_EQ(parseReadingText("-5.3"), -5.3);
    EXPECT_EQ(parseReadingText(" 1013.2 "), 1013.2);
    EXPECT_FALSE(parseReadingText("???").has_value());
    EXPECT_FALSE(parseReadingText("").has_value());
    EXPECT_FALSE(parseReadingText("12a").has_value());
    EXPECT_FALSE(parseReadingText("1,2,3").has_value());
}

TEST(ColumnTitles, NameTheirChannelsInBothLanguages) {
    const std::pair<const char*, int> cases[] = {
        {"Temperatura1 °C", kChannelTemp1}, {"Temperature2 °C", kChannelTemp2}, {"Ciśnienie hPa", kChannelPressure},
        {"Humidity %", kChannelRh},         {"Punkt rosy °C", kChannelDp},       {"Zawartość pary wodnej ppm", kChannelWb},
        {"Temp. 1", kChannelTemp1},         {"Temp. 2", kChannelTemp2},          {"Zaw. pary", kChannelWb},
        {"Dew point", kChannelDp},          {"Uwagi", -1},                        {"Data i czas", -1}};
    for (const auto& [title, channel] : cases) EXPECT_EQ(channelOfColumnTitle(title), channel) << title;
}

// ---- round trips through the program's own writers ------------------------

// Each call as a new reply has just brought it.
LiveReadings livePanes(double t1, double rh, double p, bool t1Valid = true) {
    static std::uint64_t reply = 0;
    ++reply;
    LiveReadings r{};
    r[kChannelTemp1] = {true, t1Valid, false, t1, 3, false, reply, 0};
    r[kChannelRh] = {true, true, false, rh, 7, false, reply, 0};
    r[kChannelPressure] = {true, true, false, p, 5, false, reply, 0};
    r[kChannelDp] = {true, true, false, 9.1, 3, false, reply, 0};
    r[kChannelWb] = {true, true, false, 11420, 8, false, reply, 0};
    return r;
}

struct RegistrationCase {
    const char* name;
    const char* locale;
    int separator;
};

class RegistrationRoundTrip : public ::testing::TestWithParam<RegistrationCase> {};

TEST_P(RegistrationRoundTrip, ReadsBackWhatTheRegistrationWrote) {
    const RegistrationCase& c = GetParam();
    LocaleGuard locale(c.locale);
    ASSERT_TRUE(locale.ok());
    const std::string path = test::makeTempDir(std::string("chartreg-") + c.name) + "/rejestr.csv";
    RegistrationSettings s;
    s.fileName = path;
    s.sepFormat = c.separator;
    s.checkComment = true;
    s.checkCommentSn = true;
    RegistrationLog log;
    ASSERT_TRUE(log.openTextFromDialog(s, "Pomiar w hali\nsekcja B", 1234, [] { return true; }));
    log.writeTextRecord(s, {2007, 3, 14, 10, 0, 0}, livePanes(21.46, 45.3, 1013.2), false);
    log.writeTextRecord(s, {2007, 3, 14, 10, 1, 0}, livePanes(21.56, 45.4, 1013.3, false), false);
    s.fileChannels[kChannelPressure] = false;   // a new header line in the middle
    log.writeTextRecord(s, {2007, 3, 14, 10, 2, 0}, livePanes(-5.37, 45.5, 1013.4), false);
    log.closeText();

    const ChartFileResult r = readChartFile(path);
    EXPECT_EQ(r.rows, 3);
    EXPECT_EQ(r.damaged(), 0);
    EXPECT_THAT(values(r.data, kChannelTemp1), Readings(std::vector<double>{21.4, N, -5.3}));
    EXPECT_THAT(values(r.data, kChannelRh), Readings(std::vector<double>{45.3, 45.4, 45.5}));
    EXPECT_THAT(values(r.data, kChannelPressure), Readings(std::vector<double>{1013.2, 1013.3, N}));
    EXPECT_THAT(values(r.data, kChannelWb), Readings(std::vector<double>{11420, 11420, 11420}));
    // The two comment lines and the panel number were passed over as expected.
    ASSERT_EQ(r.skipped.size(), 3u);
    EXPECT_EQ(r.skipped[2].reason, "panel serial number");
    EXPECT_TRUE(r.skipped[0].expected && r.skipped[1].expected && r.skipped[2].expected);
    EXPECT_EQ(r.data.firstTime(), msecsOfLocalTime({2007, 3, 14, 10, 0, 0}));
}

INSTANTIATE_TEST_SUITE_P(Separators, RegistrationRoundTrip,
                         ::testing::Values(RegistrationCase{"tab_pl", "pl_PL.UTF-8", 0},
                                           RegistrationCase{"comma_pl", "pl_PL.UTF-8", 1},
                                           RegistrationCase{"semicolon_pl", "pl_PL.UTF-8", 2},
                                           RegistrationCase{"comma_c", "C", 1}),
                         [](const auto& info) { return std::string(info.param.name); });

MemoryRecord memoryRecord(int minute, double t1, bool withPressure) {
    MemoryRecord r;
    r.time = {2007, 3, 14, 10, minute, 0};
    r.temperature1Present = true;
    r.temperature1 = t1;
    r.humidityPresent = true;
    r.humidity = 45.3;
    r.pressurePresent = withPressure;
    r.pressure = 1013.2;
    r.dewPointComputed = true;
    r.dewPoint = 9.1;
    return r;
}

std::vector<MemoryRecord> memoryRecords() {
    std::vector<MemoryRecord> records{memoryRecord(0, 21.4, true), memoryRecord(1, 21.5, false),
                                      memoryRecord(2, 21.6, true), memoryRecord(3, -2.5, true)};
    records[2].humidityError = true;
    records[3].dewPoint = N;   // not meaningful: "???" in the text, left out of the .qvg
    return records;
}

struct MemoryCase {
    const char* name;
    const char* locale;
    const char* file;
    int separator;
};

class MemoryRoundTrip : public ::testing::TestWithParam<MemoryCase> {};

TEST_P(MemoryRoundTrip, ReadsBackWhatTheMemorySaveWrote) {
    const MemoryCase& c = GetParam();
    LocaleGuard locale(c.locale);
    ASSERT_TRUE(locale.ok());
    const std::string path = test::makeTempDir(std::string("chartmem-") + c.name) + "/" + c.file;
    MemorySaveOptions options;
    options.separator = c.separator;
    options.addComment = true;
    options.comment = "Hala B";
    options.addSerialNumber = true;
    options.panelSerialNumber = 77;
    ASSERT_TRUE(saveMemoryFile(path, memoryRecords(), options, [] { return false; }).saved());

    const ChartFileResult r = readChartFile(path);
    EXPECT_EQ(r.rows, 4);
    EXPECT_EQ(r.damaged(), 0);
    EXPECT_EQ(r.binary, isMeasurementFileName(path));
    EXPECT_THAT(values(r.data, kChannelTemp1), Readings(std::vector<double>{21.4, 21.5, 21.6, -2.5}));
    EXPECT_THAT(values(r.data, kChannelRh), Readings(std::vector<double>{45.3, 45.3, N, 45.3}));
    EXPECT_THAT(values(r.data, kChannelPressure), Readings(std::vector<double>{1013.2, N, 1013.2, 1013.2}));
    EXPECT_THAT(values(r.data, kChannelDp), Readings(std::vector<double>{9.1, 9.1, 9.1, N}));
    EXPECT_EQ(r.data.lastTime(), msecsOfLocalTime({2007, 3, 14, 10, 3, 0}));
}

INSTANTIATE_TEST_SUITE_P(Files, MemoryRoundTrip,
                         ::testing::Values(MemoryCase{"tab_pl", "pl_PL.UTF-8", "pamiec.txt", 0},
                                           MemoryCase{"comma_pl", "pl_PL.UTF-8", "pamiec.csv", 1},
                                           MemoryCase{"semicolon_c", "C", "pamiec.csv", 2},
                                           MemoryCase{"qvg_pl", "pl_PL.UTF-8", "pamiec.qvg", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(QvgRoundTrip, ReadsLiveRecords) {
    ProbeSources sources;
    sources.mr411Absent = false;
    sources.mr411SerialNumber = 1234;
    sources.pressureAbsent = false;
    sources.panelSerialNumber = 5678;
    std::string file = encodeRecord(liveRecordText({2007, 3, 14, 10, 0, 0}, livePanes(21.46, 45.3, 1013.2), sources));
    file += encodeRecord(liveRecordText({2007, 3, 14, 10, 1, 0}, livePanes(21.5, 45.3, 1013.2, false), sources));
    const ChartFileResult r = readChartBytes(file);
    EXPECT_TRUE(r.binary);
    EXPECT_EQ(r.rows, 2);
    EXPECT_TRUE(r.skipped.empty());
    EXPECT_THAT(values(r.data, kChannelTemp1), Readings(std::vector<double>{21.4, N}));
    EXPECT_THAT(values(r.data, kChannelPressure), Readings(std::vector<double>{1013.2, 1013.2}));
}

// ---- hand-written files ---------------------------------------------------

TEST(HandWritten, ByteOrderMarkAndUtf8Titles) {
    const ChartFileResult r = readChartText("\xEF\xBB\xBF" "Data i Godzina;Wilgotność %\r\n2007.03.14 10:00:00;45,3\r\n");
    EXPECT_EQ(r.rows, 1);
    EXPECT_THAT(values(r.data, kChannelRh), Readings(std::vector<double>{45.3}));
}

TEST(HandWritten, ExtraColumnsAreLeftOutAndNamed) {
    const ChartFileResult r = readChartText(
        "Data i Godzina\tUwagi\tTemperatura1 \xB0" "C\r\n"
        "2007.03.14 10:00:00\tok\t21,5\r\n"
        "2007.03.14 10:01:00\tok\t21,6\tnadmiar\r\n");
    EXPECT_EQ(r.rows, 2);
    EXPECT_THAT(values(r.data, kChannelTemp1), Readings(std::vector<double>{21.5, 21.6}));
    ASSERT_EQ(r.damaged(), 1);
    EXPECT_EQ(r.skipped[0].number, 3);
}

TEST(HandWritten, EmptyLinesAndAnotherSeparatorAfterANewHeader) {
    const ChartFileResult r = readChartText(
        "Data i Godzina,Temperatura1 \xB0" "C\n"
        "2007.03.14 10:00:00,\"21,5\"\n"
        "\n"
        "Data i Godzina;Temperatura1 \xB0" "C\n"
        "2007.03.14 10:01:00;21,6\n");
    EXPECT_EQ(r.rows, 2);
    EXPECT_THAT(values(r.data, kChannelTemp1), Readings(std::vector<double>{21.5, 21.6}));
    ASSERT_EQ(r.skipped.size(), 1u);
    EXPECT_EQ(r.skipped[0].reason, "empty line");
    EXPECT_TRUE(r.skipped[0].expected);
}

TEST(HandWritten, QuotedFieldsKeepSeparatorsQuotesAndWhatFollows) {
    const ChartFileResult r = readChartText(
        "\"Data, i Godzina\",\"Temperatura1 \"\"A\"\", \xB0" "C\"\n"
        "\"2007.03.14 10:00:00\",\"21,5\"\n"
        "2007.03.14 10:01:00,\"2\"\"1\"x\n");
    EXPECT_EQ(r.rows, 2);
    EXPECT_THAT(values(r.data, kChannelTemp1), Readings(std::vector<double>{21.5, N}));
    ASSERT_EQ(r.skipped.size(), 1u);
    EXPECT_EQ(r.skipped[0].reason, "the value \"2\"1x\" is not a number; read as no value");
}

TEST(HandWritten, AForeignFileNamesWhatItCouldNotRead) {
    const ChartFileResult r = readChartText(
        "2007.03.14 09:59:00\t1\n"
        "Data i Godzina\tTemperatura1 \xB0" "C\n"
        "yesterday\t21,5\n"
        "2007.03.14 10:00:00\tabc\n"
        "2007.03.14 10:01:00\t22\n");
    EXPECT_EQ(r.rows, 2);
    ASSERT_EQ(r.damaged(), 3);
    EXPECT_EQ(r.skipped[0].reason, "a reading before any header line");
    EXPECT_EQ(r.skipped[1].reason, "the date \"yesterday\" cannot be read");
    EXPECT_EQ(r.skipped[2].number, 4);
    EXPECT_THAT(values(r.data, kChannelTemp1), Readings(std::vector<double>{N, 22}));
}

std::string qvgFile() {
    std::string file;
    for (int minute = 0; minute < 3; ++minute) {
        char text[64];
        std::snprintf(text, sizeof text, "200703141%d0000$106,7,30,2%d.5,1$", minute, minute);
        file += encodeRecord(text);
    }
    return file;
}

TEST(HandWritten, ATruncatedQvgKeepsItsWholeRecords) {
    std::string file = qvgFile();
    file.resize(file.size() - 2);
    const ChartFileResult r = readChartQvg(file);
    EXPECT_EQ(r.rows, 2);
    ASSERT_EQ(r.skipped.size(), 1u);
    EXPECT_EQ(r.skipped[0].number, 3);
    EXPECT_EQ(r.skipped[0].reason, "record cut short at the end of the file");
}

TEST(HandWritten, ADamagedQvgRecordIsSkippedAndCounted) {
    std::string file = qvgFile();
    const std::size_t recordSize = file.size() / 3;
    file[recordSize + 20] = static_cast<char>(file[recordSize + 20] ^ 0x04);   // a value digit of record 2
    const ChartFileResult r = readChartQvg(file);
    EXPECT_EQ(r.rows, 2);
    ASSERT_EQ(r.damaged(), 1);
    EXPECT_EQ(r.skipped[0].number, 2);
    EXPECT_EQ(r.skipped[0].reason, "damaged record: check bytes do not match");
    EXPECT_THAT(values(r.data, kChannelTemp1), Readings(std::vector<double>{20.5, 22.5}));
}

TEST(HandWritten, AFileWithNothingToDrawSaysWhy) {
    const std::string dir = test::makeTempDir("chartreasons");
    const std::string header = "Data i Godzina\tTemperatura1 \xB0" "C\r\n";
    struct Case {
        const char* name;
        std::string bytes;   // none: the file is not made
        ChartFileProblem problem;
    } const cases[] = {
        {"missing.csv", {}, ChartFileProblem::NoSuchFile},
        {"words.csv", "Ala ma kota\nand a dog\n", ChartFileProblem::NotAChartFile},
        {"picture.csv", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), ChartFileProblem::NotAChartFile},
        {"empty.csv", "", ChartFileProblem::NoReadings},
        {"header.txt", header, ChartFileProblem::NoReadings},
        {"words.qvg", "not a measurement file", ChartFileProblem::NotAChartFile},
        {"one.txt", header + "2007.03.14 10:00:00\t20,5\r\n", ChartFileProblem::None},
    };
    for (const Case& c : cases) {
        const std::string path = dir + "/" + c.name;
        if (c.problem != ChartFileProblem::NoSuchFile) std::ofstream(path, std::ios::binary) << c.bytes;
        const ChartFileResult r = readChartFile(path);
        EXPECT_EQ(r.problem, c.problem) << c.name;
        EXPECT_EQ(r.rows > 0, c.problem == ChartFileProblem::None) << c.name;
    }
    const ChartFileResult folder = readChartFile(dir);
    EXPECT_EQ(folder.problem, ChartFileProblem::CannotOpen);
    ASSERT_EQ(folder.skipped.size(), 1u);
    EXPECT_EQ(folder.skipped[0].number, 0);
}

TEST(HandWritten, PiecesSplitAnywhereReadAsTheWhole) {
    const std::string qvg = qvgFile();
    const std::string text = "Data i Godzina\tTemperatura1 \xB0" "C\r\n2007.03.14 10:00:00\t20,5\r\nxx\r\n2007.03.14 10:01:00\t21\r\n";
    for (const std::string* file : {&qvg, &text})
        for (std::size_t cut = 1; cut < file->size(); cut += 7) {
            std::vector<double> got;
            ChartRowReader reader(file == &qvg, [&got](const ChartRow& r, std::uint64_t) { got.push_back(r.values[kChannelTemp1]); });
            reader.feed(std::string_view(*file).substr(0, cut));
            reader.feed(std::string_view(*file).substr(cut));
            reader.finish();
            EXPECT_EQ(got, values(readChartBytes(*file).data, kChannelTemp1)) << cut;
            EXPECT_EQ(reader.result().skipped.size(), readChartBytes(*file).skipped.size()) << cut;
        }
}

TEST(HandWritten, ALongFileComesBackPerColumnAndASpanInFull) {
    const std::string path = test::makeTempDir("chartlong") + "/long.txt";
    {
        std::ofstream out(path, std::ios::binary);
        out << "Data i Godzina\tTemperatura1 \xB0" "C\r\n";
        for (int m = 0; m < 3000; ++m)
            out << "2007.03." << 10 + m / 1440 << ' ' << m / 60 % 24 << ':' << m % 60 << ":00\t" << (m == 1234 ? 99 : m % 10) << "\r\n";
    }
    ChartReadOptions options;
    options.fullRows = 500;
    options.columns = 100;
    const ChartFileResult r = readChartFile(path, options);
    EXPECT_TRUE(r.reduced);
    EXPECT_EQ(r.rows, 3000);
    const std::vector<double> v = values(r.data, kChannelTemp1);
    EXPECT_LE(v.size(), 4u * 200);
    EXPECT_EQ(*std::max_element(v.begin(), v.end()), 99);   // the highest value of its column stays
    const std::int64_t t0 = r.data.firstTime();
    const ChartFileResult span = readChartSpan(r.index, t0 + 1200 * 60'000LL, t0 + 1299 * 60'000LL, 100);
    EXPECT_FALSE(span.reduced);
    EXPECT_EQ(span.rows, 3000 - 1024);   // from the mark before the span on
    EXPECT_EQ(values(span.data, kChannelTemp1).size(), 100u);
}

}  // namespace
}  // namespace mr420
