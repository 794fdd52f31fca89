#pragma once
// The models of the three display dialogs of the "Panel" menu: what the
// panel's own display shows ("Ustawienia flag wyświetlania panelu"), which
// channels its history view offers ("Ustawienia wyświetlania historii na
// panelu"), and the read-only summary of the panel, its probe, barometer
// module and options ("Informacje o panelu").

#include <cstdint>
#include <string>

#include "config/ConfigController.h"

namespace mr420 {

// --- display flags ------------------------------------------------------------------
//
// The displayFlags word:
//   bit 0 (1)        temperature resolution 0.01
//   bit 1 (2)        temperature resolution automatic (read only while bit 0 is clear)
//   neither          temperature resolution 0.1
//   bit 2 (4)        pressure in mmHg (clear: hPa)
//   bit 3 (8)        display field 3 shows the pressure (clear: the dew point)
//   bits 4-5 (16,32) display field 4: 0 water vapour, 1 dew point, 2 clock, 3 pressure unit
// Bits 6 to 15 carry no display setting: a reply's are not shown and a write
// sends them as 0.

enum class TemperatureResolution { Tenth, Hundredth, Automatic };
enum class PressureUnit { Hpa, MmHg };
enum class DisplayField3 { DewPoint, Pressure };
enum class DisplayField4 { WaterVapour = 0, DewPoint = 1, Clock = 2, PressureUnit = 3 };

struct DisplayChoices {
    TemperatureResolution resolution = TemperatureResolution::Tenth;
    PressureUnit pressureUnit = PressureUnit::Hpa;
    DisplayField3 field3 = DisplayField3::DewPoint;
    DisplayField4 field4 = DisplayField4::WaterVapour;
    bool operator==(const DisplayChoices&) const = default;

    // Any word decodes to one choice per group: 0.01 wins over automatic,
    // bits 6-15 are ignored.
    static DisplayChoices fromWord(std::uint32_t word);
    // 0..0x3F.
    std::uint32_t toWord() const;
};

// "Ustawienia flag wyświetlania panelu". The choices stay from one showing to
// the next; the panel's reply replaces them.
class DisplayFlagsModel : public ConfigModel {
public:
    void fill(const PanelState& state) override;
    void store(WriteArguments& args) const override;

    // What the controls hold, changed as a whole or one choice at a time.
    const DisplayChoices& choices() const { return choices_; }
    DisplayChoices& choices() { return choices_; }
    void setChoices(const DisplayChoices& choices) { choices_ = choices; }

private:
    DisplayChoices choices_;
};

// --- history display ----------------------------------------------------------------
//
// The historyDisplay word: bit 0 (1) relative humidity, bit 1 (2) temperature 1,
// bit 2 (4) pressure, bit 3 (8) temperature 2, bit 7 (128) automatic (the
// history shows the channels the panel is logging). Other bits are not shown
// and a write sends them as 0.

struct HistoryChoices {
    bool automatic = false;
    bool temperature1 = false;
    bool temperature2 = false;
    bool relativeHumidity = false;
    bool pressure = false;
    bool operator==(const HistoryChoices&) const = default;

    static HistoryChoices fromWord(std::uint32_t word);
    // Only bits 0-3 and 7: 0..0x8F.
    std::uint32_t toWord() const;
    // The four channel boxes can be changed only while automatic is off;
    // locking them keeps their checks, and those count on OK as they stand.
    bool channelsEditable() const { return !automatic; }
};

// "Ustawienia wyświetlania historii na panelu". Kept between showings, like
// the display flags.
class HistoryDisplayModel : public ConfigModel {
public:
    void fill(const PanelState& state) override;
    void store(WriteArguments& args) const override;

    // What the controls hold, changed as a whole or one choice at a time.
    const HistoryChoices& choices() const { return choices_; }
    HistoryChoices& choices() { return choices_; }
    void setChoices(const HistoryChoices& choices) { choices_ = choices; }

private:
    HistoryChoices choices_;
};

// --- panel information --------------------------------------------------------------

// The firmware version (100 × major + minor) as the panel numbers it, with
// two minor digits: 108 -> "1.08", 124 -> "1.24", 208 -> "2.08".
std::string firmwareVersionText(std::int32_t version);

// The upper text: firmware version, serial number and memory size of the
// panel, then the default pressure when the panel measures none, the
// barometer module's calibration date and the modem option, each on a line
// of its own. No line break at the end.
std::string panelSummaryText(const PanelState& state);

// The lower text: the MR-411 probe (serial number, version, calibration date)
// or, without one, the MR-466 (no version); empty when neither is reported.
std::string probeSummaryText(const PanelState& state);

// "Informacje o panelu": nothing to edit or write; the texts are composed
// when the last of its reads (the memory settings) arrives, in the
// program's language at that moment.
class PanelInfoModel : public ConfigModel {
public:
    // Opens empty: nothing from an earlier showing or another panel.
    void reset(const PanelState&) override;
    void fill(const PanelState& state) override;

    const std::string& panelText() const { return panelText_; }
    const std::string& probeText() const { return probeText_; }

private:
    std::string panelText_;
    std::string probeText_;
};

}  // namespace mr420
