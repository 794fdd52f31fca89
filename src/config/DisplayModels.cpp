#include "config/DisplayModels.h"

#include <cstdio>
#include <cstdlib>

#include "base/StringTable.h"
#include "base/TextFill.h"

namespace mr420 {

namespace {

// printf of a fixed format into a string of any length.
template <typename... Args>
std::string format(const char* fmt, Args... args) {
    const int n = std::snprintf(nullptr, 0, fmt, args...);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), fmt, args...);
    out.resize(static_cast<std::size_t>(n));
    return out;
}

// "caption value" lines of the information texts.
std::string numberLine(int captionId, long long value) { return str(captionId) + " " + std::to_string(value) + "\n"; }

// A calibration date: month with two digits, then the year.
std::string calibrationDate(std::int32_t month, std::int32_t year) { return format("%02d-%d", month, year); }

}  // namespace

// --- display flags ------------------------------------------------------------------

namespace {
constexpr std::uint32_t kResolutionHundredth = 0x01;
constexpr std::uint32_t kResolutionAutomatic = 0x02;
constexpr std::uint32_t kPressureMmHg = 0x04;
constexpr std::uint32_t kField3Pressure = 0x08;
constexpr int kField4Shift = 4;
constexpr std::uint32_t kField4Mask = 0x30;
}  // namespace

DisplayChoices DisplayChoices::fromWord(std::uint32_t word) {
    DisplayChoices c;
    if (word & kResolutionHundredth)
        c.resolution = TemperatureResolution::Hundredth;
    else if (word & kResolutionAutomatic)
        c.resolution = TemperatureResolution::Automatic;
    else
        c.resolution = TemperatureResolution::Tenth;
    c.pressureUnit = word & kPressureMmHg ? PressureUnit::MmHg : PressureUnit::Hpa;
    c.field3 = word & kField3Pressure ? DisplayField3::Pressure : DisplayField3::DewPoint;
    c.field4 = static_cast<DisplayField4>((word & kField4Mask) >> kField4Shift);
    return c;
}

std::uint32_t DisplayChoices::toWord() const {
    std::uint32_t word = 0;
    if (resolution == TemperatureResolution::Hundredth) word |= kResolutionHundredth;
    if (resolution == TemperatureResolution::Automatic) word |= kResolutionAutomatic;
    if (pressureUnit == PressureUnit::MmHg) word |= kPressureMmHg;
    if (field3 == DisplayField3::Pressure) word |= kField3Pressure;
    word |= (static_cast<std::uint32_t>(field4) << kField4Shift) & kField4Mask;
    return word;
}

void DisplayFlagsModel::fill(const PanelState& state) {
    choices_ = DisplayChoices::fromWord(static_cast<std::uint32_t>(state.displayFlags));
}

void DisplayFlagsModel::store(WriteArguments& args) const { args.displayFlags = choices_.toWord(); }

// --- history display ----------------------------------------------------------------

namespace {
constexpr std::uint32_t kHistoryHumidity = 0x01;
constexpr std::uint32_t kHistoryTemperature1 = 0x02;
constexpr std::uint32_t kHistoryPressure = 0x04;
constexpr std::uint32_t kHistoryTemperature2 = 0x08;
constexpr std::uint32_t kHistoryAutomatic = 0x80;
}  // namespace

HistoryChoices HistoryChoices::fromWord(std::uint32_t word) {
    HistoryChoices c;
    c.automatic = (word & kHistoryAutomatic) != 0;
    c.temperature2 = (word & kHistoryTemperature2) != 0;
    c.pressure = (word & kHistoryPressure) != 0;
    c.temperature1 = (word & kHistoryTemperature1) != 0;
    c.relativeHumidity = (word & kHistoryHumidity) != 0;
    return c;
}

std::uint32_t HistoryChoices::toWord() const {
    std::uint32_t word = 0;
    if (automatic) word |= kHistoryAutomatic;
    if (temperature2) word |= kHistoryTemperature2;
    if (pressure) word |= kHistoryPressure;
    if (temperature1) word |= kHistoryTemperature1;
    if (relativeHumidity) word |= kHistoryHumidity;
    return word;
}

void HistoryDisplayModel::fill(const PanelState& state) {
    choices_ = HistoryChoices::fromWord(static_cast<std::uint32_t>(state.historyDisplay));
}

void HistoryDisplayModel::store(WriteArguments& args) const { args.historyDisplay = choices_.toWord(); }

// --- panel information --------------------------------------------------------------

std::string firmwareVersionText(std::int32_t version) {
    const long long v = version;
    return format("%s%lld.%02lld", v < 0 ? "-" : "", std::llabs(v) / 100, std::llabs(v) % 100);
}

std::string panelSummaryText(const PanelState& s) {
    using namespace string_id;
    std::string text = str(kInfoPanelFirmware) + " " + firmwareVersionText(s.firmwareVersion) + "\n";
    text += numberLine(kInfoSerialNumber, s.panelSerialNumber);
    text += fillIn(str(kInfoMemorySize), {std::to_string(s.memorySizeBlocks)}, "d");
    // Without a pressure measurement the panel reports its default pressure
    // as the reading.
    if (s.pressureAbsent && !s.pressureError)
        text += "\n" + str(kInfoDefaultPressure) + format(" %.0f hPa", s.pressure);
    if (s.barometerPresent)
        text += "\n" + str(kInfoBarometerCalibration) + " " +
                calibrationDate(s.barometerCalibrationMonth, s.barometerCalibrationYear);
    if (s.modemSupported) text += "\n" + str(kInfoModemSupport);
    return text;
}

std::string probeSummaryText(const PanelState& s) {
    using namespace string_id;
    // A panel carries one probe; the MR-411 is looked at first.
    if (!s.mr411Absent) {
        return str(kInfoProbeMr411) + "\n" + numberLine(kInfoSerialNumber, s.mr411SerialNumber) +
               str(kInfoProbeVersion) + " p" + std::to_string(s.mr411Version) + "\n" + str(kInfoCalibrationDate) +
               " " + calibrationDate(s.mr411CalibrationMonth, s.mr411CalibrationYear) + "\n";
    }
    if (!s.mr466Absent) {
        return str(kInfoProbeMr466) + "\n" + numberLine(kInfoSerialNumber, s.mr466SerialNumber) +
               str(kInfoCalibrationDate) + " " + calibrationDate(s.mr466CalibrationMonth, s.mr466CalibrationYear) +
               "\n";
    }
    return {};
}

void PanelInfoModel::reset(const PanelState&) {
    panelText_.clear();
    probeText_.clear();
}

void PanelInfoModel::fill(const PanelState& state) {
    panelText_ = panelSummaryText(state);
    probeText_ = probeSummaryText(state);
}

}  // namespace mr420
