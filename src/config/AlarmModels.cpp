#include "config/AlarmModels.h"

#include <algorithm>
#include <cmath>

#include "base/StringTable.h"

namespace mr420 {

// --- thresholds ---------------------------------------------------------------------

namespace {

using Ch = AlarmChannel;

constexpr std::size_t at(AlarmChannel channel) { return static_cast<std::size_t>(channel); }

// Indexed by AlarmChannel.
constexpr std::array<TenthsRange, kAlarmChannelCount> kThresholdRanges{{
    {-2000, 5500, "-200.0", "550.0"},
    {-2000, 5500, "-200.0", "550.0"},
    {0, 999, "0.0", "99.9"},
    {5000, 12000, "500.0", "1200.0"},
}};

constexpr std::array<TenthsRange, kAlarmChannelCount> kHysteresisRanges{{
    {0, 1000, "0.0", "100.0"},
    {0, 1000, "0.0", "100.0"},
    {0, 999, "0.0", "99.9"},
    {0, 1000, "0.0", "100.0"},
}};

// Far beyond every range, and exact in a double.
constexpr double kSaturation = 1e15;

}  // namespace

const std::array<ThresholdSlot, kThresholdSlotCount> kThresholdSlots{{
    {Ch::Temperature1, false, 0x01},
    {Ch::Temperature1, true, 0x02},
    {Ch::Temperature2, false, 0x04},
    {Ch::Temperature2, true, 0x08},
    {Ch::RelativeHumidity, false, 0x10},
    {Ch::RelativeHumidity, true, 0x20},
    {Ch::Pressure, false, 0x40},
    {Ch::Pressure, true, 0x80},
}};

const TenthsRange& thresholdRange(AlarmChannel channel) { return kThresholdRanges.at(at(channel)); }
const TenthsRange& hysteresisRange(AlarmChannel channel) { return kHysteresisRanges.at(at(channel)); }

std::int64_t tenthsFromDisplay(double value) {
    if (std::isnan(value)) return 0;
    // A field's one-decimal value such as 1013.2 may be held a hair below its
    // tenths; the nudge away from zero is far smaller than a tenth.
    const double scaled = value * 10;
    const double cut = std::trunc(scaled + (scaled < 0 ? -1e-6 : 1e-6));
    return static_cast<std::int64_t>(std::clamp(cut, -kSaturation, kSaturation));
}

std::int32_t TenthsRange::clamp(std::int64_t tenths) const {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(tenths, lowest, highest));
}

const char* TenthsRange::correctionFor(double value) const {
    const std::int64_t tenths = tenthsFromDisplay(value);
    if (tenths > highest) return highestText;
    if (tenths < lowest) return lowestText;
    return nullptr;
}

AlarmThresholdSet::AlarmThresholdSet() {
    for (std::size_t s = 0; s < tenths_.size(); ++s) tenths_[s] = thresholdRange(kThresholdSlots[s].channel).clamp(0);
}

void AlarmThresholdSet::fill(const std::array<std::int32_t, kThresholdSlotCount>& tenths, std::int32_t flags) {
    for (std::size_t s = 0; s < tenths_.size(); ++s) tenths_[s] = thresholdRange(kThresholdSlots[s].channel).clamp(tenths[s]);
    flags_ = static_cast<std::uint32_t>(flags) & 0xFFu;
}

void AlarmThresholdSet::store(std::array<std::int32_t, kThresholdSlotCount>& tenths, std::uint32_t& flags) const {
    tenths = tenths_;
    flags = flags_;
}

void AlarmThresholdSet::setValue(int slot, double value) {
    const auto s = static_cast<std::size_t>(slot);
    tenths_.at(s) = thresholdRange(kThresholdSlots.at(s).channel).clamp(tenthsFromDisplay(value));
}

void AlarmThresholdSet::setEnabled(int slot, bool enabled) {
    const std::uint32_t bit = kThresholdSlots.at(static_cast<std::size_t>(slot)).bit;
    flags_ = enabled ? flags_ | bit : flags_ & ~bit;
}

// --- repeat time ----------------------------------------------------------------------

int limitRepeatHours(std::int64_t hours) { return static_cast<int>(std::clamp<std::int64_t>(hours, 0, kMaxRepeatHours)); }

int normaliseRepeatMinutes(std::int64_t minutes) {
    if (minutes >= 1 && minutes <= 9) minutes = 10;
    minutes = minutes / 10 * 10;
    return static_cast<int>(std::clamp<std::int64_t>(minutes, 0, kMaxRepeatMinutes));
}

