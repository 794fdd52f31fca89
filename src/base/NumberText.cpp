#include "base/NumberText.h"

#include <algorithm>

namespace mr420 {

namespace {

bool digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = lowerAscii(c);
    return out;
}

std::optional<int> wholeNumber(std::string_view text, int min, int max, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits || !std::all_of(text.begin(), text.end(), digit))
        return std::nullopt;
    const long long v = leadingDigits(text, static_cast<long long>(max) + 1);
    if (v < min || v > max) return std::nullopt;
    return static_cast<int>(v);
}

long long leadingDigits(std::string_view text, long long limit) {
    long long value = 0;
    for (std::size_t i = 0; i < text.size() && digit(text[i]); ++i) value = std::min(limit, value * 10 + (text[i] - '0'));
    return value;
}

int leadingNumber(std::string_view text) {
    const bool sign = !text.empty() && (text[0] == '-' || text[0] == '+');
    const long long value = leadingDigits(sign ? text.substr(1) : text);
    return static_cast<int>(sign && text[0] == '-' ? -value : value);
}

}  // namespace mr420
