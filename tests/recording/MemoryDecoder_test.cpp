#include "recording/MemoryDecoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <initializer_list>
#include <limits>
#include <vector>

#include "base/PanelCalendar.h"
#include "sim/MemoryImageBuilder.h"
#include "sim/PanelModel.h"
#include "sim/Scenarios.h"

namespace mr420 {
namespace {

using Bytes = std::vector<std::uint8_t>;

// One 256-byte block: the given bytes from the status byte on, then 0xFF.
Bytes block(std::initializer_list<std::uint8_t> bytes) {
    Bytes b(bytes);
    b.resize(256, 0xFF);
    return b;
}

Bytes blocks(std::initializer_list<Bytes> parts) {
    Bytes image;
    for (const Bytes& p : parts) image.insert(image.end(), p.begin(), p.end());
    return image;
}

DecodedMemory decode(const Bytes& image) { return decodeMemoryImage(image.data(), image.size()); }

LocalTime at(int y, int mo, int d, int h, int mi, int s) { return LocalTime{y, mo, d, h, mi, s}; }

// An independent calendar for dates before March 2100, where the panel's
// calendar and the Gregorian one agree.
LocalTime gregorian(std::uint32_t panelSeconds) {
    const std::time_t t = static_cast<std::time_t>(946684800) + panelSeconds;   // 2000-01-01 UTC
    std::tm tm{};
    gmtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

// ---------------------------------------------------------------------------
// Images written byte by byte from the record layout. Record bits are shown
// as marker | error value | error value ...

// Header of 2024-05-17 08:30:00 (769249800 s = 0x2DD9D208), interval 15 minutes.
#define HEADER_2024_05_17(flags) flags, 0x2D, 0xD9, 0xD2, 0x08, 0x00, 0x0F

struct CodingCase {
    const char* name;
    std::uint8_t flags;
    Bytes record;
    bool temperature1;
    double t1;
    double t2;
    bool twoDecimals;
};

TEST(MemoryDecoderByHand, TheFourTemperatureCodings) {
    const CodingCase cases[] = {
        // flags 0xB9: T2 present, no pressure, no humidity, T1 present, fine only.
        // 0 | 0 00000000000000 (0) | 0 01011101110000 (6000): 14 bits unsigned - 4000, hundredths.
        {"fine", 0xB9, {0x00, 0x00, 0x2E, 0xE0}, true, -40.00, 20.00, true},
        // 0xBB wide and fine: 0 | 0 11111011011010111 (-2345) | 0 00000010011010010 (1234).
        {"wide and fine", 0xBB, {0x3E, 0xDA, 0xE0, 0x26, 0x90}, true, -23.45, 12.34, true},
        // 0xBA wide only: 0 | 0 11111111111111 (-1) | 0 01010101111100 (5500), tenths.
        {"wide", 0xBA, {0x3F, 0xFF, 0x2A, 0xF8}, true, -0.1, 550.0, false},
        // 0xB8 neither: 0 | 0 11111110100 (-12) | 0 01111111111 (1023), tenths.
        {"neither", 0xB8, {0x3F, 0xA1, 0xFF, 0x80}, true, -1.2, 102.3, false},
        // 0xBF: no T1, so the coding bits do not count: T2 in 11 bits,
        // 0 | 0 10000000000 (-1024).
        {"no temperature 1", 0xBF, {0x20, 0x00}, false, 0.0, -102.4, false},
    };
    for (const CodingCase& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes content = {0x00, HEADER_2024_05_17(c.flags)};
        content.insert(content.end(), c.record.begin(), c.record.end());
        Bytes image = content;
        image.resize(256, 0xFF);
        const DecodedMemory d = decode(image);
        ASSERT_EQ(d.records.size(), 1u);
        const MemoryRecord& r = d.records[0];
        EXPECT_EQ(r.temperature1Present, c.temperature1);
        EXPECT_TRUE(r.temperature2Present);
        EXPECT_FALSE(r.humidityPresent);
        EXPECT_FALSE(r.pressurePresent);
        EXPECT_DOUBLE_EQ(r.temperature1, c.t1);
        EXPECT_DOUBLE_EQ(r.temperature2, c.t2);
        EXPECT_EQ(r.twoDecimals, c.twoDecimals);
        EXPECT_EQ(r.time, at(2024, 5, 17, 8, 30, 0));
        EXPECT_EQ(d.usedBytes, static_cast<int>(content.size()));   // status, header, record
    }
}

TEST(MemoryDecoderByHand, ErrorBitsReplaceTheValueAndTheValueBitsAreSkipped) {
    const Bytes image = block({
        0x00, HEADER_2024_05_17(0x80),   // T1, humidity, pressure; 0.1 degC coding
        // 0 | 0 0111001000 (45.6) | 0 10011110010100 (1013.2) | 0 00011010111 (21.5)
        0x1C, 0x84, 0xF2, 0x81, 0xAE,
        // humidity in error with its value bits all 1: 0 | 1 1111111111 | 0 10011110010100 | 0 00011010111
        0x7F, 0xF4, 0xF2, 0x81, 0xAE,
        // pressure in error, value 1: 0 | 0 0111001000 | 1 00000000000001 | 0 00011010111
        0x1C, 0x88, 0x00, 0x21, 0xAE,
        // hundredths from here: flags 0xB9 (T1 and T2, fine only)
        0xB9, 0x2D, 0xD9, 0xD2, 0x08, 0x00, 0x0F,
        // T1 in error with all value bits 1, T2 in error with value 5:
        // 0 | 1 11111111111111 | 1 00000000000101
        0x7F, 0xFF, 0x80, 0x0A,
    });
    const DecodedMemory d = decode(image);
    ASSERT_EQ(d.records.size(), 4u);
    const MemoryRecord& ok = d.records[0];
    EXPECT_FALSE(ok.humidityError || ok.pressureError || ok.temperature1Error || ok.temperature2Error);
    EXPECT_DOUBLE_EQ(ok.humidity, 45.6);
    EXPECT_DOUBLE_EQ(ok.pressure, 1013.2);
    EXPECT_DOUBLE_EQ(ok.temperature1, 21.5);
    EXPECT_FALSE(ok.temperature2Present);

    const MemoryRecord& h = d.records[1];
    EXPECT_TRUE(h.humidityError);
    EXPECT_EQ(h.humidity, 0.0);
    EXPECT_FALSE(h.pressureError);
    EXPECT_DOUBLE_EQ(h.pressure, 1013.2);
    EXPECT_DOUBLE_EQ(h.temperature1, 21.5);

    const MemoryRecord& p = d.records[2];
    EXPECT_TRUE(p.pressureError);
    EXPECT_EQ(p.pressure, 0.0);
    EXPECT_DOUBLE_EQ(p.humidity, 45.6);
    EXPECT_DOUBLE_EQ(p.temperature1, 21.5);
    EXPECT_FALSE(p.temperature1Error);

    // The header repeats the seconds of the one before: the time goes on.
    const MemoryRecord& t = d.records[3];
    EXPECT_TRUE(t.temperature1Error);
    EXPECT_TRUE(t.temperature2Error);
    EXPECT_EQ(t.temperature1, 0.0);
    EXPECT_EQ(t.temperature2, 0.0);
    EXPECT_TRUE(t.twoDecimals);
    EXPECT_EQ(t.time, at(2024, 5, 17, 9, 15, 0));
    EXPECT_EQ(d.usedBytes, 1 + 7 + 15 + 7 + 4);
}

TEST(MemoryDecoderByHand, RepeatedHeaderContinuesTheTimeLineAndKeepsTheInterval) {
    const Bytes image = block({
        0x00,
        0x9C, 0x2D, 0xD9, 0xD2, 0x08, 0x00, 0x0F,   // no channel at all: one-byte records; 15 min
        0x00,                                       // 08:30
        0x00,                                       // 08:45
        0x9C, 0x2D, 0xD9, 0xD2, 0x08, 0x03, 0xE8,   // same seconds, interval 1000 is not read
        0x00,                                       // 09:00
        0x00,                                       // 09:15
        0x9C, 0x2D, 0xD9, 0xD2, 0x44, 0x00, 0x01,   // 60 s later: a new start, 1 minute
        0x00,                                       // 08:31:00
        0x00,                                       // 08:32:00
    });
    const DecodedMemory d = decode(image);
    ASSERT_EQ(d.records.size(), 6u);
    // Time order: the restart falls between the first two records.
    const LocalTime expected[] = {at(2024, 5, 17, 8, 30, 0), at(2024, 5, 17, 8, 31, 0), at(2024, 5, 17, 8, 32, 0),
                                  at(2024, 5, 17, 8, 45, 0), at(2024, 5, 17, 9, 0, 0),  at(2024, 5, 17, 9, 15, 0)};
    for (std::size_t k = 0; k < 6; ++k) EXPECT_EQ(d.records[k].time, expected[k]) << k;
    EXPECT_EQ(d.usedBytes, 1 + 3 * 7 + 6);
}

struct CarryCase {
    const char* name;
    Bytes header;   // flags 0x9C, seconds, interval
    LocalTime first;
    LocalTime second;
};

TEST(MemoryDecoderByHand, MinutesCarryIntoHoursDaysMonthsAndYears) {
    const CarryCase cases[] = {
        // 2024-02-29 23:55:30 (762566130 s), 10 minutes: a leap day, into March.
        {"leap year", {0x9C, 0x2D, 0x73, 0xD5, 0xF2, 0x00, 0x0A}, at(2024, 2, 29, 23, 55, 30), at(2024, 3, 1, 0, 5, 30)},
        // 2023-02-28 23:55:30 (730943730 s), 10 minutes: no leap day.
        {"common year", {0x9C, 0x2B, 0x91, 0x50, 0xF2, 0x00, 0x0A}, at(2023, 2, 28, 23, 55, 30), at(2023, 3, 1, 0, 5, 30)},
        // 2023-12-31 23:59:59 (757382399 s), 1 minute: the seconds stay.
        {"new year", {0x9C, 0x2D, 0x24, 0xBC, 0xFF, 0x00, 0x01}, at(2023, 12, 31, 23, 59, 59), at(2024, 1, 1, 0, 0, 59)},
        // 2100-02-28 23:30:00 (3160855800 s), 60 minutes: every fourth year is a leap year, 2100 too.
        {"2100", {0x9C, 0xBC, 0x66, 0xD4, 0xF8, 0x00, 0x3C}, at(2100, 2, 28, 23, 30, 0), at(2100, 2, 29, 0, 30, 0)},
        // The largest seconds, 0xFFFFFFFF, with 2 days 1 hour 31 minutes (2971 = 0x0B9B).
        {"largest", {0x9C, 0xFF, 0xFF, 0xFF, 0xFF, 0x0B, 0x9B}, at(2136, 2, 6, 6, 28, 15), at(2136, 2, 8, 7, 59, 15)},
        // Seconds 0, the largest interval (65535 minutes = 45 d 12 h 15 min).
        {"epoch", {0x9C, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF}, at(2000, 1, 1, 0, 0, 0), at(2000, 2, 15, 12, 15, 0)},
    };
    for (const CarryCase& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes image = {0x00};
        image.insert(image.end(), c.header.begin(), c.header.end());
        image.push_back(0x00);
        image.push_back(0x00);
        image.resize(256, 0xFF);
        const DecodedMemory d = decode(image);
        ASSERT_EQ(d.records.size(), 2u);
        EXPECT_EQ(d.records[0].time, c.first);
        EXPECT_EQ(d.records[1].time, c.second);
    }
}

TEST(MemoryDecoderByHand, ErasedBlocksAreSkippedWherever) {
    const Bytes record = {0x9C, 0x2D, 0xD9, 0xD2, 0x08, 0x00, 0x0F, 0x00};
    const Bytes erased(256, 0xFF);
    // An erased block 0: its status byte is not counted.
    Bytes image = blocks({erased, block({0x00, 0x9C, 0x2D, 0xD9, 0xD2, 0x08, 0x00, 0x0F, 0x00, 0x00}), erased, erased,
                          block({0x00, 0x00})});
    DecodedMemory d = decode(image);
    ASSERT_EQ(d.records.size(), 3u);
    EXPECT_EQ(d.records[2].time, at(2024, 5, 17, 9, 0, 0));   // the time line goes on over erased blocks
    EXPECT_EQ(d.usedBytes, 9 + 1);

    // Only the status byte says erased: the rest of such a block is never read.
    Bytes marked = blocks({block({0x00, 0x9C, 0x2D, 0xD9, 0xD2, 0x08, 0x00, 0x0F, 0x00}), block({0xFF, 0x00, 0x00, 0x00})});
    d = decode(marked);
    EXPECT_EQ(d.records.size(), 1u);
    EXPECT_EQ(d.usedBytes, 1 + 8);

    // Nothing but erased blocks.
    d = decode(Bytes(4 * 256, 0xFF));
    EXPECT_TRUE(d.records.empty());
    EXPECT_EQ(d.usedBytes, 0);
}

TEST(MemoryDecoderByHand, FullBlocksCountWhole) {
    const Bytes used = block({0x00, 0x9C, 0x2D, 0xD9, 0xD2, 0x08, 0x00, 0x0F, 0x00, 0x00});
    const Bytes full = block({0x01, 0x9C, 0x2D, 0xD9, 0xD2, 0x08, 0x00, 0x0F, 0x00, 0x00});
    struct Case {
        const char* name;
        Bytes image;
        int usedBytes;
        std::size_t records;
    } cases[] = {
        {"block 0 in use", used, 1 + 9, 2},
        {"block 0 full", full, 1 + 256, 2},   // the status byte of block 0 and the whole block
        {"in use, then full", blocks({used, full}), 1 + 9 + 256, 4},
        {"full, erased, full", blocks({full, Bytes(256, 0xFF), full}), 1 + 256 + 256, 4},
        {"full, cut short", Bytes(full.begin(), full.begin() + 100), 1 + 100, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedMemory d = decode(c.image);
        EXPECT_EQ(d.usedBytes, c.usedBytes);
        EXPECT_EQ(d.records.size(), c.records);
    }
}

TEST(MemoryDecoderByHand, RecordsBeforeTheFirstHeaderArePassedOverWithTheirBlock) {
    const Bytes image = blocks({
        // A record and a header in block 0 with no header before them: the
        // record's length is unknown, so the block yields nothing.
        block({0x00, 0x1C, 0x84, 0xF2, 0x81, 0xAE, HEADER_2024_05_17(0x80), 0x1C, 0x84, 0xF2, 0x81, 0xAE}),
        block({0x00, HEADER_2024_05_17(0x80), 0x1C, 0x84, 0xF2, 0x81, 0xAE}),
    });
    const DecodedMemory d = decode(image);
    ASSERT_EQ(d.records.size(), 1u);
    EXPECT_DOUBLE_EQ(d.records[0].humidity, 45.6);
    EXPECT_EQ(d.records[0].time, at(2024, 5, 17, 8, 30, 0));
    EXPECT_EQ(d.usedBytes, 1 + 12);
}

TEST(MemoryDecoderByHand, ARecordEndingOnTheLastByteIsFollowedByAStatusByteNotARecord) {
    // Block 0: header (7 bytes) and 124 two-byte records of temperature 2
    // (flags 0xBC, 11-bit code: 0 | 0 00000001010 = 1.0 degC) fill it to byte 255.
    Bytes first = {0x00, 0xBC, 0x2D, 0xD9, 0xD2, 0x08, 0x00, 0x01};
    for (int k = 0; k < 124; ++k) {
        first.push_back(0x00);
        first.push_back(0x50);
    }
    ASSERT_EQ(first.size(), 256u);
    // Block 1 in use (status 0, which as data would read as a record) and
    // full (status 1) go on with records without a header.
    for (std::uint8_t status : {0x00, 0x01}) {
        SCOPED_TRACE(static_cast<int>(status));
        const Bytes image = blocks({first, block({status, 0x00, 0x50, 0x00, 0x50})});
        const DecodedMemory d = decode(image);
        ASSERT_EQ(d.records.size(), 126u);
        for (std::size_t k = 0; k < d.records.size(); ++k) {
            ASSERT_DOUBLE_EQ(d.records[k].temperature2, 1.0) << k;
            ASSERT_FALSE(d.records[k].temperature2Error) << k;
        }
        EXPECT_EQ(d.records[125].time, at(2024, 5, 17, 10, 35, 0));   // 125 minutes on
        EXPECT_EQ(d.usedBytes, status == 1 ? 256 + 256 : 256 + 4);
    }
}

TEST(MemoryDecoderByHand, RecordsThatDoNotFitInTheirBlockAreDropped) {
    // A header at the last byte of block 0, and a record cut by the block end
    // in block 1: decoding goes on with the next block each time.
    Bytes first = {0x00, 0x9C, 0x2D, 0xD9, 0xD2, 0x08, 0x00, 0x01};   // one-byte records, 1 minute
    first.resize(255, 0x00);                                           // 247 of them
    first.push_back(0x9C);
    Bytes second = {0x00};
    second.resize(252, 0x00);   // 251 more
    for (std::uint8_t b : {0x80, 0x1C, 0x84, 0xF2}) second.push_back(b);   // a header with 3 of its bytes
    const Bytes third = block({0x00, 0x00});
    const DecodedMemory d = decode(blocks({first, second, third}));
    ASSERT_EQ(d.records.size(), 247u + 251u + 1u);
    EXPECT_EQ(d.records.back().time, at(2024, 5, 17, 16, 48, 0));   // 498 minutes on
    EXPECT_EQ(d.usedBytes, 1 + 254 + 251 + 1);

    // The same image cut short inside the header at the end of block 1.
    const Bytes whole = blocks({first, second});
    const Bytes cut(whole.begin(), whole.begin() + 510);
    EXPECT_EQ(decode(cut).records.size(), 247u + 251u);
}

TEST(MemoryDecoderByHand, EqualTimesKeepTheirOrderAndEverythingElseIsSorted) {
    const Bytes image = blocks({
        // Pressure only (flags 0x8C), 2024-05-17 08:30:00, interval 0: every record at the same time.
        block({0x00, 0x8C, 0x2D, 0xD9, 0xD2, 0x08, 0x00, 0x00,
               0x00, 0x01,    // pressure 0 | 0 00000000000001 -> 0.1 hPa
               0x00, 0x02}),  // 0.2 hPa
        // 08:00:00 (0x2DD9CB00), 15 minutes: an earlier run stored later.
        block({0x00, 0x8C, 0x2D, 0xD9, 0xCB, 0x00, 0x00, 0x0F,
               0x00, 0x03,    // 08:00, 0.3 hPa
               0x00, 0x04,    // 08:15, 0.4 hPa
               0x00, 0x05,    // 08:30, 0.5 hPa
               0x00, 0x06}),  // 08:45, 0.6 hPa
    });
    const DecodedMemory d = decode(image);
    ASSERT_EQ(d.records.size(), 6u);
    const double pressures[] = {0.3, 0.4, 0.1, 0.2, 0.5, 0.6};
    for (std::size_t k = 0; k < 6; ++k) EXPECT_DOUBLE_EQ(d.records[k].pressure, pressures[k]) << k;
    EXPECT_EQ(d.records[2].time, at(2024, 5, 17, 8, 30, 0));
    EXPECT_EQ(d.records[4].time, at(2024, 5, 17, 8, 30, 0));
    EXPECT_EQ(d.records[5].time, at(2024, 5, 17, 8, 45, 0));

    // Many equal times: a pressure-only record is the 14-bit code as two
    // bytes (marker and error bit 0). 100 records at 08:30 in block 0, then
    // 08:00, 08:15 and 08:30 again in block 1.
    Bytes many = {0x00, 0x8C, 0x2D, 0xD9, 0xD2, 0x08, 0x00, 0x00};
    for (int code = 1; code <= 100; ++code) {
        many.push_back(0x00);
        many.push_back(static_cast<std::uint8_t>(code));
    }
    many.resize(256, 0xFF);
    const Bytes later = block({0x00, 0x8C, 0x2D, 0xD9, 0xCB, 0x00, 0x00, 0x0F, 0x03, 0xE9, 0x03, 0xEA, 0x03, 0xEB});
    const DecodedMemory m = decode(blocks({many, later}));
    ASSERT_EQ(m.records.size(), 103u);
    EXPECT_DOUBLE_EQ(m.records[0].pressure, 100.1);
    EXPECT_DOUBLE_EQ(m.records[1].pressure, 100.2);
    for (int k = 0; k < 100; ++k) ASSERT_DOUBLE_EQ(m.records[static_cast<std::size_t>(k) + 2].pressure, (k + 1) / 10.0) << k;
    EXPECT_DOUBLE_EQ(m.records[102].pressure, 100.3);
}

TEST(MemoryDecoderByHand, OddImagesDecodeWithinTheirLength) {
    // All 0x80: every block a header (2068-04-25 14:32:32, 32896 minutes)
    // with a five-byte record, 21 of them per block; three bytes left over.
    DecodedMemory d = decode(Bytes(65536, 0x80));
    ASSERT_EQ(d.records.size(), 21u * 256u);
    EXPECT_EQ(d.usedBytes, 1 + 256 * 252);
    EXPECT_EQ(d.records.front().time, at(2068, 4, 25, 14, 32, 32));
    EXPECT_EQ(d.records[1].time, at(2068, 5, 18, 10, 48, 32));
    EXPECT_EQ(d.records.back().time, at(2404, 6, 29, 11, 52, 32));
    // 0 | 0 0000001000 | 0 10000000100 ... from the bytes 80 80 80 80 80
    EXPECT_DOUBLE_EQ(d.records.front().humidity, 0.8);
    EXPECT_DOUBLE_EQ(d.records.front().pressure, 102.8);
    EXPECT_DOUBLE_EQ(d.records.front().temperature1, 6.4);

    // All zeros: no header anywhere.
    d = decode(Bytes(65536, 0x00));
    EXPECT_TRUE(d.records.empty());
    EXPECT_EQ(d.usedBytes, 1);

    // Empty, no image at all, one byte.
    EXPECT_TRUE(decodeMemoryImage(nullptr, 100).records.empty());
    EXPECT_EQ(decode(Bytes{}).usedBytes, 0);
    EXPECT_EQ(decode(Bytes{0x00}).usedBytes, 1);
    EXPECT_EQ(decode(Bytes{0x01}).usedBytes, 1);
    EXPECT_EQ(decode(Bytes{0x01, 0x9C}).usedBytes, 1 + 2);   // a full block as long as the image
}

// ---------------------------------------------------------------------------
// Images of the simulated panel's builder, against the readings put in.

sim::LoggedReading reading(std::uint32_t seconds, sim::TemperatureCoding coding, int i) {
    sim::LoggedReading r;
    r.seconds = seconds;
    r.humidityPresent = i % 5 != 4;
    r.pressurePresent = i % 7 != 6;
    r.temperature1Present = true;
    r.temperature2Present = i % 3 != 0;
    r.coding = coding;
    // Inside the range of every coding, on whole hundredths.
    r.humidity = std::round(5000.0 + 4000.0 * std::sin(i / 3.0)) / 100.0;
    r.pressure = std::round(95000.0 + 8000.0 * std::sin(i / 11.0)) / 100.0;
    r.temperature1 = std::round(2000.0 + 3000.0 * std::sin(i / 7.0)) / 100.0;
    r.temperature2 = std::round(1000.0 + 4500.0 * std::cos(i / 5.0)) / 100.0;
    r.humidityError = i % 11 == 3;
    r.pressureError = i % 13 == 5;
    r.temperature1Error = i % 17 == 7;
    r.temperature2Error = i % 19 == 8;
    return r;
}

double inResolution(double v, double factor) { return static_cast<double>(std::llround(v * factor)) / factor; }

void expectMatches(const MemoryRecord& d, const sim::LoggedReading& r) {
    const bool fine = r.coding == sim::TemperatureCoding::Fine || r.coding == sim::TemperatureCoding::WideFine;
    const double factor = fine ? 100.0 : 10.0;
    EXPECT_EQ(d.time, gregorian(r.seconds));
    EXPECT_EQ(d.humidityPresent, r.humidityPresent);
    EXPECT_EQ(d.pressurePresent, r.pressurePresent);
    EXPECT_EQ(d.temperature1Present, r.temperature1Present);
    EXPECT_EQ(d.temperature2Present, r.temperature2Present);
    EXPECT_EQ(d.humidityError, r.humidityPresent && r.humidityError);
    EXPECT_EQ(d.pressureError, r.pressurePresent && r.pressureError);
    EXPECT_EQ(d.temperature1Error, r.temperature1Error);
    EXPECT_EQ(d.temperature2Error, r.temperature2Present && r.temperature2Error);
    EXPECT_EQ(d.twoDecimals, fine);
    // A value in error is left at 0, as is a value not logged.
    const auto expected = [](bool present, bool error, double v, double f) {
        return present && !error ? inResolution(v, f) : 0.0;
    };
    EXPECT_DOUBLE_EQ(d.humidity, expected(r.humidityPresent, r.humidityError, r.humidity, 10));
    EXPECT_DOUBLE_EQ(d.pressure, expected(r.pressurePresent, r.pressureError, r.pressure, 10));
    EXPECT_DOUBLE_EQ(d.temperature1, expected(true, r.temperature1Error, r.temperature1, factor));
    EXPECT_DOUBLE_EQ(d.temperature2, expected(r.temperature2Present, r.temperature2Error, r.temperature2, factor));
}

TEST(MemoryDecoderBuilderImages, EveryCodingWithErrorsGapsErasedAndFullBlocks) {
    using sim::TemperatureCoding;
    for (sim::BlockStartHeader start : {sim::BlockStartHeader::Own, sim::BlockStartHeader::Repeat}) {
        SCOPED_TRACE(start == sim::BlockStartHeader::Own ? "own headers" : "repeated headers");
        sim::MemoryImageBuilder builder(10, start);
        std::vector<sim::LoggedReading> readings;
        std::uint32_t t = panelSecondsSince2000({2024, 2, 27, 22, 0, 0});
        int i = 0;
        const TemperatureCoding codings[] = {TemperatureCoding::WideFine, TemperatureCoding::Wide,
                                             TemperatureCoding::Fine, TemperatureCoding::Neither};
        for (TemperatureCoding coding : codings) {
            for (int n = 0; n < 90; ++n, ++i, t += 600) {
                // The channels change from reading to reading: headers inside the runs.
                readings.push_back(reading(t, coding, i));
                ASSERT_TRUE(builder.add(readings.back()));
            }
            builder.closeBlock();
            ASSERT_TRUE(builder.addErasedBlock());
            t += 7 * 3600 + 17;   // a pause of odd length
        }
        const Bytes image = builder.image();
        const DecodedMemory d = decode(image);
        ASSERT_EQ(d.records.size(), readings.size());
        for (std::size_t k = 0; k < readings.size(); ++k) {
            SCOPED_TRACE(k);
            expectMatches(d.records[k], readings[k]);
        }
        int full = 0;
        for (std::size_t b = 0; b < image.size(); b += 256) full += image[b] == 1;
        EXPECT_GT(full, 4);
    }
}

// The bytes of a builder image the records take, worked out from its blocks:
// status byte of block 0, 256 for a full block, and the bytes before the 0xFF
// fill of a block in use (its records end in padding bits of 0).
int usedBytesOf(const Bytes& image) {
    int used = image[0] == 0xFF ? 0 : 1;
    for (std::size_t b = 0; b < image.size(); b += 256) {
        if (image[b] == 0xFF) continue;
        if (image[b] == 1) {
            used += 256;
            continue;
        }
        std::size_t end = b + 256;
        while (image[end - 1] == 0xFF) --end;
        used += static_cast<int>(end - b - 1);
    }
    return used;
}

TEST(MemoryDecoderBuilderImages, UsedBytes) {
    sim::MemoryImageBuilder builder(15);
    std::uint32_t t = 1000000;
    for (int i = 0; i < 200; ++i, t += 900) builder.add(reading(t, sim::TemperatureCoding::Wide, 1));
    builder.closeBlock();
    builder.addErasedBlock();
    for (int i = 0; i < 20; ++i, t += 900) builder.add(reading(t, sim::TemperatureCoding::Fine, 2));
    const Bytes image = builder.image();
    EXPECT_EQ(decode(image).usedBytes, usedBytesOf(image));
    EXPECT_EQ(decode(Bytes(image.begin(), image.begin() + 256)).usedBytes, 257);
}

TEST(MemoryDecoderBuilderImages, OverwriteModeRecordsComeOutInTimeOrder) {
    sim::MemoryImageBuilder builder(1);
    builder.setOverwrite(4);
    std::vector<sim::LoggedReading> readings;
    std::uint32_t t = panelSecondsSince2000({2025, 12, 31, 20, 0, 0});
    for (int i = 0; i < 600; ++i, t += 60) {
        readings.push_back(reading(t, sim::TemperatureCoding::Fine, i));
        builder.add(readings.back());
    }
    ASSERT_TRUE(builder.wrapped());
    const Bytes image = builder.image();
    ASSERT_EQ(image.size(), 4u * 256u);
    const DecodedMemory d = decode(image);
    ASSERT_GT(d.records.size(), 50u);
    // The newest readings survive, in order, up to the last one.
    const std::size_t first = readings.size() - d.records.size();
    for (std::size_t k = 0; k < d.records.size(); ++k) {
        SCOPED_TRACE(k);
        expectMatches(d.records[k], readings[first + k]);
    }
}

// ---------------------------------------------------------------------------
// The simulated panel's memory scenarios.

std::int64_t minutesOf(const LocalTime& t) {
    std::tm tm = tmOf(t);
    return static_cast<std::int64_t>(timegm(&tm)) / 60;
}

struct Coverage {
    bool errors[4] = {};   // humidity, pressure, temperature 1, temperature 2
    bool tenths = false;
    bool hundredths = false;
    bool withoutPressure = false;
    std::vector<std::int64_t> steps;   // minutes between neighbouring records
};

Coverage coverageOf(const DecodedMemory& d) {
    Coverage c;
    for (std::size_t k = 0; k < d.records.size(); ++k) {
        const MemoryRecord& r = d.records[k];
        c.errors[0] |= r.humidityError;
        c.errors[1] |= r.pressureError;
        c.errors[2] |= r.temperature1Error;
        c.errors[3] |= r.temperature2Error;
        (r.twoDecimals ? c.hundredths : c.tenths) = true;
        c.withoutPressure |= !r.pressurePresent;
        if (k > 0) c.steps.push_back(minutesOf(r.time) - minutesOf(d.records[k - 1].time));
    }
    return c;
}

const std::uint32_t kClock = panelSecondsSince2000({2026, 12, 8, 10, 15, 0});

TEST(MemoryDecoderScenarios, MemoryHasBothResolutionsErrorsAndTwoPauses) {
    const sim::PanelModel m = sim::makeScenario("memory", kClock)->model;
    const DecodedMemory d = decode(m.memoryImage);
    EXPECT_EQ(d.records.size(), 120u + 60u + 40u + 30u);
    const Coverage c = coverageOf(d);
    for (bool e : c.errors) EXPECT_TRUE(e);
    EXPECT_TRUE(c.tenths);
    EXPECT_TRUE(c.hundredths);
    EXPECT_TRUE(c.withoutPressure);
    // 15-minute steps except the two pauses: the repeated headers at the
    // block starts keep the time line.
    int pauses = 0;
    for (std::int64_t s : c.steps) {
        if (s != 15) ++pauses;
        EXPECT_GT(s, 0);
    }
    EXPECT_EQ(pauses, 2);
    EXPECT_LE(minutesOf(d.records.back().time), minutesOf(gregorian(kClock)));
}

TEST(MemoryDecoderScenarios, MemoryFullIs256FullBlocks) {
    const sim::PanelModel m = sim::makeScenario("memory-full", kClock)->model;
    ASSERT_EQ(m.memoryImage.size(), 65536u);
    const DecodedMemory d = decode(m.memoryImage);
    EXPECT_EQ(d.records.size(), 256u * 30u);
    EXPECT_EQ(d.usedBytes, 1 + 65536);
    const Coverage c = coverageOf(d);
    for (bool e : c.errors) EXPECT_TRUE(e);
    EXPECT_FALSE(c.tenths);
    for (std::int64_t s : c.steps) ASSERT_EQ(s, 5);
    EXPECT_LE(minutesOf(d.records.back().time), minutesOf(gregorian(kClock)));
    EXPECT_GT(minutesOf(d.records.back().time), minutesOf(gregorian(kClock)) - 10);
}

TEST(MemoryDecoderScenarios, MemoryOverwriteWrappedAndComesOutAsOneTimeLine) {
    const sim::PanelModel m = sim::makeScenario("memory-overwrite", kClock)->model;
    ASSERT_EQ(m.memoryImage.size(), 16u * 256u);
    const DecodedMemory d = decode(m.memoryImage);
    // 1152 readings of 5 bytes, 49 to a block: 23 full blocks and 25 in block
    // 7; blocks 8 to 15 still hold the oldest that are left.
    EXPECT_EQ(d.records.size(), 8u * 49u + 7u * 49u + 25u);
    const Coverage c = coverageOf(d);
    EXPECT_TRUE(c.withoutPressure);
    for (std::int64_t s : c.steps) ASSERT_EQ(s, 5);
    // The first block holds later records than the last one.
    const DecodedMemory block0 = decodeMemoryImage(m.memoryImage.data(), 256);
    const DecodedMemory block15 = decodeMemoryImage(m.memoryImage.data() + 15 * 256, 256);
    ASSERT_FALSE(block0.records.empty());
    ASSERT_FALSE(block15.records.empty());
    EXPECT_GT(minutesOf(block0.records.front().time), minutesOf(block15.records.back().time));
    // The newest record is the last one of block 7, the oldest the first of block 8.
    const DecodedMemory block7 = decodeMemoryImage(m.memoryImage.data() + 7 * 256, 256);
    const DecodedMemory block8 = decodeMemoryImage(m.memoryImage.data() + 8 * 256, 256);
    ASSERT_EQ(block7.records.size(), 25u);
    ASSERT_EQ(block8.records.size(), 49u);
    EXPECT_EQ(d.records.back().time, block7.records.back().time);
    EXPECT_EQ(d.records.front().time, block8.records.front().time);
}

// ---------------------------------------------------------------------------
// The saturation table and the computed values.

TEST(SaturationTable, SaturationPressureAtLiteralPoints) {
    const struct {
        double celsius, pascal;
    } cases[] = {
        {20.0, 2338.6}, {0.0, 611.21}, {-40.0, 12.85}, {80.0, 47376}, {79.0, 45490},
        {20.5, 2413.0},     // halfway between 2338.6 and 2487.4
        {-10.25, 253.89},   // truncated to -10: 259.9 - 0.25 x (283.94 - 259.9)
        {-0.5, 588.265},    // truncated to 0: the step from 0 to 1 extended below 0
        {-40.5, 12.085},    // truncated to -40: likewise below the first entry
        {79.5, 46433.0}, {80.99, 47376},
    };
    for (const auto& c : cases) EXPECT_NEAR(saturationPressure(c.celsius), c.pascal, 1e-9) << c.celsius;
    for (double outside : {-41.0, -41.5, 81.0, 82.0, 200.0, -273.15, std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()})
        EXPECT_EQ(saturationPressure(outside), kOutsideSaturationTable) << outside;
}

TEST(SaturationTable, DewPointFromVapourPressureAtLiteralPoints) {
    const struct {
        double pascal, celsius;
    } cases[] = {
        {611.21, 0.0}, {2338.6, 20.0}, {12.85, -40.0}, {2413.0, 20.5},
        {1169.3, 9.0 + 21.2 / 79.9},   // between 1148.1 (9 degC) and 1228 (10 degC)
        {45489.0, 78.0 + 1821.0 / 1822.0},
    };
    for (const auto& c : cases) EXPECT_NEAR(dewPointFromVapourPressure(c.pascal), c.celsius, 1e-9) << c.pascal;
    for (double outside : {12.84, 0.0, -5.0, 45490.0, 47376.0, 1e9, std::numeric_limits<double>::quiet_NaN()})
        EXPECT_EQ(dewPointFromVapourPressure(outside), kOutsideSaturationTable) << outside;
    // The two functions undo each other over the whole table from 0 degC up.
    for (int tenth = 0; tenth < 790; ++tenth)
        ASSERT_NEAR(dewPointFromVapourPressure(saturationPressure(tenth / 10.0)), tenth / 10.0, 1e-9) << tenth;
}

MemoryRecord measured(double t1, double humidity) {
    MemoryRecord r;
    r.temperature1Present = true;
    r.humidityPresent = true;
    r.temperature1 = t1;
    r.humidity = humidity;
    return r;
}

TEST(AddComputedValues, WhatEachCaseSets) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        MemoryRecord record;
        bool dewPoint, vapour;
        double fallback;
        bool dewPointComputed;
        double dewPointValue;
        bool vapourComputed;
        double vapourValue;
    };
    MemoryRecord withPressure = measured(20.0, 50.0);   // e = 1169.3 Pa
    withPressure.pressurePresent = true;
    withPressure.pressure = 1013.2;
    MemoryRecord pressureError = withPressure;
    pressureError.pressureError = true;
    MemoryRecord t1Error = withPressure;
    t1Error.temperature1Error = true;
    MemoryRecord humidityError = withPressure;
    humidityError.humidityError = true;
    MemoryRecord noHumidity = withPressure;
    noHumidity.humidityPresent = false;
    MemoryRecord noT1 = withPressure;
    noT1.temperature1Present = false;
    const double dp = 9.0 + 21.2 / 79.9;
    const Case cases[] = {
        {"own pressure", withPressure, true, true, 990.0, true, dp, true, 1169.3 / (101320.0 - 1169.3) * 1e6},
        {"pressure in error: fallback", pressureError, true, true, 990.0, true, dp, true, 1169.3 / (99000.0 - 1169.3) * 1e6},
        {"no pressure: fallback", measured(20.0, 50.0), true, true, 990.0, true, dp, true, 1169.3 / (99000.0 - 1169.3) * 1e6},
        {"dew point only", withPressure, true, false, 990.0, true, dp, false, 0},
        {"vapour only", withPressure, false, true, 990.0, false, 0, true, 1169.3 / (101320.0 - 1169.3) * 1e6},
        {"temperature 1 in error", t1Error, true, true, 990.0, false, 0, false, 0},
        {"humidity in error", humidityError, true, true, 990.0, false, 0, false, 0},
        {"no humidity", noHumidity, true, true, 990.0, false, 0, false, 0},
        {"no temperature 1", noT1, true, true, 990.0, false, 0, false, 0},
        // Not meaningful: the column stays (flag set), the value is NaN.
        {"temperature below the table", measured(-45.0, 50.0), true, true, 990.0, true, nan, true, nan},
        {"temperature above the table", measured(85.0, 50.0), true, true, 990.0, true, nan, true, nan},
        // -40 degC, 50 %: e = 6.425 Pa, below the table's first entry.
        {"dew point below -40", measured(-40.0, 50.0), true, true, 1013.2, true, nan, true, 6.425 / (101320.0 - 6.425) * 1e6},
        {"dry air", measured(20.0, 0.0), true, true, 1013.2, true, nan, true, 0},
        // 10 degC, 50 %: e = 614 Pa = P.
        {"pressure equal to e", measured(10.0, 50.0), false, true, 6.14, false, 0, true, 0},
        {"fallback not a number", measured(20.0, 50.0), true, true, nan, true, dp, true, nan},
    };
    const auto expectValue = [](double actual, double want, double tolerance) {
        if (std::isnan(want))
            EXPECT_TRUE(std::isnan(actual)) << actual;
        else
            EXPECT_NEAR(actual, want, tolerance);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryRecord r = c.record;
        addComputedValues(r, c.dewPoint, c.vapour, c.fallback);
        EXPECT_EQ(r.dewPointComputed, c.dewPointComputed);
        expectValue(r.dewPoint, c.dewPointValue, 1e-9);
        EXPECT_EQ(r.vapourComputed, c.vapourComputed);
        expectValue(r.vapourPpm, c.vapourValue, 1e-6);
        // The measured values stay as they were.
        EXPECT_EQ(r.temperature1, c.record.temperature1);
        EXPECT_EQ(r.humidity, c.record.humidity);
        EXPECT_EQ(r.pressure, c.record.pressure);
    }
}

TEST(AddComputedValues, ASecondCallReplacesTheFirst) {
    MemoryRecord r = measured(20.0, 50.0);
    addComputedValues(r, true, true, 1013.2);
    ASSERT_TRUE(r.dewPointComputed && r.vapourComputed);
    addComputedValues(r, false, false, 1013.2);
    EXPECT_FALSE(r.dewPointComputed);
    EXPECT_FALSE(r.vapourComputed);
    EXPECT_EQ(r.dewPoint, 0.0);
    EXPECT_EQ(r.vapourPpm, 0.0);
}

}  // namespace
}  // namespace mr420
