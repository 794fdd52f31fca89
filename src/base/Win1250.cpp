#include "base/Win1250.h"

namespace mr420 {

namespace {

// Code points of the bytes 0x80..0xFF; 0 marks a byte without a character.
constexpr char16_t kHigh[128] = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021,
    0,      0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0,      0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

int byteOf(char32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    for (int i = 0; i < 128; ++i)
        if (kHigh[i] != 0 && kHigh[i] == cp) return 0x80 + i;
    return -1;
}

}  // namespace

char32_t win1250CodePoint(unsigned char byte) {
    if (byte < 0x80) return byte;
    return kHigh[byte - 0x80];
}

namespace {

// The character at utf8[i]: its code point and the bytes it takes; a stray
// continuation, an invalid lead byte or a truncated sequence is malformed
// and takes the bytes read of it.
struct Decoded {
    char32_t cp = 0;
    std::size_t length = 1;
    bool malformed = false;
};

Decoded decodeAt(std::string_view utf8, std::size_t i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) return {c, 1, false};
    char32_t cp;
    std::size_t extra;
    if ((c & 0xE0) == 0xC0) {
        cp = c & 0x1F;
        extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
        cp = c & 0x0F;
        extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
        cp = c & 0x07;
        extra = 3;
    } else {
        return {0, 1, true};
    }
    std::size_t j = 1;
    for (; j <= extra && i + j < utf8.size(); ++j) {
        const auto cc = static_cast<unsigned char>(utf8[i + j]);
        if ((cc & 0xC0) != 0x80) break;
        cp = (cp << 6) | (cc & 0x3F);
    }
    if (j <= extra) return {0, j, true};   // truncated: drop what was read, keep the rest
    return {cp, extra + 1, false};
}

}  // namespace

std::string utf8ToWin1250(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const Decoded d = decodeAt(utf8, i);
        i += d.length;
        const int b = d.malformed ? -1 : byteOf(d.cp);
        out += b < 0 ? '?' : static_cast<char>(b);
    }
    return out;
}

char32_t firstCharacterOutsideWin1250(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size();) {
        const Decoded d = decodeAt(utf8, i);
        i += d.length;
        if (d.malformed) return 0xFFFD;
        if (byteOf(d.cp) < 0) return d.cp;
    }
    return 0;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x110000) {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += '?';
    }
}

std::string utf8Character(char32_t c) {
    std::string out;
    appendUtf8(out, c);
    return out;
}

std::string win1250ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        char32_t cp = win1250CodePoint(static_cast<unsigned char>(ch));
        if (cp == 0 && ch != 0) cp = '?';
        appendUtf8(out, cp);
    }
    return out;
}

}  // namespace mr420
