#pragma once
// Conversion between the UTF-8 texts of the user interface and the Windows-1250
// code page in which text files and the local data server carry them.

#include <string>
#include <string_view>

namespace mr420 {

// UTF-8 to Windows-1250. Characters the code page lacks, and malformed UTF-8
// sequences, become '?'. ASCII (including CR, LF, TAB) passes unchanged.
std::string utf8ToWin1250(std::string_view utf8);

// Windows-1250 to UTF-8. The five unassigned bytes (0x81, 0x83, 0x88, 0x90,
// 0x98) become '?'.
std::string win1250ToUtf8(std::string_view bytes);

// The first character of a UTF-8 text that Windows-1250 lacks (U+FFFD for a
// malformed sequence), or 0 when the code page holds the whole text: the
// characters utf8ToWin1250 would turn into '?'.
char32_t firstCharacterOutsideWin1250(std::string_view utf8);

// One character as UTF-8, appended or alone; '?' past U+10FFFF.
void appendUtf8(std::string& out, char32_t c);
std::string utf8Character(char32_t c);

// Code point of one Windows-1250 byte, 0 for an unassigned byte.
char32_t win1250CodePoint(unsigned char byte);

}  // namespace mr420
