#include "base/Win1250.h"

#include <string>
#include <utility>

#include <gtest/gtest.h>

namespace mr420 {
namespace {

TEST(Win1250, PolishLettersAndDegreeSign) {
    EXPECT_EQ(utf8ToWin1250("°C"), "\xB0" "C");
    EXPECT_EQ(utf8ToWin1250("ąćęłńóśźż"), "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF");
    EXPECT_EQ(utf8ToWin1250("ĄĆĘŁŃÓŚŹŻ"), "\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF");
    EXPECT_EQ(utf8ToWin1250("a\r\n\tb"), "a\r\n\tb");
    EXPECT_EQ(utf8ToWin1250("€"), "\x80");
}

TEST(Win1250, UnmappableAndMalformedBecomeQuestionMarks) {
    EXPECT_EQ(utf8ToWin1250("日本"), "??");
    EXPECT_EQ(utf8ToWin1250("😀x"), "?x");
    EXPECT_EQ(utf8ToWin1250("\x80x"), "?x");          // stray continuation byte
    EXPECT_EQ(utf8ToWin1250("a\xC5"), "a?");          // truncated at the end
    EXPECT_EQ(utf8ToWin1250("\xC5" "b"), "?b");       // lead byte without continuation
}

TEST(Win1250, Utf8OfEveryLength) {
    const std::pair<char32_t, const char*> cases[] = {
        {U'A', "A"}, {U'ó', "\xC3\xB3"}, {U'€', "\xE2\x82\xAC"}, {0x10FFFF, "\xF4\x8F\xBF\xBF"}, {0x110000, "?"}};
    for (const auto& [c, utf8] : cases) EXPECT_EQ(utf8Character(c), utf8) << static_cast<unsigned>(c);
}

TEST(Win1250, RoundTripOfEveryAssignedByte) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        if (win1250CodePoint(static_cast<unsigned char>(b)) != 0) all += static_cast<char>(b);
    EXPECT_EQ(all.size(), 255u - 5u);
    EXPECT_EQ(utf8ToWin1250(win1250ToUtf8(all)), all);
    EXPECT_EQ(win1250ToUtf8("\xB0"), "°");
    EXPECT_EQ(win1250ToUtf8("\x81"), "?");
    EXPECT_EQ(win1250CodePoint(0xA3), U'Ł');
}

TEST(Win1250, TheFirstCharacterOutsideTheCodePageIsNamed) {
    const std::pair<const char*, char32_t> cases[] = {
        {"Łódź €", 0}, {"contraseña", U'ñ'}, {"ab日本", U'日'}, {"x😀", U'😀'}, {"a\xC5", 0xFFFD}, {"", 0}};
    for (const auto& [text, c] : cases) {
        EXPECT_EQ(firstCharacterOutsideWin1250(text), c) << text;
        if (c > 0x7F && c != 0xFFFD) {
            EXPECT_NE(std::string(text).find(utf8Character(c)), std::string::npos) << text;
        }
    }
}

}  // namespace
}  // namespace mr420
