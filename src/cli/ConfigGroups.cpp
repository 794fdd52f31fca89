#include "cli/ConfigGroups.h"

#include <algorithm>
#include <cstdio>

#include "base/NumberText.h"
#include "base/StringTable.h"
#include "base/Win1250.h"
#include "config/AlarmModels.h"
#include "config/DisplayModels.h"
#include "config/LoggingSettingsModel.h"
#include "config/ModemModels.h"
#include "config/NumericText.h"
#include "config/SmallConfigModels.h"
#include "protocol/CommandChains.h"

namespace mr420::cli {

namespace {

const char* onOff(bool on) { return on ? "on" : "off"; }

// One of a list of names; the index or nullopt.
std::optional<int> choice(std::string_view text, std::initializer_list<const char*> names) {
    int i = 0;
    for (const char* n : names) {
        if (lowerAscii(text) == lowerAscii(n)) return i;
        ++i;
    }
    return std::nullopt;
}

template <typename M>
M& as(ConfigModel& m) {
    return static_cast<M&>(m);
}
template <typename M>
const M& as(const ConfigModel& m) {
    return static_cast<const M&>(m);
}

// A setting that is a switch of model M.
template <typename M>
GroupSetting switchSetting(std::string name, bool (*get)(const M&), void (*set)(M&, bool)) {
    return {std::move(name), "on|off",
            [get](const ConfigModel& m, const PanelState&) { return std::string(onOff(get(as<M>(m)))); },
            [set](ConfigModel& m, std::string_view v) {
                auto on = parseSwitch(v);
                if (!on) return SetResult::refused();
                set(as<M>(m), *on);
                return SetResult::accepted();
            }};
}

// A setting that is one of a list of names of model M.
template <typename M>
GroupSetting choiceSetting(std::string name, std::vector<const char*> names, int (*get)(const M&),
                           void (*set)(M&, int)) {
    std::string values;
    for (const char* n : names) values += (values.empty() ? "" : "|") + std::string(n);
    return {std::move(name), values,
            [names, get](const ConfigModel& m, const PanelState&) {
                const int i = get(as<M>(m));
                return i >= 0 && i < static_cast<int>(names.size()) ? std::string(names[std::size_t(i)]) : std::string();
            },
            [names, set](ConfigModel& m, std::string_view v) {
                for (std::size_t i = 0; i < names.size(); ++i)
                    if (lowerAscii(v) == lowerAscii(names[i])) {
                        set(as<M>(m), static_cast<int>(i));
                        return SetResult::accepted();
                    }
                return SetResult::refused();
            }};
}

// The alarm switch of model M (the battery's or the power loss's).
template <typename M>
GroupSetting alarmSwitch() {
    return switchSetting<M>("alarm", [](const M& m) { return m.alarm() == AlarmSwitch::On; },
                            [](M& m, bool on) { m.setAlarm(on ? AlarmSwitch::On : AlarmSwitch::Off); });
}

std::optional<LocalTime> parseClock(std::string_view text) {
    if (lowerAscii(text) == "now") return localTimeNow();
    // YYYY-MM-DDTHH:MM:SS
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != ' ') ||
        text[13] != ':' || text[16] != ':')
        return std::nullopt;
    auto part = [&](std::size_t at, std::size_t n, int min, int max) { return wholeNumber(text.substr(at, n), min, max); };
    const auto y = part(0, 4, 0, 9999), mo = part(5, 2, 1, 12), d = part(8, 2, 1, 31), h = part(11, 2, 0, 23),
               mi = part(14, 2, 0, 59), s = part(17, 2, 0, 59);
    if (!y || !mo || !d || !h || !mi || !s) return std::nullopt;
    if (*d > panelDaysInMonth(*y, *mo)) return std::nullopt;
    return LocalTime{*y, *mo, *d, *h, *mi, *s};
}


// --- alarm thresholds -------------------------------------------------------------

