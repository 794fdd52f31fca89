#include "sim/PanelModel.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace mr420::sim {

std::uint8_t PanelModel::blockStatus(int k) const {
    const std::size_t at = static_cast<std::size_t>(k) * kBlockBytes;
    if (k < 0 || k >= kMaxMemoryBlocks || at >= memoryImage.size()) return 0xFF;
    return memoryImage[at];
}

std::array<std::uint8_t, kBlockBytes> PanelModel::block(int k) const {
    std::array<std::uint8_t, kBlockBytes> out;
    out.fill(0xFF);
    if (k < 0 || k >= kMaxMemoryBlocks) return out;
    const std::size_t at = static_cast<std::size_t>(k) * kBlockBytes;
    for (std::size_t i = 0; i < kBlockBytes && at + i < memoryImage.size(); ++i) out[i] = memoryImage[at + i];
    return out;
}

void PanelModel::eraseMemory() { std::fill(memoryImage.begin(), memoryImage.end(), 0xFF); }

void deriveHumidityValues(Readings& r) {
    if (r.relativeHumidity <= 0) return;
    const double t = r.temperature1;
    const double gamma = std::log(r.relativeHumidity / 100.0) + 17.62 * t / (243.12 + t);
    r.dewPoint = 243.12 * gamma / (17.62 - gamma);
    const double es = 611.2 * std::exp(17.62 * t / (243.12 + t));
    const double e = es * r.relativeHumidity / 100.0;
    const double p = r.pressure * 100.0;
    if (p - e > 0) r.waterVapourPpm = std::round(e / (p - e) * 1e6);
}

std::uint32_t panelSecondsOf(int year, int month, int day, int hour, int minute, int second) {
    static constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    std::uint32_t days = 0;
    for (int y = 2000; y < year; ++y) days += (y % 4 == 0) ? 366 : 365;
    for (int m = 1; m < month; ++m) days += static_cast<std::uint32_t>(kMonthDays[m - 1] + (m == 2 && year % 4 == 0 ? 1 : 0));
    days += static_cast<std::uint32_t>(day - 1);
    return days * 86400u + static_cast<std::uint32_t>(hour * 3600 + minute * 60 + second);
}

std::uint32_t panelSecondsNow() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    if (local.tm_year + 1900 < 2000) return 0;
    return panelSecondsOf(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                          local.tm_sec);
}

}  // namespace mr420::sim
