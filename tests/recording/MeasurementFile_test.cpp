#include "recording/MeasurementFile.h"

#include <gtest/gtest.h>

#include <cmath>

#include <clocale>
#include <fstream>
#include <iterator>

#include "recording/RecordFile.h"
#include "recording/RegistrationLog.h"
#include "support/TestSupport.h"

namespace mr420 {
namespace {

using mr420::test::readFile;

// As a reply has just brought it.
LiveReading pane(double v) {
    static std::uint64_t replies = 0;
    return {true, true, false, v, 3, false, ++replies, 0};
}

const LocalTime kTime{2007, 3, 14, 10, 0, 0};

TEST(MeasurementFile, ExampleRecordByteForByte) {
    const std::string text = "20070314100000$104,1234,30,21.46,1$103,5678,27,1013.2,1$";
    std::string encoded = encodeRecord(text);
    ASSERT_EQ(encoded.size(), text.size() + 3);
    const unsigned char begin[] = {0xCE, 0xD0, 0xD0, 0xC9, 0xD0, 0xCD};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(static_cast<unsigned char>(encoded[i]), begin[i]) << i;
    EXPECT_EQ(static_cast<unsigned char>(encoded[encoded.size() - 3]), 0xC0);
    EXPECT_EQ(static_cast<unsigned char>(encoded[encoded.size() - 2]), 0x48);
    EXPECT_EQ(static_cast<unsigned char>(encoded[encoded.size() - 1]), 0x34);
    std::string plain = negateBytes(encoded);
    EXPECT_EQ(plain, text + "@\xB8\xCC");
    EXPECT_EQ(plain.find('\0'), std::string::npos);

    // The same record built from the panes, under a locale with a decimal comma.
    bool polish = std::setlocale(LC_ALL, "pl_PL.UTF-8") != nullptr;
    LiveReadings panes{};
    panes[kChannelTemp1] = pane(21.46);
    panes[kChannelPressure] = pane(1013.2);
    ProbeSources src;
    src.mr411Absent = false;
    src.mr411SerialNumber = 1234;
    src.mr466Absent = false;
    src.mr466SerialNumber = 999;
    src.pressureAbsent = false;
    src.panelSerialNumber = 5678;
    src.temperatureTwoDecimals = true;
    EXPECT_EQ(liveRecordText(kTime, panes, src), text) << (polish ? "pl_PL" : "C");
    std::setlocale(LC_ALL, "C");
}

TEST(MeasurementFile, RecordWithoutValidChannel) {
    LiveReadings panes{};
    panes[kChannelTemp1] = {true, true, true, 20.0, 3, false};   // blinking
    panes[kChannelRh] = {true, false, false, 40.0, 7, false};    // no value
    ProbeSources src;
    std::string text = liveRecordText(kTime, panes, src);
    EXPECT_EQ(text, "20070314100000$");
    unsigned sum = 0;
    for (char c : text) sum += static_cast<unsigned char>(c);
    std::string expected = text + "@";
    expected.push_back(static_cast<char>(sum % 253 + 1));
    expected.push_back(static_cast<char>(sum % 251 + 1));
    EXPECT_EQ(negateBytes(encodeRecord(text)), expected);
}

TEST(MeasurementFile, LiveRecordOrderSourcesAndCutTenths) {
    bool polish = std::setlocale(LC_ALL, "pl_PL.UTF-8") != nullptr;
    LiveReadings panes{pane(21.56), pane(-5.37), pane(45.46), pane(1013.26), pane(9.27), pane(11419.6)};
    ProbeSources src;
    src.mr411Absent = true;
    src.mr466Absent = false;
    src.mr466SerialNumber = 77;
    src.pressureAbsent = false;
    src.panelSerialNumber = 5;
    EXPECT_EQ(liveRecordText(kTime, panes, src),
              "20070314100000$105,77,30,21.5,1$105,77,31,-5.3,1$103,5,27,1013.3,1$105,77,26,45.4,1$"
              "105,77,24,9.2,1$105,77,23,11420,1$")
        << (polish ? "pl_PL" : "C");
    // No probe: device 106 serial 0; pressure left out while it is absent.
    src.mr466Absent = true;
    src.pressureAbsent = true;
    src.temperatureTwoDecimals = true;
    panes[kChannelTemp2].hasValue = false;
    panes[kChannelRh].blinking = true;
    EXPECT_EQ(liveRecordText(kTime, panes, src),
              "20070314100000$106,0,30,21.56,1$106,0,24,9.2,1$106,0,23,11420,1$");
    std::setlocale(LC_ALL, "C");
}

TEST(MeasurementFile, NegativeTemperatureMinusIsInTheSum) {
    std::string text = "20240101000000$106,0,30,-5.3,1$";
    std::string plain = negateBytes(encodeRecord(text));
    unsigned sum = 0;
    for (char c : text) sum += static_cast<unsigned char>(c);
    EXPECT_EQ(static_cast<unsigned char>(plain[plain.size() - 2]), sum % 253 + 1);
    EXPECT_EQ(static_cast<unsigned char>(plain[plain.size() - 1]), sum % 251 + 1);
    // Without the minus the check bytes differ.
    EXPECT_NE(encodeRecord(text), encodeRecord("20240101000000$106,0,30,5.3,1$"));
}

TEST(MeasurementFile, MemoryRecordsOrderAndFormats) {
    std::setlocale(LC_ALL, "pl_PL.UTF-8");
    MemoryRecord a;
    a.time = {2023, 12, 31, 23, 59, 58};
    a.temperature1Present = true;
    a.temperature1 = 21.56;   // memory keeps the rounding format
    a.temperature2Present = true;
    a.temperature2Error = true;
    a.humidityPresent = true;
    a.humidity = 45.46;
    a.pressurePresent = true;
    a.pressure = 1001.04;
    a.dewPointComputed = true;
    a.dewPoint = 9.27;
    a.vapourComputed = true;
    a.vapourPpm = 1234.4;
    MemoryRecord b;
    b.time = {2024, 1, 1, 0, 0, 5};
    b.twoDecimals = true;
    b.temperature2Present = true;
    b.temperature2 = -0.5;
    b.pressurePresent = true;
    b.pressureError = true;
    EXPECT_EQ(memoryRecordText(a, 1234),
              "20231231235958$106,1234,30,21.6,1$106,1234,26,45.5,1$106,1234,27,1001.0,1$"
              "106,1234,24,9.3,1$106,1234,23,1234,1$");
    EXPECT_EQ(memoryRecordText(b, 1234), "20240101000005$106,1234,31,-0.50,1$");
    // Computed values that are not meaningful (NaN) are left out of the record.
    MemoryRecord c = a;
    c.dewPoint = std::nan("");
    c.vapourPpm = std::nan("");
    EXPECT_EQ(memoryRecordText(c, 1234), "20231231235958$106,1234,30,21.6,1$106,1234,26,45.5,1$106,1234,27,1001.0,1$");

    std::string dir = test::makeTempDir("memqvg");
    RecordFile file;
    ASSERT_EQ(file.open(dir + "/m.qvg"), RecordFile::OpenResult::Created);
    EXPECT_TRUE(writeMemoryRecords(file, {a, b}, 1234));
    file.close();
    EXPECT_EQ(readFile(dir + "/m.qvg"), encodeRecord(memoryRecordText(a, 1234)) + encodeRecord(memoryRecordText(b, 1234)));
    std::setlocale(LC_ALL, "C");
}

TEST(MeasurementFile, LiveRegistrationAppendsEncodedRecords) {
    std::string dir = test::makeTempDir("liveqvg");
    std::string path = dir + "/live.qvg";
    {
        std::ofstream(path, std::ios::binary) << "XY";
    }
    RegistrationLog log;
    bool asked = false;
    ASSERT_TRUE(log.openBinaryFromDialog(path, [&] {
        asked = true;
        return true;
    }));
    EXPECT_TRUE(asked);
    LiveReadings panes{};
    panes[kChannelWb] = pane(100);
    ProbeSources src;
    log.writeBinaryRecord(kTime, panes, src);
    EXPECT_FALSE(log.lastWriteFailed());
    EXPECT_EQ(readFile(path), "XY" + encodeRecord("20070314100000$106,0,23,100,1$"));
    ASSERT_TRUE(log.openBinaryFromDialog(path, [] { return false; }));
    EXPECT_EQ(readFile(path), "");
}

}  // namespace
}  // namespace mr420
