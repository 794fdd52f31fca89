#pragma once
// Number and text conversions shared by the registration files and the local
// data server.

#include <string>
#include <string_view>

namespace mr420 {

// printf-style formatting of one double under the process locale, so the
// decimal separator follows the user's locale.
std::string formatLocale(const char* format, double value);

// The value with its tenths cut toward zero, as a pane shows it: rounded to
// hundredths first so that floating error (21.5 stored as 21.4999...) cannot
// drop a tenth, then cut. Returns tenths as an integer.
long long cutTenthsOf(double value);

// "%.1f" of the cut value under the process locale: 21.56 -> "21.5", -5.37 -> "-5.3".
std::string formatCutTenths(double value);

// Locale-independent fixed-point formatting with a full stop.
std::string formatFullStop(double value, int decimals);

// UTF-8 to Windows-1250; characters outside the code page become '?'.
std::string toWin1250(std::string_view utf8);

}  // namespace mr420
