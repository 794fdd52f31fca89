#include "sim/MemoryImageBuilder.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "sim/PanelModel.h"
#include "sim/Scenarios.h"

namespace mr420::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

LoggedReading baseReading(std::uint32_t seconds) {
    LoggedReading r;
    r.seconds = seconds;
    r.humidityPresent = true;
    r.pressurePresent = true;
    r.temperature1Present = true;
    r.humidity = 45.6;
    r.pressure = 1013.2;
    r.temperature1 = 21.5;
    r.coding = TemperatureCoding::Neither;
    return r;
}

Bytes slice(const Bytes& image, std::size_t from, std::size_t count) {
    return Bytes(image.begin() + static_cast<long>(from), image.begin() + static_cast<long>(from + count));
}

// Records worked out bit by bit: marker 0, then per quantity an error bit and
// the value, most significant bit first.
TEST(MemoryImageBuilder, EncodesRecordsBitByBit) {
    // 0 | 0 0111001000 (456) | 0 10011110010100 (10132) | 0 00011010111 (215), padded.
    EXPECT_EQ(MemoryImageBuilder::encodeRecord(baseReading(0)), (Bytes{0x1C, 0x84, 0xF2, 0x81, 0xAE}));

    LoggedReading withError = baseReading(0);
    withError.humidityError = true;   // value bits follow as zeros
    withError.pressure = 1013.5;
    withError.temperature1 = -1.2;    // 11-bit two's complement 0x7F4
    EXPECT_EQ(MemoryImageBuilder::encodeRecord(withError), (Bytes{0x40, 0x04, 0xF2, 0xEF, 0xE8}));

    LoggedReading fine;
    fine.humidityPresent = true;
    fine.temperature1Present = true;
    fine.temperature2Present = true;
    fine.humidity = 50.0;
    fine.temperature1 = -40.0;   // fine code 0
    fine.temperature2 = 20.0;    // fine code 6000
    fine.coding = TemperatureCoding::Fine;
    EXPECT_EQ(MemoryImageBuilder::encodeRecord(fine), (Bytes{0x1F, 0x40, 0x00, 0x05, 0xDC, 0x00}));
    EXPECT_EQ(MemoryImageBuilder::headerFlags(fine), 0xB1);   // T2 present, no pressure, fine

    LoggedReading wideFine;
    wideFine.temperature1Present = true;
    wideFine.temperature1 = -23.45;   // 17 bits 0x1F6D7
    wideFine.coding = TemperatureCoding::WideFine;
    EXPECT_EQ(MemoryImageBuilder::encodeRecord(wideFine), (Bytes{0x3E, 0xDA, 0xE0}));
    EXPECT_EQ(MemoryImageBuilder::headerFlags(wideFine), 0x80 | 0x10 | 0x08 | 0x02 | 0x01);
}

TEST(MemoryImageBuilder, WideCodingUsesFourteenBitsTwosComplement) {
    LoggedReading r;
    r.temperature1Present = true;
    r.temperature1 = -0.1;   // 0x3FFF
    r.coding = TemperatureCoding::Wide;
    // 0 | 0 11111111111111, padded: 0011 1111 1111 1111 -> 0x3F 0xFF
    EXPECT_EQ(MemoryImageBuilder::encodeRecord(r), (Bytes{0x3F, 0xFF}));
}

TEST(MemoryImageBuilder, WithoutTemperatureOneBothTemperaturesFallBackToElevenBits) {
    LoggedReading r;
    r.temperature2Present = true;
    r.temperature2 = 1.0;   // 11 bits: 10
    r.coding = TemperatureCoding::WideFine;
    EXPECT_EQ(MemoryImageBuilder::headerFlags(r), 0x80 | 0x20 | 0x10 | 0x08 | 0x04);
    // 0 | 0 00000001010 -> 0000 0000 0101 0000
    EXPECT_EQ(MemoryImageBuilder::encodeRecord(r), (Bytes{0x00, 0x50}));
}

