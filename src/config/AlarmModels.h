#pragma once
// The models of the four alarm dialogs of the "Panel" menu: the modem's alarm
// thresholds ("Ustawienia progów alarmowych modemu"), the panel's own
// signalling of exceeded values ("Sygnalizacja przekroczeń"), the low-battery
// alarm ("Bateria") and the power-loss alarm ("Sygnalizacja zaniku
// zasilania").
//
// Threshold and hysteresis values are held in tenths of the channel's unit
// (°C, % relative humidity, hPa), always within the channel's range, so that
// whatever the panel reported or the user typed, a write never sends a value
// the panel cannot take: six hexadecimal digits, negative (24-bit two's
// complement) only in the temperature slots 0 to 3.

#include <array>
#include <cstdint>

#include "base/UserMessage.h"
#include "config/ConfigController.h"

namespace mr420 {

// --- thresholds shared by the modem and exceedance dialogs --------------------------------

enum class AlarmChannel { Temperature1, Temperature2, RelativeHumidity, Pressure };
constexpr int kAlarmChannelCount = 4;

// One of the eight threshold slots: the lower and upper alarm of each channel,
// in the panel's order, each with its enable bit in the flags word.
struct ThresholdSlot {
    AlarmChannel channel;
    bool upper;           // the upper alarm; otherwise the lower
    std::uint32_t bit;    // 1 << slot
};
constexpr int kThresholdSlotCount = 8;
extern const std::array<ThresholdSlot, kThresholdSlotCount> kThresholdSlots;

// The range of a threshold or hysteresis field, in tenths, and the texts a
// field is given when it is left below or above it.
struct TenthsRange {
    std::int32_t lowest;
    std::int32_t highest;
    const char* lowestText;
    const char* highestText;

    std::int32_t clamp(std::int64_t tenths) const;
    // The text for a field that reads `value` (display units) when it lies
    // outside the range; nullptr when it is within.
    const char* correctionFor(double value) const;
};

// TEMP −200.0…550.0, RH 0.0…99.9, PRESSURE 500.0…1200.0.
const TenthsRange& thresholdRange(AlarmChannel channel);
// 0.0…100.0, but RH 0.0…99.9.
const TenthsRange& hysteresisRange(AlarmChannel channel);

// A display value in tenths, cut towards zero: 1013.2 -> 10132, -12.59 ->
// -125. A value read from a one-decimal field is exact in tenths; floating
// error in its double does not cost a tenth. Not-a-number reads 0; the result
// saturates far outside any range.
std::int64_t tenthsFromDisplay(double value);

// Both threshold dialogs' eight slots: values and enable flags.
class AlarmThresholdSet {
public:
    // Every slot at the value of an empty field (0, moved into its range:
    // the pressure slots at 500.0), none enabled.
    AlarmThresholdSet();

    // From the panel: out-of-range values take the nearest in range; flag
    // bits above the eight slots are dropped.
    void fill(const std::array<std::int32_t, kThresholdSlotCount>& tenths, std::int32_t flags);
    void store(std::array<std::int32_t, kThresholdSlotCount>& tenths, std::uint32_t& flags) const;

    std::int32_t tenths(int slot) const { return tenths_.at(static_cast<std::size_t>(slot)); }
    // A display value (°C, %, hPa): cut to tenths and held within the slot's range.
    void setValue(int slot, double value);
    bool enabled(int slot) const { return (flags_ & kThresholdSlots.at(static_cast<std::size_t>(slot)).bit) != 0; }
    void setEnabled(int slot, bool enabled);
    // The sum of the enabled slots' bits, 0..0xFF.
    std::uint32_t flags() const { return flags_; }

private:
    std::array<std::int32_t, kThresholdSlotCount> tenths_{};
    std::uint32_t flags_ = 0;
};

// --- alarm repeat time (units of 10 minutes) --------------------------------------------

constexpr int kMaxRepeatHours = 24;
constexpr int kMaxRepeatMinutes = 50;
constexpr int kMaxRepeatUnits = kMaxRepeatHours * 6 + kMaxRepeatMinutes / 10;   // 149

struct RepeatTime {
    int hours = 0;     // 0..24
    int minutes = 0;   // 0, 10, ..., 50
    bool operator==(const RepeatTime&) const = default;
};

// The hours field held within 0..24.
int limitRepeatHours(std::int64_t hours);
// The minutes field: 1 to 9 becomes 10, then down to a multiple of ten, held
// within 0..50.
int normaliseRepeatMinutes(std::int64_t minutes);
// What the panel's units show: hours = units / 6 (at most 24), minutes =
// (units mod 6) × 10, so 160 units show 24 h 40 min.
RepeatTime repeatTimeFromUnits(std::int64_t units);
// hours × 6 + minutes / 10 after the two rules above: 0..149.
int repeatTimeUnits(std::int64_t hours, std::int64_t minutes);

// --- "Ustawienia progów alarmowych modemu" ------------------------------------------------

class ModemThresholdsModel : public ConfigModel {
public:
    // The dialog opens as with empty fields.
    void reset(const PanelState& state) override;
    void fill(const PanelState& state) override;
    void store(WriteArguments& args) const override;

