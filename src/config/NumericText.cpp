#include "config/NumericText.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "base/NumberText.h"
#include "base/StringTable.h"
#include "base/ValueFormat.h"

namespace mr420 {

namespace {

constexpr long long kLargest = 999'999'999'999'999;   // fifteen digits: what a double holds exactly

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The digits of `text` from `from` on as a number, held at fifteen nines so
// that any length stays finite and exact.
double digitsFrom(std::string_view text, std::size_t from) {
    return static_cast<double>(leadingDigits(text.substr(std::min(from, text.size())), kLargest));
}

}  // namespace

bool numericKeyAccepted(char32_t c) { return (c >= U'0' && c <= U'9') || c == U'.' || c == U',' || c == U'-' || c == U'\b'; }

NumericReading readNumericText(const std::string& text, int decimals) {
    NumericReading r;
    r.text = text;
    if (decimals < 0) decimals = 0;

    const std::size_t separator = text.find_first_of(".,");
    const bool secondSeparator =
        separator != std::string::npos && text.find_first_of(".,", separator + 1) != std::string::npos;
    const std::size_t minus = text.find('-', 1);
    if (secondSeparator || minus != std::string::npos) {
        r.error = {string_id::kNumberFormatError, MessageIcon::Exclamation};
        return r;
    }

    const bool negative = !text.empty() && text[0] == '-';
    const std::size_t firstDigit = negative ? 1 : 0;
    double value = 0;
    if (separator == std::string::npos) {
        value = digitsFrom(text, firstDigit);
    } else {
        // The integer part is read up to the separator; of the fraction only
        // `decimals` digits count.
        const double whole = digitsFrom(std::string_view(text).substr(0, separator), firstDigit);
        std::size_t end = separator + 1;
        int n = 0;
        double fraction = 0;
        while (end < text.size() && isDigit(text[end]) && n < decimals) {
            fraction = fraction * 10 + (text[end] - '0');
            ++n;
            ++end;
        }
        value = whole + fraction / std::pow(10.0, n);
    }
    r.value = negative ? -value : value;
    if (r.value == 0) r.value = 0;   // no "-0"
    r.text = formatFullStop(r.value, decimals);
    return r;
}

}  // namespace mr420
