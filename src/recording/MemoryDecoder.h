#pragma once
// Decoder of the panel's memory image, and the dew point and water-vapour
// content the memory list adds to each record.
//
// The image is a run of 256-byte blocks. Each block starts with a status byte
// (0xFF erased, 1 full, anything else in use); records follow, and the rest of
// a block after its last record is 0xFF. A 7-byte header (flags, seconds since
// 2000-01-01 00:00:00, interval in minutes) starts a run and carries the time
// of the record behind it; every record without a header is one interval
// later than the one before. A header that repeats the seconds of the previous
// header also continues the time line, with its own flags. Records are
// bit-packed behind a 0 marker bit: per quantity present an error bit and the
// value bits (humidity, pressure, temperature 1, temperature 2).
//
// The decoder reads only what it is given and knows nothing of the session
// that fetched the blocks.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "recording/MemoryRecord.h"

namespace mr420 {

// What the table functions return where the saturation table has no answer.
constexpr double kOutsideSaturationTable = -1000.0;

struct DecodedMemory {
    // In time order; records with equal times in the order they lie in the
    // image. Dew point and water-vapour content are not filled in here
    // (addComputedValues does that).
    std::vector<MemoryRecord> records;
    // Bytes occupied by records, for the usage text: the status byte of block
    // 0 when that block is not erased, 256 for every block marked full (the
    // bytes a shorter last block holds), and for every other block its
    // headers and records. Never more than the image length + 1.
    int usedBytes = 0;
};

// Decodes the first `length` bytes of `image`; reads nothing outside them.
// Any bytes decode to some records:
// - a record met before any header has neither a time nor a known field
//   layout; it and the rest of its block are passed over;
// - a header or record that does not fit in the rest of its block (or of the
//   image) is not decoded, and decoding goes on with the next block;
// - a record that ends on the last byte of its block is followed by the next
//   block's status byte, which is taken as a status byte, never as data;
// - the calendar has a leap year every fourth year from 2000 on, also past
//   2100.
DecodedMemory decodeMemoryImage(const std::uint8_t* image, std::size_t length);

// Saturation water-vapour pressure in Pa over the table of 1 degC steps from
// -40 to +82 degC: linear between the entries of the whole degrees T truncates
// to (so a temperature just below zero, or just below -40, extends the step
// above it). kOutsideSaturationTable when T truncates to a degree outside
// -40..80, or is not a number.
double saturationPressure(double celsius);

// The temperature whose saturation pressure is `pascal`, linear between the
// table entries. kOutsideSaturationTable below the first entry (a dew point
// under -40 degC), from the entry of 79 degC on, or for not a number.
double dewPointFromVapourPressure(double pascal);

// Sets dew point and water-vapour content of a record as the memory list
// shows them. Both flags are cleared (and both values set to 0) first; then,
// only when temperature 1 and humidity are both present and free of error:
// e = saturationPressure(temperature 1) x humidity / 100 (Pa);
// - with `dewPoint`: dewPoint = dewPointFromVapourPressure(e) and
//   dewPointComputed = true;
// - with `vapour`: P = the record's pressure when it is present and free of
//   error, else `fallbackPressureHpa` (hPa x 100 = Pa); vapourPpm =
//   e / (P - e) x 1 000 000, or 0 when P = e; vapourComputed = true.
// A value that is not meaningful keeps its flag set (the column stays) and
// is NaN: temperature 1 outside the table (both values), a vapour pressure
// below the table's first entry or above its last (the dew point), a result
// that is not finite (either). The list shows an empty cell for it, the text
// and CSV files "???", and the .qvg record leaves it out.
void addComputedValues(MemoryRecord& record, bool dewPoint, bool vapour, double fallbackPressureHpa);

}  // namespace mr420