// The eight slots in the panel's order, and the four channels.
constexpr const char* kSlotNames[kThresholdSlotCount] = {
    "temperature1-lower", "temperature1-upper", "temperature2-lower", "temperature2-upper",
    "humidity-lower",     "humidity-upper",     "pressure-lower",     "pressure-upper"};
constexpr const char* kChannelNames[kAlarmChannelCount] = {"temperature1", "temperature2", "humidity", "pressure"};

// Tenths as the dialog's field shows them: -125 -> "-12.5", -5 -> "-0.5".
std::string tenthsText(std::int32_t tenths) {
    const std::int64_t magnitude = tenths < 0 ? -std::int64_t{tenths} : tenths;
    return (tenths < 0 ? "-" : "") + std::to_string(magnitude / 10) + "." + std::to_string(magnitude % 10);
}

std::string rangeText(const TenthsRange& r) { return tenthsText(r.lowest) + ".." + tenthsText(r.highest); }

// A number as the dialog's one-decimal field reads it (a full stop or a comma,
// digits past the first decimal dropped), within `range`: the display value,
// or the refusal.
struct DisplayValue {
    double value = 0;
    SetResult result;
};
DisplayValue readDisplayValue(std::string_view text, const TenthsRange& range) {
    const NumericReading r = readNumericText(std::string(text), 1);
    if (r.error) return {0, SetResult::refused(r.error)};
    // The field would read "12abc" as 12; a command line is not typed key by key.
    std::size_t digits = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') ++digits;
        else if (!(c == '-' && i == 0) && c != '.' && c != ',') return {0, SetResult::refused()};
    }
    if (digits == 0) return {0, SetResult::refused()};
    const std::int64_t tenths = tenthsFromDisplay(r.value);
    if (tenths < range.lowest || tenths > range.highest) return {0, SetResult::refused()};
    return {r.value, SetResult::accepted()};
}

// The eight slots of a threshold model M (the modem's or the exceedance
// signalling's): a value and its enable switch each.
template <typename M>
void addThresholdSlots(std::vector<GroupSetting>& settings) {
    for (int slot = 0; slot < kThresholdSlotCount; ++slot) {
        const TenthsRange& range = thresholdRange(kThresholdSlots[std::size_t(slot)].channel);
        settings.push_back(
            {kSlotNames[slot], rangeText(range),
             [slot](const ConfigModel& m, const PanelState&) { return tenthsText(as<M>(m).thresholds().tenths(slot)); },
             [slot, range](ConfigModel& m, std::string_view v) {
                 const DisplayValue d = readDisplayValue(v, range);
                 if (d.result.ok) as<M>(m).thresholds().setValue(slot, d.value);
                 return d.result;
             }});
        settings.push_back(
            {std::string(kSlotNames[slot]) + "-enabled", "on|off",
             [slot](const ConfigModel& m, const PanelState&) {
                 return std::string(onOff(as<M>(m).thresholds().enabled(slot)));
             },
             [slot](ConfigModel& m, std::string_view v) {
                 auto on = parseSwitch(v);
                 if (!on) return SetResult::refused();
                 as<M>(m).thresholds().setEnabled(slot, *on);
                 return SetResult::accepted();
             }});
    }
}

// The alarm repeat time: "1h10m" (hours always, minutes in two digits).
std::string repeatText(const RepeatTime& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%dh%02dm", t.hours, t.minutes);
    return text;
}

// "1h10m", "1h10", "1h", "10m": hours 0..24, minutes 0..50.
std::optional<std::pair<int, int>> parseRepeat(std::string_view text) {
    const std::string t = lowerAscii(text);
    const std::size_t h = t.find('h');
    std::string_view hours, minutes;
    if (h == std::string::npos) {
        if (t.empty() || t.back() != 'm') return std::nullopt;
        minutes = std::string_view(t).substr(0, t.size() - 1);
    } else {
        hours = std::string_view(t).substr(0, h);
        minutes = std::string_view(t).substr(h + 1);
        if (!minutes.empty() && minutes.back() == 'm') minutes.remove_suffix(1);
        else if (t.back() == 'm') return std::nullopt;
        if (hours.empty()) return std::nullopt;
    }
    const auto hh = hours.empty() ? std::optional<int>(0) : wholeNumber(hours, 0, kMaxRepeatHours);
    const auto mm = minutes.empty() && h != std::string::npos ? std::optional<int>(0)
                                                               : wholeNumber(minutes, 0, kMaxRepeatMinutes);
    if (!hh || !mm) return std::nullopt;
    return std::pair{*hh, *mm};
}

