#pragma once
// The model of "Ustawienia rejestracji": how often the panel logs into its own
// memory (days, hours and minutes, or not at all), which channels it logs,
// the temperature range and resolution and whether a full memory is
// overwritten; besides, the two optional columns ("Punkt rosy", "Zaw. pary")
// of the memory read-out, which are the program's settings, not the panel's.
//
// The panel keeps an interval in minutes (0 = no logging) and a flags word
// whose bits 2 to 4 exclude a channel while bit 8 includes temperature 2.
// Values a reply cannot mean (an interval beyond 44 days 23 hours 59
// minutes, bits 9 to 15, both "automatic" and a fixed choice) show as the
// nearest valid setting, and only valid settings are ever written back.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/UserMessage.h"
#include "config/ConfigController.h"

namespace mr420 {

// The bits of the panel's logging flags word.
namespace logging_flag {
constexpr std::uint32_t kHundredths = 1u << 0;       // temperature resolution 0.01
constexpr std::uint32_t kWideRange = 1u << 1;        // temperature range -200...+550
constexpr std::uint32_t kNoTemperature1 = 1u << 2;   // TEMP1 is not logged
constexpr std::uint32_t kNoHumidity = 1u << 3;       // RH is not logged
constexpr std::uint32_t kNoPressure = 1u << 4;       // PRESSURE is not logged
constexpr std::uint32_t kOverwrite = 1u << 5;        // a full memory is overwritten
constexpr std::uint32_t kAutoResolution = 1u << 6;   // the panel chooses the resolution
constexpr std::uint32_t kAutoRange = 1u << 7;        // the panel chooses the range
constexpr std::uint32_t kTemperature2 = 1u << 8;     // TEMP2 is logged
constexpr std::uint32_t kKnown = (1u << 9) - 1;      // bits 9 to 15 are always written as 0
}  // namespace logging_flag

enum class LoggingRange { Auto, Narrow /* -40...+85 */, Wide /* -200...+550 */ };
enum class LoggingResolution { Auto, Tenths /* 0.1 */, Hundredths /* 0.01 */ };
enum class LoggingField { Days, Hours, Minutes };   // the three interval fields

class LoggingSettingsModel : public ConfigModel {
public:
    static constexpr int kMaxInterval = 44 * 1440 + 23 * 60 + 59;   // 64799 minutes
    static constexpr int kTemperature2Firmware = 128;               // "Temperatura 2" from version 1.28
    // The largest value of a field: 44 days, 23 hours, 59 minutes.
    static int maximum(LoggingField field);

    // A new showing: the controls keep the last showing's values, the
    // column choices show what the program holds now, and temperature 2 is
    // offered only if the panel's firmware knows it.
    void reset(const PanelState& state) override;
    // The reply to 040000: interval and flags into the controls.
    void fill(const PanelState& state) override;
    // After OK: the accepted interval and flags word.
    void store(WriteArguments& args) const override;

    // --- the controls -------------------------------------------------------
    // "Zapisuj pomiary do pamięci"; it enables the three interval fields.
    bool loggingOn() const { return loggingOn_; }
    void setLoggingOn(bool on) { loggingOn_ = on; }
    bool intervalFieldsEnabled() const { return loggingOn_; }

    // The interval fields. A changed text (typed, stepped or filled) sets the
    // field's value from the number at its start, held within 0..maximum;
    // the text the field must show instead is returned when the number was
    // outside. Leaving a field does the same and also writes "0" for a value
    // of 0 or less, an empty field included.
    std::optional<std::string> fieldTextChanged(LoggingField field, std::string_view text);
    std::optional<std::string> fieldLeft(LoggingField field, std::string_view text);
    int fieldValue(LoggingField field) const;
    std::string fieldText(LoggingField field) const { return std::to_string(fieldValue(field)); }
    // The interval the fields hold, in minutes.
    int fieldsInterval() const;

    bool temperature1() const { return temperature1_; }
    bool humidity() const { return humidity_; }
    bool pressure() const { return pressure_; }
    bool temperature2() const { return temperature2_; }
    bool temperature2Available() const { return temperature2Available_; }
    // Unchecking "Temperatura 1" or "Wilgotność względna" unchecks both
    // column boxes.
    void setTemperature1(bool on);
    void setHumidity(bool on);
    void setPressure(bool on) { pressure_ = on; }
    // Ignored while the firmware does not offer temperature 2.
    void setTemperature2(bool on) { temperature2_ = on && temperature2Available_; }

    LoggingRange range() const { return range_; }
    void setRange(LoggingRange range) { range_ = range; }
    LoggingResolution resolution() const { return resolution_; }
    void setResolution(LoggingResolution resolution) { resolution_ = resolution; }
    bool overwrite() const { return overwrite_; }
    void setOverwrite(bool on) { overwrite_ = on; }

    // The "Punkt rosy" and "Zawartość pary wodnej" boxes: enabled only while
    // both "Temperatura 1" and "Wilgotność względna" are checked, and
    // unchecked otherwise (setting them then is ignored).
    bool columnBoxesEnabled() const { return temperature1_ && humidity_; }
    bool dewPointBox() const { return dewPointBox_; }
    bool vapourBox() const { return vapourBox_; }
    void setDewPointBox(bool on) { dewPointBox_ = on && columnBoxesEnabled(); }
    void setVapourBox(bool on) { vapourBox_ = on && columnBoxesEnabled(); }

    // The flags word the controls stand for (bits 9 to 15 clear).
    std::uint32_t controlsFlags() const;

    // --- OK ------------------------------------------------------------------
    // Takes the controls as the result: the interval (0 with logging off),
    // the flags word and the two column choices. A logged interval outside
    // 1..64799 minutes is refused with its message (information icon), and
    // nothing changes.
    UserMessage accept() override;
    int interval() const { return interval_; }
    std::uint32_t flags() const { return flags_; }

    // --- the program's column choices of the memory read-out ------------------
    // Set before the dialog is shown (MEMORY_DP, MEMORY_PPM); the boxes show
    // them, and they take the boxes only on OK.
    bool dewPointColumn() const { return dewPointColumn_; }
    bool vapourColumn() const { return vapourColumn_; }
    void setDewPointColumn(bool on) { dewPointColumn_ = on; }
    void setVapourColumn(bool on) { vapourColumn_ = on; }

private:
    int& field(LoggingField f);
    void applyColumnRule();

    // Controls; before the first reply they stand for flags 0 and no logging.
    bool loggingOn_ = false;
    int days_ = 0, hours_ = 0, minutes_ = 0;
    bool temperature1_ = true, humidity_ = true, pressure_ = true, temperature2_ = false;
    bool temperature2Available_ = false;
    LoggingRange range_ = LoggingRange::Narrow;
    LoggingResolution resolution_ = LoggingResolution::Tenths;
    bool overwrite_ = false;
    bool dewPointBox_ = true, vapourBox_ = true;

    // Results.
    int interval_ = 0;
    std::uint32_t flags_ = 0;
    bool dewPointColumn_ = true, vapourColumn_ = true;
};

}  // namespace mr420
