#include "sim/MemoryImageBuilder.h"

#include <algorithm>
#include <cmath>

#include "sim/PanelModel.h"

namespace mr420::sim {

namespace {

// A record ends before the last byte of its block, so that byte stays 0xFF and
// the reader always finds the end of the block before the next status byte.
constexpr int kLastUsableEnd = kBlockBytes - 1;
constexpr int kHeaderBytes = 7;

TemperatureCoding effectiveCoding(const LoggedReading& r) {
    return r.temperature1Present ? r.coding : TemperatureCoding::Neither;
}

std::int64_t scaled(double value, double factor, std::int64_t low, std::int64_t high) {
    auto v = static_cast<std::int64_t>(std::llround(value * factor));
    return std::clamp(v, low, high);
}

class BitWriter {
public:
    BitWriter() { bits_.push_back(false); }   // the record marker
    void put(std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) bits_.push_back(((value >> i) & 1) != 0);
    }
    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> out((bits_.size() + 7) / 8, 0);
        for (std::size_t i = 0; i < bits_.size(); ++i)
            if (bits_[i]) out[i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
        return out;
    }

private:
    std::vector<bool> bits_;
};

void putField(BitWriter& w, bool error, std::int64_t code, int bits) {
    w.put(error ? 1 : 0, 1);
    // The value bits are there even for a reading in error; they carry 0.
    const std::uint32_t mask = (1u << bits) - 1;
    w.put(error ? 0 : static_cast<std::uint32_t>(code) & mask, bits);
}

void putTemperature(BitWriter& w, TemperatureCoding coding, bool error, double t) {
    switch (coding) {
    case TemperatureCoding::WideFine: putField(w, error, scaled(t, 100, -65536, 65535), 17); break;
    case TemperatureCoding::Wide: putField(w, error, scaled(t, 10, -8192, 8191), 14); break;
    case TemperatureCoding::Fine: putField(w, error, scaled(t + 40.0, 100, 0, 16383), 14); break;
    case TemperatureCoding::Neither: putField(w, error, scaled(t, 10, -1024, 1023), 11); break;
    }
}

}  // namespace

MemoryImageBuilder::MemoryImageBuilder(int intervalMinutes, BlockStartHeader blockStart)
    : intervalMinutes_(intervalMinutes), blockStart_(blockStart) {}

void MemoryImageBuilder::setOverwrite(int blocks) { overwriteBlocks_ = std::clamp(blocks, 1, kMaxMemoryBlocks); }

std::uint8_t MemoryImageBuilder::headerFlags(const LoggedReading& r) {
    std::uint8_t flags = 0x80;
    if (r.temperature2Present) flags |= 0x20;
    if (!r.pressurePresent) flags |= 0x10;
    if (!r.humidityPresent) flags |= 0x08;
    if (!r.temperature1Present) flags |= 0x04;
    const TemperatureCoding coding = effectiveCoding(r);
    if (coding == TemperatureCoding::WideFine || coding == TemperatureCoding::Wide) flags |= 0x02;
    if (coding == TemperatureCoding::WideFine || coding == TemperatureCoding::Fine) flags |= 0x01;
    return flags;
}

std::vector<std::uint8_t> MemoryImageBuilder::encodeRecord(const LoggedReading& r) {
    BitWriter w;
    if (r.humidityPresent) putField(w, r.humidityError, scaled(r.humidity, 10, 0, 1023), 10);
    if (r.pressurePresent) putField(w, r.pressureError, scaled(r.pressure, 10, 0, 16383), 14);
    const TemperatureCoding coding = effectiveCoding(r);
    if (r.temperature1Present) putTemperature(w, coding, r.temperature1Error, r.temperature1);
    if (r.temperature2Present) putTemperature(w, coding, r.temperature2Error, r.temperature2);
    return w.bytes();
}

bool MemoryImageBuilder::haveNextBlock() const { return overwriteBlocks_ > 0 || lastBlock_ + 1 < kMaxMemoryBlocks; }

std::size_t MemoryImageBuilder::takeNextBlock() {
    int next = lastBlock_ + 1;
    if (overwriteBlocks_ > 0 && next >= overwriteBlocks_) {
        next = 0;
        wrapped_ = true;
    }
    const std::size_t at = static_cast<std::size_t>(next) * kBlockBytes;
    if (at == image_.size()) image_.insert(image_.end(), kBlockBytes, 0xFF);
    else std::fill_n(image_.begin() + static_cast<long>(at), kBlockBytes, 0xFF);
    lastBlock_ = next;
    return at;
}

void MemoryImageBuilder::startBlock() {
    image_[takeNextBlock()] = 0;   // in use
    blockOpen_ = true;
    used_ = 1;
}

void MemoryImageBuilder::finishBlock(bool full) {
    if (!blockOpen_) return;
    if (full) image_[static_cast<std::size_t>(lastBlock_) * kBlockBytes] = 1;
    blockOpen_ = false;
}

void MemoryImageBuilder::closeBlock() { finishBlock(false); }

bool MemoryImageBuilder::addErasedBlock() {
    closeBlock();
    if (!haveNextBlock()) return false;
    takeNextBlock();
    return true;
}

bool MemoryImageBuilder::add(const LoggedReading& r) {
    const std::uint8_t flags = headerFlags(r);
    const std::vector<std::uint8_t> record = encodeRecord(r);
    const bool continuesRun = havePrevious_ && flags == previousFlags_ &&
                              r.seconds == previousSeconds_ + static_cast<std::uint32_t>(intervalMinutes_) * 60u;
    bool needHeader = !blockOpen_ || !continuesRun;
    int size = static_cast<int>(record.size()) + (needHeader ? kHeaderBytes : 0);
    if (blockOpen_ && used_ + size > kLastUsableEnd) finishBlock(true);
    if (!blockOpen_) {
        if (!haveNextBlock()) return false;
        startBlock();
        needHeader = true;
    }
    const bool repeat = continuesRun && blockStart_ == BlockStartHeader::Repeat && overwriteBlocks_ == 0;
    const std::uint32_t headerSeconds = repeat ? runHeaderSeconds_ : r.seconds;
    auto at = image_.begin() + static_cast<long>(static_cast<std::size_t>(lastBlock_) * kBlockBytes) + used_;
    if (needHeader) {
        const std::uint8_t header[kHeaderBytes] = {
            flags,
            static_cast<std::uint8_t>(headerSeconds >> 24),
            static_cast<std::uint8_t>(headerSeconds >> 16),
            static_cast<std::uint8_t>(headerSeconds >> 8),
            static_cast<std::uint8_t>(headerSeconds),
            static_cast<std::uint8_t>(intervalMinutes_ >> 8),
            static_cast<std::uint8_t>(intervalMinutes_),
        };
        at = std::copy(std::begin(header), std::end(header), at);
        used_ += kHeaderBytes;
        runHeaderSeconds_ = headerSeconds;
    }
    std::copy(record.begin(), record.end(), at);
    used_ += static_cast<int>(record.size());
    havePrevious_ = true;
    previousSeconds_ = r.seconds;
    previousFlags_ = flags;
    return true;
}

std::vector<std::uint8_t> MemoryImageBuilder::image() const { return image_; }

int MemoryImageBuilder::blockCount() const { return static_cast<int>(image_.size() / kBlockBytes); }

}  // namespace mr420::sim