// --- modem, PIN and PAP ---------------------------------------------------------------

// The longest texts the panel gives back when read: one character less than
// their frames carry. A longer text would be written but not read back whole.
constexpr std::size_t kShortPanelText = kShortWireText - 1;   // station name, SMS numbers
constexpr std::size_t kLongPanelText = kLongWireText - 1;     // APN, PAP login

// A text the panel keeps in `length` Windows-1250 characters: every
// character in the code page, none a control character, and a blank at its
// end only where `blanksAllowed` (the panel's padding would take it).
bool panelTextFits(std::string_view text, std::size_t length, bool blanksAllowed) {
    if (firstCharacterOutsideWin1250(text) != 0) return false;
    const std::string bytes = utf8ToWin1250(text);
    if (bytes.size() > length) return false;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) return false;
    }
    return blanksAllowed || bytes.empty() || bytes.back() != ' ';
}

using MM = ModemSettingsModel;

template <typename F>
GroupSetting modemSetting(std::string name, std::string values, std::string (*get)(const ModemSettings&), F set) {
    return {std::move(name), std::move(values),
            [get](const ConfigModel& m, const PanelState&) { return get(as<MM>(m).shown()); },
            [set](ConfigModel& m, std::string_view v) { return set(as<MM>(m).shown(), v); }};
}

GroupSetting modemText(std::string name, std::size_t length, std::string ModemSettings::*field) {
    return {std::move(name), "text, up to " + std::to_string(length) + " characters, no blank at the end",
            [field](const ConfigModel& m, const PanelState&) { return as<MM>(m).shown().*field; },
            [field, length](ConfigModel& m, std::string_view v) {
                if (!panelTextFits(v, length, false)) return SetResult::refused();
                as<MM>(m).shown().*field = std::string(v);
                return SetResult::accepted();
            }};
}

// An SMS number: digits, '#' and '*' (a leading '+' is not stored: the
// dialog shows it before the field).
GroupSetting smsNumber(std::string name, std::size_t index) {
    return {std::move(name), "digits, # and *, up to 14",
            [index](const ConfigModel& m, const PanelState&) { return as<MM>(m).shown().smsNumbers[index]; },
            [index](ConfigModel& m, std::string_view v) {
                if (!v.empty() && v.front() == '+') v.remove_prefix(1);
                if (v.size() > kShortPanelText || phoneNumberText(v) != v) return SetResult::refused();
                as<MM>(m).shown().smsNumbers[index] = std::string(v);
                return SetResult::accepted();
            }};
}

struct Endpoint {
    Ipv4Address address{};
    long long port = 0;
};
// "IP:PORT", the port as digits (up to nine; the range is the caller's).
std::optional<Endpoint> parseEndpoint(std::string_view text) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto address = parseIpv4(text.substr(0, colon));
    const auto port = wholeNumber(text.substr(colon + 1), 0, 999'999'999);
    if (!address || !port) return std::nullopt;
    return Endpoint{*address, *port};
}

std::string endpointText(const Ipv4Address& address, long long port) {
    return formatIpv4(address) + ":" + std::to_string(port);
}

// The settings of `group` that only the panels from `firmware` on have.
void fromFirmware(ConfigGroup& group, std::initializer_list<std::string_view> names, int firmware) {
    for (GroupSetting& s : group.settings)
        if (std::find(names.begin(), names.end(), s.name) != names.end()) s.firmware = firmware;
}

