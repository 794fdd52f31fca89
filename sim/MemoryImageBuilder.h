#pragma once
// Builds a panel memory image from readings, in the panel's own record layout:
// every 256-byte block starts with a status byte (0xFF erased, 1 full, 0 in
// use); a 7-byte header (flags, seconds since 2000-01-01, interval in minutes)
// starts a run of records; each data record is bit-packed, most significant bit
// first, behind a 0 marker bit; the rest of a block after its last record is
// 0xFF. A record never straddles two blocks, and never takes a block's last
// byte.
//
// Two of the panel's ways can be chosen: how a run of readings that goes on in
// a new block starts there (with a header of the reading's own seconds, or
// with the run's header repeated, which continues the time line), and the
// overwrite mode, where logging goes on in block 0 once every block of the
// memory is used, over the oldest records.

#include <cstdint>
#include <vector>

namespace mr420::sim {

enum class TemperatureCoding {
    WideFine,  // 17 bits two's complement, hundredths
    Wide,      // 14 bits two's complement, tenths
    Fine,      // 14 bits unsigned minus 4000, hundredths
    Neither,   // 11 bits two's complement, tenths
};

struct LoggedReading {
    std::uint32_t seconds = 0;   // since 2000-01-01 00:00:00
    bool humidityPresent = false;
    bool pressurePresent = false;
    bool temperature1Present = false;
    bool temperature2Present = false;
    bool humidityError = false;
    bool pressureError = false;
    bool temperature1Error = false;
    bool temperature2Error = false;
    double humidity = 0;       // %
    double pressure = 0;       // hPa
    double temperature1 = 0;   // deg C
    double temperature2 = 0;   // deg C
    // The panel only uses the wide and fine codes while it logs temperature 1;
    // without it both temperatures fall back to the 11-bit code.
    TemperatureCoding coding = TemperatureCoding::Neither;
};

// The header in front of the first reading of a new block when the reading
// goes on with the run of the block before (same flags, one interval later).
enum class BlockStartHeader {
    Own,      // the reading's own seconds
    Repeat,   // the seconds and interval of the run's header again: the reader
              // takes the reading as one interval after the previous one
};

class MemoryImageBuilder {
public:
    // The interval written into headers; a reading that follows the previous
    // one by exactly this many minutes, with the same flags, needs no header.
    explicit MemoryImageBuilder(int intervalMinutes, BlockStartHeader blockStart = BlockStartHeader::Own);

    // Overwrite mode over a memory of `blocks` blocks (1..256): once all of
    // them are used, the next block is block 0 again, then 1, and so on, each
    // erased before it is written. Every block then starts with a header of
    // its reading's own seconds: a repeated header could stand for a header
    // that has been written over. Call it before the first reading.
    void setOverwrite(int blocks);

    // False when the reading does not fit in the 256 blocks any more (never
    // in overwrite mode).
    bool add(const LoggedReading& reading);
    // Closes the block in use and erases the next one (appended, or in
    // overwrite mode possibly an old block again).
    bool addErasedBlock();
    // Closes the block in use; the next reading starts a new block.
    void closeBlock();

    // Blocks written so far (the last one possibly partly used), 256 bytes each.
    std::vector<std::uint8_t> image() const;
    int blockCount() const;
    // The block written last, -1 before the first one; in overwrite mode the
    // newest records are in it and in the blocks below it.
    int lastBlock() const { return lastBlock_; }
    // The image went on in block 0 again at least once.
    bool wrapped() const { return wrapped_; }

    // Header flags byte of a reading as it is written (0x80 and the presence
    // and coding bits).
    static std::uint8_t headerFlags(const LoggedReading& reading);
    // The bytes of one data record (marker bit and fields), without header.
    static std::vector<std::uint8_t> encodeRecord(const LoggedReading& reading);

private:
    bool haveNextBlock() const;
    // Erases the next block and returns its first byte's offset.
    std::size_t takeNextBlock();
    void startBlock();
    void finishBlock(bool full);

    int intervalMinutes_;
    BlockStartHeader blockStart_;
    int overwriteBlocks_ = 0;      // 0: no overwrite mode
    std::vector<std::uint8_t> image_;
    int lastBlock_ = -1;
    bool wrapped_ = false;
    bool blockOpen_ = false;
    int used_ = 0;                 // bytes used in the open block, status byte included
    bool havePrevious_ = false;
    std::uint32_t previousSeconds_ = 0;
    std::uint8_t previousFlags_ = 0;
    std::uint32_t runHeaderSeconds_ = 0;   // seconds of the last header written
};

}  // namespace mr420::sim
