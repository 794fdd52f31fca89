// Memory image decoder against arbitrary bytes: the input is the image, of
// any length. Reads outside it are caught by the sanitizers; the checks below
// hold for every image: the usage count stays within the image, every record
// takes at least one byte, the records come out in time order with a valid
// calendar time, each value fits its code, and the computed dew point and
// water-vapour content are either meaningful, not a number (not meaningful)
// or marked as not computed.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <tuple>

#include "recording/MemoryDecoder.h"
#include "AsanOptions.h"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

int daysIn(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return kDays[month - 1] + (month == 2 && year % 4 == 0 ? 1 : 0);
}

auto key(const mr420::LocalTime& t) { return std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const mr420::DecodedMemory d = mr420::decodeMemoryImage(data, size);
    check(d.usedBytes >= 0);
    check(static_cast<std::size_t>(d.usedBytes) <= size + 1);
    check(d.records.size() <= size);

    for (std::size_t k = 0; k < d.records.size(); ++k) {
        mr420::MemoryRecord r = d.records[k];
        const mr420::LocalTime& t = r.time;
        check(t.year >= 2000 && t.month >= 1 && t.month <= 12);
        check(t.day >= 1 && t.day <= daysIn(t.year, t.month));
        check(t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 && t.second >= 0 && t.second < 60);
        if (k > 0) check(key(d.records[k - 1].time) <= key(t));

        check(r.humidity >= 0 && r.humidity <= 102.3);
        check(r.pressure >= 0 && r.pressure <= 1638.3);
        for (double temperature : {r.temperature1, r.temperature2}) check(temperature >= -819.2 && temperature <= 819.1);
        check(!r.humidityError || r.humidity == 0);
        check(!r.pressureError || r.pressure == 0);
        check(!r.temperature1Error || r.temperature1 == 0);
        check(!r.temperature2Error || r.temperature2 == 0);
        check(!r.twoDecimals || r.temperature1Present);
        check(!r.dewPointComputed && !r.vapourComputed);

        mr420::addComputedValues(r, true, true, 1013.25);
        // Not meaningful is NaN (an empty cell, "???" in a file); any number is real.
        if (r.dewPointComputed) check(std::isnan(r.dewPoint) || (r.dewPoint >= -40.0 && r.dewPoint < 79.0));
        if (r.vapourComputed) check(std::isnan(r.vapourPpm) || std::isfinite(r.vapourPpm));
        const bool usable = r.temperature1Present && !r.temperature1Error && r.humidityPresent && !r.humidityError;
        if (!usable) check(!r.dewPointComputed && !r.vapourComputed);
    }
    return 0;
}
