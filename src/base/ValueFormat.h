#pragma once
// Number formats of the live readings, shared by the value panes, the
// registration files and the local data server. Everything is printf-style
// under the process locale, so the decimal separator follows the user's
// locale. Texts are UTF-8 ("°" is U+00B0); writers of Windows-1250 files
// convert them with utf8ToWin1250.

#include <string>

namespace mr420 {

// Display kinds of a value pane.
namespace display_kind {
constexpr int kIrradiance = 1;   // W/m2
constexpr int kIlluminance = 2;  // kLx
constexpr int kTemperature = 3;  // °C
constexpr int kDirection = 4;    // °
constexpr int kPressure = 5;     // hPa
constexpr int kSpeed = 6;        // m/s
constexpr int kHumidity = 7;     // %
constexpr int kPpm = 8;          // ppm
}  // namespace display_kind

// printf-style formatting of one double under the process locale.
std::string formatNumber(const char* format, double value);

// The value cut toward zero to tenths. It is first rounded to hundredths, so
// floating error cannot cost a tenth (21.56 held as 21.559999 cuts to 21.5,
// 21.5 held as 21.4999999 stays 21.5). -0.05 cuts to 0.0 (never "-0.0").
double cutToTenths(double value);

// "%.1f" of cutToTenths(value): 23.47 -> "23.4", -23.47 -> "-23.4".
std::string formatTenthsCut(double value);

// The unit-less one/two-decimal rule: "%.2f" with twoDecimals, otherwise
// formatTenthsCut.
std::string formatOneOrTwoDecimals(double value, bool twoDecimals);

// A formatted pane value. For kind 1 with unit the text is "<n> W/m" and
// superscript holds "2", drawn raised after it; otherwise superscript is empty.
struct PaneValueText {
    std::string text;
    std::string superscript;
    bool operator==(const PaneValueText&) const = default;
    std::string joined() const { return text + superscript; }
};

// The pane's value text for a display kind. With unit:
//   1 "%.1f W/m" + raised "2"; 2 "%.2f kLx"; 3 "%.2f °C" with twoDecimals,
//   else tenths cut + " °C"; 4 "%.0f °"; 5 "%.1f hPa"; 6 "%.1f m/s";
//   7 tenths cut + " %" (the stored humidity is already rounded to tenths,
//   so an ordinary "%.1f" would round it a second time); 8 "%.0f ppm".
// Without unit: 2 "%.2f"; 4 and 8 "%.0f"; 1, 3, 5, 6, 7 the one/two-decimal
// rule. Any other kind gives an empty text (nothing is drawn).
PaneValueText formatPaneValue(int displayKind, double value, bool showUnit, bool twoDecimals);

// Locale-independent fixed-point text with a full stop (the .qvg file).
std::string formatFullStop(double value, int decimals);

// Shown instead of a number when there is no valid value.
inline constexpr const char* kNoValueText = "???";

}  // namespace mr420