TEST(MemoryImageBuilder, LaysOutHeadersRecordsAndFill) {
    const std::uint32_t t0 = panelSecondsSince2000({2024, 5, 17, 8, 30, 0});
    MemoryImageBuilder b(15);
    LoggedReading r1 = baseReading(t0);
    LoggedReading r2 = baseReading(t0 + 900);
    r2.humidityError = true;
    r2.pressure = 1013.5;
    r2.temperature1 = -1.2;
    LoggedReading r3;   // other channels: a new header
    r3.seconds = t0 + 1800;
    r3.humidityPresent = true;
    r3.temperature1Present = true;
    r3.temperature2Present = true;
    r3.humidity = 50.0;
    r3.temperature1 = -40.0;
    r3.temperature2 = 20.0;
    r3.coding = TemperatureCoding::Fine;
    ASSERT_TRUE(b.add(r1));
    ASSERT_TRUE(b.add(r2));
    ASSERT_TRUE(b.add(r3));

    const Bytes image = b.image();
    ASSERT_EQ(image.size(), 256u);
    EXPECT_EQ(image[0], 0x00);   // in use
    const Bytes header1 = {0x80, std::uint8_t(t0 >> 24), std::uint8_t(t0 >> 16), std::uint8_t(t0 >> 8),
                           std::uint8_t(t0), 0x00, 0x0F};
    EXPECT_EQ(slice(image, 1, 7), header1);
    EXPECT_EQ(slice(image, 8, 5), (Bytes{0x1C, 0x84, 0xF2, 0x81, 0xAE}));
    EXPECT_EQ(slice(image, 13, 5), (Bytes{0x40, 0x04, 0xF2, 0xEF, 0xE8}));   // 15 minutes on: no header
    const std::uint32_t t2 = t0 + 1800;
    const Bytes header3 = {0xB1, std::uint8_t(t2 >> 24), std::uint8_t(t2 >> 16), std::uint8_t(t2 >> 8),
                           std::uint8_t(t2), 0x00, 0x0F};
    EXPECT_EQ(slice(image, 18, 7), header3);
    EXPECT_EQ(slice(image, 25, 6), (Bytes{0x1F, 0x40, 0x00, 0x05, 0xDC, 0x00}));
    for (std::size_t i = 31; i < 256; ++i) ASSERT_EQ(image[i], 0xFF) << "byte " << i;
}

TEST(MemoryImageBuilder, GapInTimeStartsNewHeader) {
    const std::uint32_t t0 = 1000000;
    MemoryImageBuilder b(10);
    b.add(baseReading(t0));
    b.add(baseReading(t0 + 601));   // not one interval later
    const Bytes image = b.image();
    EXPECT_EQ(image[13], 0x80);
    EXPECT_EQ(image[17], std::uint8_t(t0 + 601));
    EXPECT_EQ(image[19], 10);
}

TEST(MemoryImageBuilder, RecordsNeverStraddleBlocks) {
    MemoryImageBuilder b(1);
    std::uint32_t t = 5000;
    // 5-byte records after a 7-byte header: block 0 holds 49 of them (1 + 7 + 245
    // = 253 bytes); the 50th would end on the last byte, which stays 0xFF.
    for (int i = 0; i < 50; ++i, t += 60) ASSERT_TRUE(b.add(baseReading(t)));
    const Bytes image = b.image();
    ASSERT_EQ(b.blockCount(), 2);
    EXPECT_EQ(image[0], 1);   // full
    EXPECT_EQ(image[253], 0xFF);
    EXPECT_EQ(image[254], 0xFF);
    EXPECT_EQ(image[255], 0xFF);
    EXPECT_EQ(image[256], 0x00);   // next block in use
    EXPECT_EQ(image[257], 0x80);   // and it starts with a header
    const std::uint32_t t50 = 5000 + 49 * 60;
    EXPECT_EQ(image[261], std::uint8_t(t50));
    EXPECT_EQ(slice(image, 264, 5), (Bytes{0x1C, 0x84, 0xF2, 0x81, 0xAE}));
    EXPECT_EQ(image[269], 0xFF);
}