RepeatTime repeatTimeFromUnits(std::int64_t units) {
    units = std::max<std::int64_t>(units, 0);
    return {static_cast<int>(std::min<std::int64_t>(units / 6, kMaxRepeatHours)), static_cast<int>(units % 6) * 10};
}

int repeatTimeUnits(std::int64_t hours, std::int64_t minutes) {
    return std::min(limitRepeatHours(hours) * 6 + normaliseRepeatMinutes(minutes) / 10, kMaxRepeatUnits);
}

// --- modem thresholds -------------------------------------------------------------------

void ModemThresholdsModel::reset(const PanelState&) {
    thresholds_ = AlarmThresholdSet{};
    for (std::size_t c = 0; c < hysteresis_.size(); ++c) hysteresis_[c] = kHysteresisRanges[c].clamp(0);
    repeat_ = {};
}

void ModemThresholdsModel::fill(const PanelState& state) {
    thresholds_.fill(state.alarmThresholds, state.alarmThresholdFlags);
    for (std::size_t c = 0; c < hysteresis_.size(); ++c) hysteresis_[c] = kHysteresisRanges[c].clamp(state.alarmHysteresis[c]);
    repeat_ = repeatTimeFromUnits(state.alarmRepeatTime);
}

void ModemThresholdsModel::setHysteresis(AlarmChannel channel, double value) {
    hysteresis_.at(at(channel)) = hysteresisRange(channel).clamp(tenthsFromDisplay(value));
}

void ModemThresholdsModel::setRepeatTime(std::int64_t hours, std::int64_t minutes) {
    repeat_ = {limitRepeatHours(hours), normaliseRepeatMinutes(minutes)};
}

void ModemThresholdsModel::store(WriteArguments& args) const {
    thresholds_.store(args.alarmThresholds, args.alarmThresholdFlags);
    args.alarmHysteresis = hysteresis_;
    args.alarmRepeatTime = static_cast<std::uint32_t>(repeatUnits());
}

// --- exceedance ---------------------------------------------------------------------------

int limitDeferral(std::int64_t minutes) { return static_cast<int>(std::clamp<std::int64_t>(minutes, 0, kMaxDeferralMinutes)); }

void ExceedanceModel::reset(const PanelState&) {
    thresholds_ = AlarmThresholdSet{};
    deferral_ = 0;
}

void ExceedanceModel::fill(const PanelState& state) {
    thresholds_.fill(state.exceedanceLimits, state.exceedanceFlags);
    deferral_ = limitDeferral(state.exceedanceDelay);
}

void ExceedanceModel::store(WriteArguments& args) const {
    thresholds_.store(args.exceedanceLimits, args.exceedanceFlags);
    args.exceedanceDelay = static_cast<std::uint32_t>(deferral_);
}

// --- battery and power loss ---------------------------------------------------------------

void BatteryAlarmModel::fill(const PanelState& state) {
    switch_ = state.batteryAlarm != 0 ? AlarmSwitch::On : AlarmSwitch::Off;
}

void BatteryAlarmModel::store(WriteArguments& args) const { args.batteryAlarm = switch_ == AlarmSwitch::On ? 1 : 0; }

void PowerLossModel::reset(const PanelState&) {
    switch_ = AlarmSwitch::Unset;
    delayField_ = delay_;
}

void PowerLossModel::fill(const PanelState& state) {
    switch_ = state.powerLossAlarm != 0 ? AlarmSwitch::On : AlarmSwitch::Off;
    // Kept as the panel has it (four hexadecimal digits on the wire), so that
    // a write with the alarm off gives it back unchanged.
    delay_ = std::clamp<std::int32_t>(state.powerLossDelay, 0, 0xFFFF);
    delayField_ = delay_;
}

UserMessage PowerLossModel::accept() {
    if (switch_ != AlarmSwitch::On) {
        switch_ = AlarmSwitch::Off;
        return {};
    }
    if (delayField_ < 0 || delayField_ > kMaxPowerLossDelay) return {string_id::kPowerLossDelayRange, MessageIcon::None};
    delay_ = static_cast<int>(delayField_);
    return {};
}

void PowerLossModel::store(WriteArguments& args) const {
    args.powerLossAlarm = switch_ == AlarmSwitch::On ? 1 : 0;
    args.powerLossDelay = static_cast<std::uint32_t>(delay_);
}

}  // namespace mr420
