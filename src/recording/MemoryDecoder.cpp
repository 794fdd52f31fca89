#include "recording/MemoryDecoder.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <limits>
#include <cstdint>

#include "protocol/PanelState.h"

namespace mr420 {

namespace {

constexpr std::size_t kBlock = kMemoryBlockSize;
constexpr std::size_t kHeaderBytes = 7;
constexpr std::uint8_t kErased = 0xFF;
constexpr std::uint8_t kFull = 1;

// Saturation water-vapour pressure in Pa, -40 degC to +82 degC in 1 degC steps.
constexpr std::array<double, 123> kSaturation = {
    12.85,  14.38,  16.08,  17.96,  20.04,  22.35,  24.9,   27.71,  30.82,  34.24,    // -40
    38.02,  42.17,  46.73,  51.74,  57.25,  63.29,  69.91,  77.16,  85.1,   93.78,    // -30
    103.26, 113.62, 124.92, 137.25, 150.68, 165.3,  181.21, 198.52, 217.32, 237.74,   // -20
    259.9,  283.94, 309.98, 338.19, 368.73, 401.76, 437.48, 476.06, 517.72, 562.67,   // -10
    611.21, 657.1,  707,    758,    813.5,  872.5,  935.2,  1001.9, 1072.8, 1148.1,   // 0
    1228,   1312.7, 1402.5, 1497.7, 1598.6, 1705.3, 1818.3, 1937.8, 2064.1, 2197.6,   // 10
    2338.6, 2487.4, 2644.4, 2810.1, 2984.7, 3168.8, 3362.6, 3566.7, 3781.5, 4007.5,   // 20
    4245.2, 4496,   4758,   5034,   5322,   5626,   5946,   6280,   6630,   6996,     // 30
    7382,   7784,   8206,   8646,   9108,   9590,   10094,  10620,  11170,  11746,    // 40
    12344,  12970,  13622,  14304,  15012,  15752,  16522,  17324,  18160,  19028,    // 50
    19932,  20874,  21852,  22868,  23926,  25024,  26164,  27348,  28578,  29854,    // 60
    31178,  32550,  33974,  35450,  36990,  38566,  40206,  41908,  43668,  45490,    // 70
    47376,  47376,  47376,                                                            // 80
};

enum class Coding { WideFine, Wide, Fine, Neither };

// What a header's flags byte says about the records behind it.
struct Layout {
    bool humidity = false;
    bool pressure = false;
    bool temperature1 = false;
    bool temperature2 = false;
    Coding coding = Coding::Neither;
    int temperatureBits = 11;
    std::size_t recordBytes = 1;   // marker bit and fields, rounded up to whole bytes
};

constexpr Layout layoutOf(std::uint8_t flags) {
    Layout l;
    l.temperature2 = (flags & 0x20) != 0;
    l.pressure = (flags & 0x10) == 0;
    l.humidity = (flags & 0x08) == 0;
    l.temperature1 = (flags & 0x04) == 0;
    const bool wide = (flags & 0x02) != 0 && l.temperature1;
    const bool fine = (flags & 0x01) != 0 && l.temperature1;
    if (wide && fine) {
        l.coding = Coding::WideFine;
        l.temperatureBits = 17;
    } else if (wide) {
        l.coding = Coding::Wide;
        l.temperatureBits = 14;
    } else if (fine) {
        l.coding = Coding::Fine;
        l.temperatureBits = 14;
    }
    int bits = 1;   // the marker
    if (l.humidity) bits += 1 + 10;
    if (l.pressure) bits += 1 + 14;
    if (l.temperature1) bits += 1 + l.temperatureBits;
    if (l.temperature2) bits += 1 + l.temperatureBits;
    l.recordBytes = static_cast<std::size_t>((bits + 7) / 8);
    return l;
}

// Bits 6 and 7 of a flags byte do not change the layout.
constexpr std::array<Layout, 64> kLayouts = [] {
    std::array<Layout, 64> table{};
    for (std::size_t f = 0; f < table.size(); ++f) table[f] = layoutOf(static_cast<std::uint8_t>(f));
    return table;
}();

const Layout& layoutFor(std::uint8_t flags) { return kLayouts[flags & 0x3F]; }

// Bits of one record, most significant first, starting behind the marker.
// A record is at most 63 bits, so it is loaded into one word.
class BitReader {
public:
    BitReader(const std::uint8_t* bytes, std::size_t count) {
        for (std::size_t k = 0; k < count; ++k) word_ |= static_cast<std::uint64_t>(bytes[k]) << (56 - 8 * k);
    }
    std::uint32_t take(int bits) {
        const std::uint64_t v = (word_ >> (64 - position_ - bits)) & ((std::uint64_t{1} << bits) - 1);
        position_ += bits;
        return static_cast<std::uint32_t>(v);
    }

private:
    std::uint64_t word_ = 0;
    int position_ = 1;
};

std::int32_t signExtended(std::uint32_t code, int bits) {
    const auto v = static_cast<std::int32_t>(code);
    return (code & (1u << (bits - 1))) != 0 ? v - (std::int32_t{1} << bits) : v;
}

double temperatureOf(std::uint32_t code, Coding coding) {
    switch (coding) {
    case Coding::WideFine: return signExtended(code, 17) / 100.0;
    case Coding::Wide: return signExtended(code, 14) / 10.0;
    case Coding::Fine: return (static_cast<std::int32_t>(code) - 4000) / 100.0;
    case Coding::Neither: break;
    }
    return signExtended(code, 11) / 10.0;
}

// Reads an error bit and the value bits; the value counts only without error.
bool field(BitReader& r, int bits, std::uint32_t& code) {
    const bool error = r.take(1) != 0;
    code = r.take(bits);
    return error;
}

MemoryRecord readRecord(const std::uint8_t* bytes, const Layout& l) {
    BitReader r(bytes, l.recordBytes);
    MemoryRecord m;
    m.humidityPresent = l.humidity;
    m.pressurePresent = l.pressure;
    m.temperature1Present = l.temperature1;
    m.temperature2Present = l.temperature2;
    m.twoDecimals = l.coding == Coding::WideFine || l.coding == Coding::Fine;
    std::uint32_t code = 0;
    if (l.humidity) {
        m.humidityError = field(r, 10, code);
        if (!m.humidityError) m.humidity = code / 10.0;
    }
    if (l.pressure) {
        m.pressureError = field(r, 14, code);
        if (!m.pressureError) m.pressure = code / 10.0;
    }
    if (l.temperature1) {
        m.temperature1Error = field(r, l.temperatureBits, code);
        if (!m.temperature1Error) m.temperature1 = temperatureOf(code, l.coding);
    }
    if (l.temperature2) {
        m.temperature2Error = field(r, l.temperatureBits, code);
        if (!m.temperature2Error) m.temperature2 = temperatureOf(code, l.coding);
    }
    return m;
}

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// Where a record lies in the image and when it was taken; the records are
// built from these once their order is known.
struct Found {
    std::int64_t seconds;   // since 2000-01-01 00:00:00
    std::size_t offset;     // of its data, behind any header
    std::uint8_t flags;     // of the header it is read with
};

// Walks the image: status bytes, erased and full blocks, headers and the
// time line. Returns the records in image order and the bytes used.
std::vector<Found> walk(const std::uint8_t* image, std::size_t length, std::int64_t& used) {
    std::vector<Found> found;
    found.reserve(length / 4);
    bool full = false;
    std::int64_t lastHeaderSeconds = -1;   // -1: no header met yet
    std::int64_t now = 0;
    std::int64_t interval = 0;             // seconds
    std::uint8_t flags = 0;

    std::size_t i = 0;
    while (i < length) {
        const std::size_t blockStart = i - i % kBlock;
        const std::size_t blockEnd = std::min(blockStart + kBlock, length);
        const std::size_t nextBlock = blockStart + kBlock;
        if (i % kBlock == 1) {
            full = image[blockStart] == kFull;
            if (full) used += static_cast<std::int64_t>(blockEnd - blockStart);
        }
        const std::uint8_t b = image[i];
        if (b == kErased) {
            // The fill after the last record, or an erased block: on to the
            // next block in use, past its status byte.
            std::size_t next = nextBlock;
            while (next < length && image[next] == kErased) next += kBlock;
            i = next + 1;
            continue;
        }
        if (i % kBlock == 0) {
            // The status byte of a block in use: block 0's counts as used. A
            // record that filled the block before to its last byte also
            // brings the cursor here; the status byte is never data.
            if (i == 0) used += 1;
            i += 1;
            continue;
        }
        const bool header = b >= 0x80;
        if (!header && lastHeaderSeconds < 0) {
            // No header yet: neither time nor layout is known, so where this
            // record ends is unknown too. The rest of the block is passed over.
            i = nextBlock;
            continue;
        }
        const std::uint8_t recordFlags = header ? b : flags;
        const std::size_t size = (header ? kHeaderBytes : 0) + layoutFor(recordFlags).recordBytes;
        if (size > blockEnd - i) {
            // Cut off by the end of the block or of the image.
            i = nextBlock;
            continue;
        }
        if (header) {
            flags = b;
            const std::int64_t t = bigEndian32(image + i + 1);
            if (t == lastHeaderSeconds) {
                now += interval;
            } else {
                lastHeaderSeconds = t;
                now = t;
                interval = 60 * ((std::int64_t{image[i + 5]} << 8) | image[i + 6]);
            }
            i += kHeaderBytes;
        } else {
            now += interval;
        }
        if (!full) used += static_cast<std::int64_t>(size);
        found.push_back({now, i, flags});
        i += layoutFor(flags).recordBytes;
    }
    return found;
}

}  // namespace

DecodedMemory decodeMemoryImage(const std::uint8_t* image, std::size_t length) {
    DecodedMemory out;
    if (image == nullptr) return out;
    std::int64_t used = 0;
    std::vector<Found> found = walk(image, length, used);
    out.usedBytes = static_cast<int>(std::min<std::int64_t>(used, INT_MAX));

    // Runs of records are in time order already unless the panel wrapped
    // around in overwrite mode; a stable sort keeps equal times in image order.
    const auto earlier = [](const Found& a, const Found& b) { return a.seconds < b.seconds; };
    if (!std::is_sorted(found.begin(), found.end(), earlier)) std::stable_sort(found.begin(), found.end(), earlier);

    out.records.reserve(found.size());
    std::int64_t day = -1;
    LocalTime date;
    for (const Found& f : found) {
        MemoryRecord& r = out.records.emplace_back(readRecord(image + f.offset, layoutFor(f.flags)));
        // Neighbouring records mostly share their day.
        if (f.seconds / 86400 != day) {
            day = f.seconds / 86400;
            date = panelTimeOf(day * 86400);
        }
        const auto secondOfDay = static_cast<int>(f.seconds - day * 86400);
        r.time = date;
        r.time.hour = secondOfDay / 3600;
        r.time.minute = secondOfDay / 60 % 60;
        r.time.second = secondOfDay % 60;
    }
    return out;
}

double saturationPressure(double celsius) {
    // T truncated toward zero must lie in -40..80; this also keeps NaN and
    // the infinities away from the conversion.
    if (!(celsius > -41.0 && celsius < 81.0)) return kOutsideSaturationTable;
    const int n = static_cast<int>(celsius);
    const auto k = static_cast<std::size_t>(n + 40);
    return kSaturation[k] + (kSaturation[k + 1] - kSaturation[k]) * (celsius - n);
}

double dewPointFromVapourPressure(double pascal) {
    // The first of the entries for -40..79 degC above e (they rise strictly);
    // none for not a number.
    const auto first = kSaturation.begin();
    const auto j = static_cast<std::size_t>(std::upper_bound(first, first + 120, pascal) - first);
    // Below the first entry there is nothing to interpolate from.
    if (j == 0 || j == 120) return kOutsideSaturationTable;
    return (static_cast<double>(j) - 41.0) + (pascal - kSaturation[j - 1]) / (kSaturation[j] - kSaturation[j - 1]);
}

void addComputedValues(MemoryRecord& r, bool dewPoint, bool vapour, double fallbackPressureHpa) {
    r.dewPointComputed = false;
    r.vapourComputed = false;
    r.dewPoint = 0;
    r.vapourPpm = 0;
    if (!r.temperature1Present || r.temperature1Error || !r.humidityPresent || r.humidityError) return;
    // Computed, but not meaningful outside the table: the value is NaN, so
    // that the column stays and shows no number ("???" in a file).
    constexpr double kNotMeaningful = std::numeric_limits<double>::quiet_NaN();
    const double es = saturationPressure(r.temperature1);
    const bool inTable = es != kOutsideSaturationTable;
    const double e = es * r.humidity * 0.01;
    if (dewPoint) {
        const double d = inTable ? dewPointFromVapourPressure(e) : kOutsideSaturationTable;
        r.dewPoint = d != kOutsideSaturationTable && std::isfinite(d) ? d : kNotMeaningful;
        r.dewPointComputed = true;
    }
    if (vapour) {
        const double p = (r.pressurePresent && !r.pressureError ? r.pressure : fallbackPressureHpa) * 100.0;
        const double ppm = p - e != 0 ? e / (p - e) * 1'000'000.0 : 0.0;
        r.vapourPpm = inTable && std::isfinite(ppm) ? ppm : kNotMeaningful;
        r.vapourComputed = true;
    }
}

}  // namespace mr420