TEST(MemoryImageBuilder, ErasedBlocksAndTheBlockLimit) {
    MemoryImageBuilder b(15);
    b.add(baseReading(100));
    ASSERT_TRUE(b.addErasedBlock());
    b.add(baseReading(100 + 900));
    const Bytes image = b.image();
    ASSERT_EQ(image.size(), 3u * 256u);
    EXPECT_EQ(image[0], 0x00);   // closed, not full
    for (std::size_t i = 256; i < 512; ++i) ASSERT_EQ(image[i], 0xFF);
    EXPECT_EQ(image[512], 0x00);
    EXPECT_EQ(image[513], 0x80);   // a header after the erased block

    MemoryImageBuilder full(15);
    for (int i = 0; i < kMaxMemoryBlocks; ++i) ASSERT_TRUE(full.addErasedBlock());
    EXPECT_FALSE(full.addErasedBlock());
    EXPECT_FALSE(full.add(baseReading(1)));
    EXPECT_EQ(full.blockCount(), kMaxMemoryBlocks);
}

TEST(MemoryImageBuilder, ValuesOutsideTheirFieldAreClamped) {
    LoggedReading r;
    r.humidityPresent = true;
    r.humidity = 150.0;   // 10 bits hold at most 102.3 %
    // 0 | 0 1111111111 -> 0011 1111 1111 0000
    EXPECT_EQ(MemoryImageBuilder::encodeRecord(r), (Bytes{0x3F, 0xF0}));
}


std::uint32_t secondsAt(const Bytes& image, std::size_t at) {
    return (std::uint32_t{image[at]} << 24) | (std::uint32_t{image[at + 1]} << 16) | (std::uint32_t{image[at + 2]} << 8) |
           image[at + 3];
}

// Seconds of the header at the start of block k (behind its status byte).
std::uint32_t blockHeaderSeconds(const Bytes& image, int k) { return secondsAt(image, static_cast<std::size_t>(k) * 256 + 2); }

TEST(MemoryImageBuilder, RepeatedHeaderAtTheStartOfABlockThatGoesOnWithTheRun) {
    MemoryImageBuilder b(1, BlockStartHeader::Repeat);
    const std::uint32_t t0 = 5000;
    std::uint32_t t = t0;
    for (int i = 0; i < 60; ++i, t += 60) ASSERT_TRUE(b.add(baseReading(t)));   // 49 in block 0, 11 in block 1
    b.closeBlock();
    ASSERT_TRUE(b.addErasedBlock());
    ASSERT_TRUE(b.add(baseReading(t)));   // the run goes on behind an erased block
    t += 120;
    ASSERT_TRUE(b.add(baseReading(t)));   // a gap: a header of its own in the same block
    b.closeBlock();
    t += 60;
    LoggedReading other = baseReading(t);
    other.pressurePresent = false;
    ASSERT_TRUE(b.add(other));   // one interval on, other channels: its own seconds too

    const Bytes image = b.image();
    ASSERT_EQ(b.blockCount(), 5);
    EXPECT_EQ(image[0], 1);
    EXPECT_EQ(image[257], 0x80);
    EXPECT_EQ(blockHeaderSeconds(image, 1), t0);   // not t0 + 49 minutes
    EXPECT_EQ(image[262], 0x00);
    EXPECT_EQ(image[263], 0x01);                   // the interval
    EXPECT_EQ(blockHeaderSeconds(image, 3), t0);
    EXPECT_EQ(image[3 * 256 + 8 + 5], 0x80);       // header behind the first record
    EXPECT_EQ(secondsAt(image, 3 * 256 + 8 + 6), t - 60);
    EXPECT_EQ(image[4 * 256 + 1], 0x90);
    EXPECT_EQ(blockHeaderSeconds(image, 4), t);
}

