#pragma once
// Frame helpers of the panel's ASCII-hex line protocol: digit values, the LRC
// and its check, and upper-case hex formatting.

#include <cstddef>
#include <cstdint>
#include <string>

namespace mr420 {

constexpr char kCR = '\r';
constexpr char kLF = '\n';

// 0..15 for '0'-'9' and 'A'-'F'; 0 for every other character (lower case too),
// so a stray character never stops decoding.
constexpr int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

// Two's complement of the byte sum, so that all bytes plus the LRC sum to 0 mod 256.
constexpr std::uint8_t lrcOfSum(unsigned sum) { return static_cast<std::uint8_t>((0x100 - (sum & 0xFF)) & 0xFF); }

// LRC over the bytes that the hex text encodes (pairs of digits, no separators).
std::uint8_t lrcOfHexText(const char* text, std::size_t length);

// The sum of the bytes formed from pairs of characters: single ':' skipped,
// stopping before the CR of CR LF or at `length`. The LRC of a reply's text
// is lrcOfSum of it.
unsigned pairSum(const char* line, std::size_t length);

// True when pairSum is 0 modulo 256.
bool checksumValid(const char* line, std::size_t length);

// Appends `value` as `digits` upper-case hex digits, zero-padded (digits 1..8).
void appendHex(std::string& out, std::uint32_t value, int digits);

// Code + data, then the LRC as two hex digits, then CR LF.
std::string completeFrame(const std::string& codeAndData);

}  // namespace mr420