std::vector<ConfigGroup> makeGroups() {
    std::vector<ConfigGroup> g;

    g.push_back({"clock", ConfigKind::Clock, [] { return std::make_unique<ClockModel>(); },
                 {{"time", "YYYY-MM-DDTHH:MM:SS|now",
                   [](const ConfigModel&, const PanelState& s) { return clockText(s.panelClock); },
                   [](ConfigModel& m, std::string_view v) {
                       auto t = parseClock(v);
                       if (!t) return SetResult::refused();
                       as<ClockModel>(m).setTime(*t);
                       return SetResult::accepted();
                   }}}});

    g.push_back({"auto-off", ConfigKind::AutoOff, [] { return std::make_unique<AutoOffModel>(); },
                 {{"seconds", "0..1255 (steps of 5)",
                   [](const ConfigModel& m, const PanelState&) { return std::to_string(as<AutoOffModel>(m).seconds()); },
                   [](ConfigModel& m, std::string_view v) {
                       auto n = wholeNumber(v, 0, AutoOffModel::kMaxSeconds);
                       if (!n) return SetResult::refused();
                       as<AutoOffModel>(m).setSeconds(*n);
                       return SetResult::accepted();
                   }}}});

    g.push_back({"default-pressure", ConfigKind::DefaultPressure, [] { return std::make_unique<DefaultPressureModel>(); },
                 {{"hpa", "690..1200",
                   [](const ConfigModel& m, const PanelState&) {
                       return std::to_string(as<DefaultPressureModel>(m).hpa());
                   },
                   [](ConfigModel& m, std::string_view v) {
                       // Read as the dialog's numeric field reads it.
                       const NumericReading r = readNumericText(std::string(v), 0);
                       if (r.error) return SetResult::refused(r.error);
                       if (v.empty() || r.value < DefaultPressureModel::kMinHpa || r.value > DefaultPressureModel::kMaxHpa)
                           return SetResult::refused();
                       as<DefaultPressureModel>(m).setHpa(r.value);
                       return SetResult::accepted();
                   }}}});

    using L = LoggingSettingsModel;
    g.push_back({"logging", ConfigKind::LoggingSettings, [] { return std::make_unique<L>(); },
                 {switchSetting<L>("logging", [](const L& m) { return m.loggingOn(); },
                                   [](L& m, bool on) { m.setLoggingOn(on); }),
                  {"interval", "1..64799 (minutes)",
                   [](const ConfigModel& m, const PanelState&) { return std::to_string(as<L>(m).fieldsInterval()); },
                   [](ConfigModel& m, std::string_view v) {
                       auto n = wholeNumber(v, 0, L::kMaxInterval);
                       if (!n) return SetResult::refused({string_id::kLoggingIntervalRange, MessageIcon::Information});
                       L& l = as<L>(m);
                       l.fieldTextChanged(LoggingField::Days, std::to_string(*n / 1440));
                       l.fieldTextChanged(LoggingField::Hours, std::to_string(*n % 1440 / 60));
                       l.fieldTextChanged(LoggingField::Minutes, std::to_string(*n % 60));
                       return SetResult::accepted();
                   }},
                  switchSetting<L>("temperature1", [](const L& m) { return m.temperature1(); },
                                   [](L& m, bool on) { m.setTemperature1(on); }),
                  switchSetting<L>("temperature2", [](const L& m) { return m.temperature2(); },
                                   [](L& m, bool on) { m.setTemperature2(on); }),
                  switchSetting<L>("humidity", [](const L& m) { return m.humidity(); },
                                   [](L& m, bool on) { m.setHumidity(on); }),
                  switchSetting<L>("pressure", [](const L& m) { return m.pressure(); },
                                   [](L& m, bool on) { m.setPressure(on); }),
                  choiceSetting<L>("range", {"auto", "narrow", "wide"},
                                   [](const L& m) { return static_cast<int>(m.range()); },
                                   [](L& m, int i) { m.setRange(static_cast<LoggingRange>(i)); }),
                  choiceSetting<L>("resolution", {"auto", "0.1", "0.01"},
                                   [](const L& m) { return static_cast<int>(m.resolution()); },
                                   [](L& m, int i) { m.setResolution(static_cast<LoggingResolution>(i)); }),
                  switchSetting<L>("overwrite", [](const L& m) { return m.overwrite(); },
                                   [](L& m, bool on) { m.setOverwrite(on); })}});
    fromFirmware(g.back(), {"temperature2"}, L::kTemperature2Firmware);

    using D = DisplayFlagsModel;
    g.push_back(
        {"display", ConfigKind::DisplayFlags, [] { return std::make_unique<D>(); },
         {choiceSetting<D>("resolution", {"0.1", "0.01", "auto"},
                           [](const D& m) { return static_cast<int>(m.choices().resolution); },
                           [](D& m, int i) { m.choices().resolution = static_cast<TemperatureResolution>(i); }),
          choiceSetting<D>("pressure-unit", {"hPa", "mmHg"},
                           [](const D& m) { return static_cast<int>(m.choices().pressureUnit); },
                           [](D& m, int i) { m.choices().pressureUnit = static_cast<PressureUnit>(i); }),
          choiceSetting<D>("field3", {"dew-point", "pressure"},
                           [](const D& m) { return static_cast<int>(m.choices().field3); },
                           [](D& m, int i) { m.choices().field3 = static_cast<DisplayField3>(i); }),
          choiceSetting<D>("field4", {"water-vapour", "dew-point", "clock", "pressure-unit"},
                           [](const D& m) { return static_cast<int>(m.choices().field4); },
                           [](D& m, int i) { m.choices().field4 = static_cast<DisplayField4>(i); })}});

    using H = HistoryDisplayModel;
    g.push_back({"history", ConfigKind::HistoryDisplay, [] { return std::make_unique<H>(); },
                 {switchSetting<H>("automatic", [](const H& m) { return m.choices().automatic; },
                                   [](H& m, bool on) { m.choices().automatic = on; }),
                  switchSetting<H>("temperature1", [](const H& m) { return m.choices().temperature1; },
                                   [](H& m, bool on) { m.choices().temperature1 = on; }),
                  switchSetting<H>("temperature2", [](const H& m) { return m.choices().temperature2; },
                                   [](H& m, bool on) { m.choices().temperature2 = on; }),
                  switchSetting<H>("humidity", [](const H& m) { return m.choices().relativeHumidity; },
                                   [](H& m, bool on) { m.choices().relativeHumidity = on; }),
                  switchSetting<H>("pressure", [](const H& m) { return m.choices().pressure; },
                                   [](H& m, bool on) { m.choices().pressure = on; })}});

    using MT = ModemThresholdsModel;
    ConfigGroup thresholds{"thresholds", ConfigKind::ModemThresholds, [] { return std::make_unique<MT>(); }, {}};
    addThresholdSlots<MT>(thresholds.settings);
    for (int c = 0; c < kAlarmChannelCount; ++c) {
        const auto channel = static_cast<AlarmChannel>(c);
        const TenthsRange& range = hysteresisRange(channel);
        thresholds.settings.push_back(
            {std::string(kChannelNames[c]) + "-hysteresis", rangeText(range),
             [channel](const ConfigModel& m, const PanelState&) { return tenthsText(as<MT>(m).hysteresis(channel)); },
             [channel, range](ConfigModel& m, std::string_view v) {
                 const DisplayValue d = readDisplayValue(v, range);
                 if (d.result.ok) as<MT>(m).setHysteresis(channel, d.value);
                 return d.result;
             }});
    }
    thresholds.settings.push_back(
        {"repeat", "0h00m..24h50m (1h10m, 1h, 10m; in steps of 10 minutes)",
         [](const ConfigModel& m, const PanelState&) { return repeatText(as<MT>(m).repeatTime()); },
         [](ConfigModel& m, std::string_view v) {
             const auto t = parseRepeat(v);
             if (!t) return SetResult::refused();
             as<MT>(m).setRepeatTime(t->first, t->second);
             return SetResult::accepted();
         }});
    g.push_back(std::move(thresholds));

    using E = ExceedanceModel;
    ConfigGroup exceedance{"exceedance", ConfigKind::Exceedance, [] { return std::make_unique<E>(); }, {}};
    addThresholdSlots<E>(exceedance.settings);
    exceedance.settings.push_back(
        {"deferral", "0..90 (minutes)",
         [](const ConfigModel& m, const PanelState&) { return std::to_string(as<E>(m).deferral()); },
         [](ConfigModel& m, std::string_view v) {
             const auto n = wholeNumber(v, 0, kMaxDeferralMinutes);
             if (!n) return SetResult::refused();
             as<E>(m).setDeferral(*n);
             return SetResult::accepted();
         }});
    g.push_back(std::move(exceedance));

    g.push_back({"battery", ConfigKind::Battery, [] { return std::make_unique<BatteryAlarmModel>(); },
                 {alarmSwitch<BatteryAlarmModel>()}});

    using P = PowerLossModel;
    g.push_back({"power-loss", ConfigKind::PowerLoss, [] { return std::make_unique<P>(); },
                 {alarmSwitch<P>(),
                  // Checked with the alarm on, by the dialog's rule; with it off
                  // the panel keeps its delay.
                  {"delay", "0..60 (minutes)",
                   [](const ConfigModel& m, const PanelState&) { return std::to_string(as<P>(m).delayField()); },
                   [](ConfigModel& m, std::string_view v) {
                       const auto n = wholeNumber(v, 0, 0xFFFF);
                       if (!n) return SetResult::refused();
                       as<P>(m).setDelayField(*n);
                       return SetResult::accepted();
                   }}}});

    using S = ModemSettings;
    g.push_back(
        {"modem", ConfigKind::ModemOptions, [] { return std::make_unique<MM>(TypedText::Exact); },
         {choiceSetting<MM>("ppp", {"continuous", "disconnected"},
                            [](const MM& m) { return m.shown().options.pppKept ? 0 : 1; },
                            [](MM& m, int i) { m.shown().options.pppKept = i == 0; }),
          choiceSetting<MM>("protocol", {"tcp", "udp"}, [](const MM& m) { return m.shown().options.udp ? 1 : 0; },
                            [](MM& m, int i) { m.shown().options.udp = i == 1; }),
          choiceSetting<MM>("recording", {"memory", "modem", "memory+modem"},
                            [](const MM& m) { return static_cast<int>(m.shown().options.devices); },
                            [](MM& m, int i) { m.shown().options.devices = static_cast<RecordingDevices>(i); }),
          switchSetting<MM>("alarm-sms", [](const MM& m) { return m.shown().options.alarmSms; },
                            [](MM& m, bool on) { m.shown().options.alarmSms = on; }),
          switchSetting<MM>("alarm-network", [](const MM& m) { return m.shown().options.alarmNetwork; },
                            [](MM& m, bool on) { m.shown().options.alarmNetwork = on; }),
          modemText("station", kShortPanelText, &S::stationName),
          modemSetting("server", "IP:PORT, port 0..65535",
                       [](const S& s) { return endpointText(s.serverAddress, s.serverPort); },
                       [](S& s, std::string_view v) {
                           const auto e = parseEndpoint(v);
                           if (!e || e->port > ModemSettingsModel::kMaxPort) return SetResult::refused();
                           s.serverAddress = e->address;
                           s.serverPort = e->port;
                           return SetResult::accepted();
                       }),
          modemSetting("backup-server", "off|IP:PORT, port 1..65535",
                       [](const S& s) {
                           return s.backupActive ? endpointText(s.backupAddress, s.backupPort) : std::string("off");
                       },
                       [](S& s, std::string_view v) {
                           if (lowerAscii(v) == "off") {
                               s.backupActive = false;
                               return SetResult::accepted();
                           }
                           const auto e = parseEndpoint(v);
                           if (!e) return SetResult::refused();
                           if (isZeroAddress(e->address))
                               return SetResult::refused({string_id::kBackupServerAddressMissing, MessageIcon::None});
                           if (e->port < 1 || e->port > ModemSettingsModel::kMaxPort)
                               return SetResult::refused({string_id::kBackupServerPortMissing, MessageIcon::None});
                           s.backupActive = true;
                           s.backupAddress = e->address;
                           s.backupPort = e->port;
                           return SetResult::accepted();
                       }),
          // 0 only for a panel before 2.08, which has no such setting.
          modemSetting("attempts", "1..30 (a day)", [](const S& s) { return std::to_string(s.attempts); },
                       [](S& s, std::string_view v) {
                           const auto n = wholeNumber(v, 0, 999'999'999);
                           if (!n) return SetResult::refused();
                           if (*n > ModemSettingsModel::kMaxAttempts)
                               return SetResult::refused({string_id::kConnectionAttemptsRange, MessageIcon::None});
                           s.attempts = *n;
                           return SetResult::accepted();
                       }),
          modemText("apn", kLongPanelText, &S::apn),
          modemText("pap-login", kLongPanelText, &S::papLogin),
          smsNumber("sms-centre", 0),
          smsNumber("sms1", 1),
          smsNumber("sms2", 2),
          smsNumber("sms3", 3),
          smsNumber("sms4", 4),
          smsNumber("sms5", 5),
          switchSetting<MM>("internet", [](const MM& m) { return m.shown().internetAllowed; },
                            [](MM& m, bool on) { m.shown().internetAllowed = on; })}});
    fromFirmware(g.back(), {"backup-server", "attempts"}, kBackupServerFirmware);

    g.push_back({"pin", ConfigKind::ModemPin, [] { return std::make_unique<PinModel>(); },
                 {{"pin", "NNNN (four digits)", {},
                   [](ConfigModel& m, std::string_view v) {
                       // The dialog's rule, at once: nothing is kept of a PIN
                       // that is refused.
                       as<PinModel>(m).setText(v);
                       if (const UserMessage msg = m.accept()) return SetResult::refused(msg);
                       return SetResult::accepted();
                   }}},
                 true});

    g.push_back({"pap", ConfigKind::ModemPap, [] { return std::make_unique<PapPasswordModel>(); },
                 {{"password", "text, up to 33 characters", {},
                   [](ConfigModel& m, std::string_view v) {
                       if (!panelTextFits(v, kLongWireText, true)) return SetResult::refused();
                       as<PapPasswordModel>(m).setText(v);
                       return SetResult::accepted();
                   }}},
                 true});
    return g;
}

}  // namespace

std::optional<bool> parseSwitch(std::string_view text) {
    if (auto i = choice(text, {"off", "on", "no", "yes", "false", "true", "0", "1"})) return *i % 2 == 1;
    return std::nullopt;
}

std::string clockText(const LocalTime& c) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", c.year, c.month, c.day, c.hour, c.minute,
                  c.second);
    return text;
}

const std::vector<ConfigGroup>& configGroups() {
    static const std::vector<ConfigGroup> groups = makeGroups();
    return groups;
}

const ConfigGroup* findGroup(std::string_view name) {
    for (const ConfigGroup& g : configGroups())
        if (g.name == name) return &g;
    return nullptr;
}

const GroupSetting* findSetting(const ConfigGroup& group, std::string_view name) {
    for (const GroupSetting& s : group.settings)
        if (s.name == name) return &s;
    return nullptr;
}

std::string groupNames() {
    std::string names;
    for (const ConfigGroup& g : configGroups()) names += (names.empty() ? "" : ", ") + g.name;
    return names;
}

}  // namespace mr420::cli