TEST(MemoryImageBuilder, OverwriteModeGoesOnInBlockZero) {
    MemoryImageBuilder b(1, BlockStartHeader::Repeat);   // no repeated headers in overwrite mode
    b.setOverwrite(3);
    std::uint32_t t = 5000;
    // 49 five-byte records to a block: 49 * 4 + 10 readings fill four blocks and ten records.
    for (int i = 0; i < 49 * 4 + 10; ++i, t += 60) ASSERT_TRUE(b.add(baseReading(t)));
    const Bytes image = b.image();
    ASSERT_EQ(b.blockCount(), 3);
    EXPECT_TRUE(b.wrapped());
    EXPECT_EQ(b.lastBlock(), 1);
    EXPECT_EQ(image[0], 1);     // block 0 written twice, full again
    EXPECT_EQ(image[256], 0);   // block 1 in use: the newest records
    EXPECT_EQ(image[512], 1);   // block 2 still holds older records
    EXPECT_EQ(blockHeaderSeconds(image, 2), 5000u + 2 * 49 * 60);
    EXPECT_EQ(blockHeaderSeconds(image, 0), 5000u + 3 * 49 * 60);
    EXPECT_EQ(blockHeaderSeconds(image, 1), 5000u + 4 * 49 * 60);
    // Nothing of the first round is left in the rewritten block 1.
    for (std::size_t i = 256 + 1 + 7 + 10 * 5; i < 512; ++i) ASSERT_EQ(image[i], 0xFF) << i;

    // An erased block comes round too.
    ASSERT_TRUE(b.addErasedBlock());
    EXPECT_EQ(b.lastBlock(), 2);
    const Bytes after = b.image();
    for (std::size_t i = 512; i < 768; ++i) ASSERT_EQ(after[i], 0xFF) << i;
    EXPECT_EQ(b.blockCount(), 3);
}

// The memory scenarios, block by block: every block in use starts with a header.
TEST(MemoryScenarios, TogetherTheyHoldWhatTheReadOutMustHandle) {
    const std::uint32_t clock = panelSecondsSince2000({2026, 12, 8, 10, 15, 0});

    const PanelModel memory = makeScenario("memory", clock)->model;
    std::set<int> flags;
    int erased = 0, full = 0, repeated = 0;
    for (int k = 0; k * 256 < static_cast<int>(memory.memoryImage.size()); ++k) {
        const std::uint8_t status = memory.blockStatus(k);
        if (status == 0xFF) {
            ++erased;
            continue;
        }
        full += status == 1;
        flags.insert(memory.memoryImage[static_cast<std::size_t>(k) * 256 + 1]);
        if (k > 0 && memory.blockStatus(k - 1) != 0xFF &&
            blockHeaderSeconds(memory.memoryImage, k) == blockHeaderSeconds(memory.memoryImage, k - 1))
            ++repeated;
    }
    // Tenths (0xA0), hundredths (0xA1), tenths over the wide range without
    // pressure (0xB2), hundredths over the wide range (0xA3).
    EXPECT_EQ(flags, (std::set<int>{0xA0, 0xA1, 0xB2, 0xA3}));
    EXPECT_EQ(erased, 2);
    EXPECT_GE(full, 4);
    EXPECT_GE(repeated, 3);

    const PanelModel all = makeScenario("memory-full", clock)->model;
    EXPECT_EQ(all.memorySizeBlocks, 256);
    ASSERT_EQ(all.memoryImage.size(), 65536u);
    for (int k = 0; k < 256; ++k) {
        ASSERT_EQ(all.blockStatus(k), 1) << k;
        ASSERT_EQ(all.memoryImage[static_cast<std::size_t>(k) * 256 + 1], 0xA3) << k;
    }
    EXPECT_LT(blockHeaderSeconds(all.memoryImage, 255), clock);

    const PanelModel over = makeScenario("memory-overwrite", clock)->model;
    EXPECT_EQ(over.loggingFlags & 0x20, 0x20);   // overwrite mode
    ASSERT_EQ(over.memoryImage.size(), 16u * 256u);
    EXPECT_EQ(over.memorySizeBlocks, 16);
    // Header seconds rise from block 8 to 15 and on from block 0 to 7.
    std::uint32_t previous = 0;
    for (int k : {8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7}) {
        EXPECT_GT(blockHeaderSeconds(over.memoryImage, k), previous) << k;
        previous = blockHeaderSeconds(over.memoryImage, k);
    }
    EXPECT_EQ(over.blockStatus(7), 0);
    EXPECT_LT(previous, clock);
}

}  // namespace
}  // namespace mr420::sim
