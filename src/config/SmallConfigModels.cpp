#include "config/SmallConfigModels.h"

#include <algorithm>
#include <cmath>

#include "base/StringTable.h"

namespace mr420 {

// --- clock ----------------------------------------------------------------------

void ClockModel::reset(const PanelState&) {
    // Year 0 makes the first follow step differ from any source.
    kept_.year = 0;
    source_ = Source::Panel;
}

bool ClockModel::follow(const LocalTime& source) {
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
    if (panelSecondsOf(kept_) > UINT32_MAX) return {string_id::kDateAfterPanelCount, MessageIcon::Information};
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
