#pragma once
// Whole numbers read from typed text: the strict reader of the command line
// and the forgiving ones of the entry fields, which take the digits a text
// starts with.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mr420 {

// `c` or `text` with the ASCII letters in lower case.
constexpr char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
std::string lowerAscii(std::string_view text);

// `text` as a number of 1 to `maxDigits` digits and nothing else, within
// [min, max]; nullopt otherwise.
std::optional<int> wholeNumber(std::string_view text, int min, int max, std::size_t maxDigits = 9);

// The number the digits at the start of `text` make (none reads 0), held at
// `limit`.
long long leadingDigits(std::string_view text, long long limit = 1'000'000'000);

// As leadingDigits after an optional "+" or "-", as the C library reads it.
int leadingNumber(std::string_view text);

}  // namespace mr420
