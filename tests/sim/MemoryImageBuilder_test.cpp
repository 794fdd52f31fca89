#include "sim/MemoryImageBuilder.h"

#include <gtest/gtest.h>

#include <vector>

#include "sim/PanelModel.h"

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
    const std::uint32_t t0 = panelSecondsOf(2024, 5, 17, 8, 30, 0);
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

}  // namespace
}  // namespace mr420::sim
