#include "sim/PanelModel.h"

#include <algorithm>
#include <cmath>

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

std::uint32_t panelSecondsNow() { return panelSecondsSince2000(localTimeNow()); }

}  // namespace mr420::sim