    AlarmThresholdSet& thresholds() { return thresholds_; }
    const AlarmThresholdSet& thresholds() const { return thresholds_; }

    std::int32_t hysteresis(AlarmChannel channel) const { return hysteresis_.at(static_cast<std::size_t>(channel)); }
    // A display value: cut to tenths and held within the channel's range.
    void setHysteresis(AlarmChannel channel, double value);

    const RepeatTime& repeatTime() const { return repeat_; }
    // The two fields as typed; the hours are limited and the minutes normalised.
    void setRepeatTime(std::int64_t hours, std::int64_t minutes);
    int repeatUnits() const { return repeatTimeUnits(repeat_.hours, repeat_.minutes); }

private:
    AlarmThresholdSet thresholds_;
    std::array<std::int32_t, kAlarmChannelCount> hysteresis_{};
    RepeatTime repeat_;
};

// --- "Sygnalizacja przekroczeń" ------------------------------------------------------------

constexpr int kMaxDeferralMinutes = 90;
int limitDeferral(std::int64_t minutes);

class ExceedanceModel : public ConfigModel {
public:
    void reset(const PanelState& state) override;
    void fill(const PanelState& state) override;
    void store(WriteArguments& args) const override;

    AlarmThresholdSet& thresholds() { return thresholds_; }
    const AlarmThresholdSet& thresholds() const { return thresholds_; }

    // Minutes, 0..90.
    int deferral() const { return deferral_; }
    void setDeferral(std::int64_t minutes) { deferral_ = limitDeferral(minutes); }

private:
    AlarmThresholdSet thresholds_;
    int deferral_ = 0;
};

// --- "Bateria" and "Sygnalizacja zaniku zasilania" ------------------------------------------

// The two radio buttons "włączone" and "wyłączone"; neither is checked until
// the panel's setting has arrived.
enum class AlarmSwitch { Unset, On, Off };

class BatteryAlarmModel : public ConfigModel {
public:
    void reset(const PanelState&) override { switch_ = AlarmSwitch::Unset; }
    void fill(const PanelState& state) override;
    // 1 when on; 0 when off or unset.
    void store(WriteArguments& args) const override;

    AlarmSwitch alarm() const { return switch_; }
    void setAlarm(AlarmSwitch alarm) { switch_ = alarm; }

private:
    AlarmSwitch switch_ = AlarmSwitch::Unset;
};

constexpr int kMaxPowerLossDelay = 60;

class PowerLossModel : public ConfigModel {
public:
    // The switch is unset until the settings arrive; the delay field shows
    // the delay as last received or confirmed.
    void reset(const PanelState&) override;
    void fill(const PanelState& state) override;
    // With the alarm on the delay field must be within 0..60 (otherwise the
    // message, and the delay is not taken); with it off, or unset, the alarm
    // is off and the delay stays.
    UserMessage accept() override;
    void store(WriteArguments& args) const override;

    AlarmSwitch alarm() const { return switch_; }
    void setAlarm(AlarmSwitch alarm) { switch_ = alarm; }
    // The delay field's value, as typed.
    std::int64_t delayField() const { return delayField_; }
    void setDelayField(std::int64_t minutes) { delayField_ = minutes; }
    // Minutes, as last received from the panel or confirmed here.
    int delay() const { return delay_; }

private:
    AlarmSwitch switch_ = AlarmSwitch::Unset;
    std::int64_t delayField_ = 0;
    int delay_ = 0;
};

}  // namespace mr420
