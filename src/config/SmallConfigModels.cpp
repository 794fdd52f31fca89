#include "config/SmallConfigModels.h"

#include <algorithm>
#include <cmath>

#include "base/StringTable.h"

namespace mr420 {

namespace {

// The panel's count of seconds for `t`, unbounded.
std::int64_t panelSeconds(const ClockTime& t) {
    static constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    constexpr std::int64_t kDay = 86400;
    std::int64_t days = std::int64_t{t.year - 2000} * 365 + (t.year - 1997) / 4;
    for (int m = 1; m < t.month && m <= 12; ++m) days += m == 2 && t.year % 4 == 0 ? 29 : kMonthDays[m - 1];
    days += t.day - 1;
    return days * kDay + std::int64_t{t.hour} * 3600 + t.minute * 60 + t.second;
}

}  // namespace

std::uint32_t panelSecondsSince2000(const ClockTime& t) {
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(panelSeconds(t), 0, UINT32_MAX));
}

// --- clock ----------------------------------------------------------------------

ClockTime ClockModel::fromPanel(const PanelClock& c) {
    return {c.year, c.month, c.day, c.hour, c.minute, c.second};
}

void ClockModel::reset(const PanelState&) {
    // Year 0 makes the first follow step differ from any source.
    kept_.year = 0;
    source_ = Source::Panel;
}

bool ClockModel::follow(const ClockTime& source) {
    if (source_ == Source::None || source == kept_) return false;
    kept_ = source;
    return true;
}

bool ClockModel::followPc() {
    if (source_ == Source::Pc) return false;
    source_ = Source::Pc;
    return true;
}

UserMessage ClockModel::accept() {
    if (kept_.year < 2000) return {string_id::kDateBefore2000, MessageIcon::Information};
    if (panelSeconds(kept_) > UINT32_MAX) return {string_id::kDateAfterPanelCount, MessageIcon::Information};
    result_ = kept_;
    return {};
}

void ClockModel::store(WriteArguments& args) const { args.clockSeconds = panelSecondsSince2000(result_); }

// --- auto-off -------------------------------------------------------------------

void AutoOffModel::fill(const PanelState& state) { setSeconds(static_cast<int>(state.autoOffTime) * 5); }

void AutoOffModel::setSeconds(int seconds) { seconds_ = std::clamp(seconds, 0, kMaxSeconds); }

int AutoOffModel::units() const {
    const int units = std::clamp(seconds_ / 5, 0, kMaxUnits);
    return units == 0 && seconds_ > 0 ? 1 : units;
}

void AutoOffModel::store(WriteArguments& args) const { args.autoOffTime = static_cast<std::uint32_t>(units()); }

// --- default pressure -------------------------------------------------------------

void DefaultPressureModel::fill(const PanelState& state) {
    setHpa(static_cast<double>(state.defaultPressure) * 2 + kMinHpa);
}

void DefaultPressureModel::setHpa(double value) {
    if (!std::isfinite(value)) value = kMinHpa;
    hpa_ = static_cast<int>(std::clamp(std::trunc(value), double{kMinHpa}, double{kMaxHpa}));
}

void DefaultPressureModel::store(WriteArguments& args) const { args.defaultPressure = static_cast<std::uint32_t>(code()); }

}  // namespace mr420
