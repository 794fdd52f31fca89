#include "config/LoggingSettingsModel.h"

#include <algorithm>

#include "base/NumberText.h"
#include "base/StringTable.h"

namespace mr420 {

namespace {

constexpr int kMinutesPerDay = 1440;
constexpr int kMinutesPerHour = 60;

}  // namespace

int LoggingSettingsModel::maximum(LoggingField f) {
    switch (f) {
    case LoggingField::Days: return 44;
    case LoggingField::Hours: return 23;
    case LoggingField::Minutes: return 59;
    }
    return 0;
}

int& LoggingSettingsModel::field(LoggingField f) {
    switch (f) {
    case LoggingField::Days: return days_;
    case LoggingField::Hours: return hours_;
    case LoggingField::Minutes: break;
    }
    return minutes_;
}

int LoggingSettingsModel::fieldValue(LoggingField f) const {
    switch (f) {
    case LoggingField::Days: return days_;
    case LoggingField::Hours: return hours_;
    case LoggingField::Minutes: break;
    }
    return minutes_;
}

int LoggingSettingsModel::fieldsInterval() const { return days_ * kMinutesPerDay + hours_ * kMinutesPerHour + minutes_; }

std::optional<std::string> LoggingSettingsModel::fieldTextChanged(LoggingField f, std::string_view text) {
    const int number = leadingNumber(text);
    const int max = maximum(f);
    field(f) = std::clamp(number, 0, max);
    if (number > max) return std::to_string(max);
    if (number < 0) return std::string("0");
    return std::nullopt;
}

std::optional<std::string> LoggingSettingsModel::fieldLeft(LoggingField f, std::string_view text) {
    auto rewritten = fieldTextChanged(f, text);
    if (!rewritten && leadingNumber(text) <= 0 && text != "0") rewritten = "0";
    return rewritten;
}

void LoggingSettingsModel::setTemperature1(bool on) {
    temperature1_ = on;
    applyColumnRule();
}

void LoggingSettingsModel::setHumidity(bool on) {
    humidity_ = on;
    applyColumnRule();
}

void LoggingSettingsModel::applyColumnRule() {
    if (columnBoxesEnabled()) return;
    dewPointBox_ = false;
    vapourBox_ = false;
}

void LoggingSettingsModel::reset(const PanelState& state) {
    temperature2Available_ = state.firmwareVersion >= kTemperature2Firmware;
    if (!temperature2Available_) temperature2_ = false;
    dewPointBox_ = dewPointColumn_;
    vapourBox_ = vapourColumn_;
    applyColumnRule();
}

void LoggingSettingsModel::fill(const PanelState& state) {
    namespace F = logging_flag;
    const auto bits = static_cast<std::uint32_t>(state.loggingFlags) & 0xFFFFu;
    // A reply with both "automatic" and a fixed choice shows "Auto": the
    // panel then chooses, and OK writes one consistent choice.
    if (bits & F::kAutoResolution)
        resolution_ = LoggingResolution::Auto;
    else
        resolution_ = bits & F::kHundredths ? LoggingResolution::Hundredths : LoggingResolution::Tenths;
    if (bits & F::kAutoRange)
        range_ = LoggingRange::Auto;
    else
        range_ = bits & F::kWideRange ? LoggingRange::Wide : LoggingRange::Narrow;
    temperature1_ = !(bits & F::kNoTemperature1);
    humidity_ = !(bits & F::kNoHumidity);
    pressure_ = !(bits & F::kNoPressure);
    overwrite_ = (bits & F::kOverwrite) != 0;
    temperature2Available_ = state.firmwareVersion >= kTemperature2Firmware;
    temperature2_ = temperature2Available_ && (bits & F::kTemperature2);

    // An interval beyond the fields (up to 65535 in a reply) shows as the
    // longest they hold.
    const int interval = std::clamp(static_cast<int>(state.loggingInterval), 0, kMaxInterval);
    days_ = interval / kMinutesPerDay;
    hours_ = interval % kMinutesPerDay / kMinutesPerHour;
    minutes_ = interval % kMinutesPerHour;
    loggingOn_ = state.loggingInterval > 0;

    dewPointBox_ = dewPointColumn_;
    vapourBox_ = vapourColumn_;
    applyColumnRule();
}

std::uint32_t LoggingSettingsModel::controlsFlags() const {
    namespace F = logging_flag;
    std::uint32_t flags = 0;
    if (resolution_ == LoggingResolution::Hundredths) flags |= F::kHundredths;
    if (range_ == LoggingRange::Wide) flags |= F::kWideRange;
    if (!temperature1_) flags |= F::kNoTemperature1;
    if (!humidity_) flags |= F::kNoHumidity;
    if (!pressure_) flags |= F::kNoPressure;
    if (overwrite_) flags |= F::kOverwrite;
    if (resolution_ == LoggingResolution::Auto) flags |= F::kAutoResolution;
    if (range_ == LoggingRange::Auto) flags |= F::kAutoRange;
    if (temperature2_ && temperature2Available_) flags |= F::kTemperature2;
    return flags;
}

UserMessage LoggingSettingsModel::accept() {
    int interval = 0;
    if (loggingOn_) {
        interval = fieldsInterval();
        if (interval < 1 || interval > kMaxInterval)
            return {string_id::kLoggingIntervalRange, MessageIcon::Information};
    }
    interval_ = interval;
    flags_ = controlsFlags();
    dewPointColumn_ = dewPointBox_;
    vapourColumn_ = vapourBox_;
    return {};
}

void LoggingSettingsModel::store(WriteArguments& args) const {
    args.loggingInterval = static_cast<std::uint32_t>(interval_);
    args.loggingFlags = flags_;
}

}  // namespace mr420
