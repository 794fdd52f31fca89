#include "base/ValueFormat.h"

#include <charconv>

#include <cmath>
#include <cstdio>

namespace mr420 {

std::string formatNumber(const char* format, double value) {
    char buffer[64];
    int n = std::snprintf(buffer, sizeof buffer, format, value);
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < sizeof buffer) return std::string(buffer, static_cast<std::size_t>(n));
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), format, value);
    big.resize(static_cast<std::size_t>(n));
    return big;
}

double cutToTenths(double value) {
    if (!std::isfinite(value)) return value;
    // Beyond this the hundredths no longer fit a 64-bit integer; such values
    // have no fraction worth cutting.
    if (std::fabs(value) >= 9.0e16) return std::trunc(value);
    long long hundredths = std::llround(value * 100.0);
    long long tenths = hundredths / 10;   // integer division cuts toward zero
    return static_cast<double>(tenths) / 10.0;
}

std::string formatTenthsCut(double value) { return formatNumber("%.1f", cutToTenths(value)); }

std::string formatOneOrTwoDecimals(double value, bool twoDecimals) {
    return twoDecimals ? formatNumber("%.2f", value) : formatTenthsCut(value);
}

PaneValueText formatPaneValue(int displayKind, double value, bool showUnit, bool twoDecimals) {
    using namespace display_kind;
    if (showUnit) {
        switch (displayKind) {
        case kIrradiance: return {formatNumber("%.1f W/m", value), "2"};
        case kIlluminance: return {formatNumber("%.2f kLx", value), {}};
        case kTemperature:
            return {twoDecimals ? formatNumber("%.2f °C", value) : formatTenthsCut(value) + " °C", {}};
        case kDirection: return {formatNumber("%.0f °", value), {}};
        case kPressure: return {formatNumber("%.1f hPa", value), {}};
        case kSpeed: return {formatNumber("%.1f m/s", value), {}};
        case kHumidity: return {formatTenthsCut(value) + " %", {}};
        case kPpm: return {formatNumber("%.0f ppm", value), {}};
        default: return {};
        }
    }
    switch (displayKind) {
    case kIlluminance: return {formatNumber("%.2f", value), {}};
    case kDirection:
    case kPpm: return {formatNumber("%.0f", value), {}};
    case kIrradiance:
    case kTemperature:
    case kPressure:
    case kSpeed:
    case kHumidity: return {formatOneOrTwoDecimals(value, twoDecimals), {}};
    default: return {};
    }
}

std::string formatFullStop(double value, int decimals) {
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) return "0";
    return std::string(buffer, result.ptr);
}

}  // namespace mr420
