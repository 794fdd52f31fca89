#include "protocol/Frame.h"

namespace mr420 {

std::uint8_t lrcOfHexText(const char* text, std::size_t length) {
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < length; i += 2)
        sum += static_cast<unsigned>(hexDigitValue(text[i]) * 16 + hexDigitValue(text[i + 1]));
    return lrcOfSum(sum);
}

unsigned pairSum(const char* line, std::size_t length) {
    unsigned sum = 0;
    std::size_t i = 0;
    while (i < length) {
        if (line[i] == ':') {
            ++i;
            continue;
        }
        // Stop before the CR: a pair is never formed with the terminator.
        if (i + 1 >= length || line[i + 1] == kLF) break;
        sum += static_cast<unsigned>(hexDigitValue(line[i]) * 16 + hexDigitValue(line[i + 1]));
        i += 2;
    }
    return sum;
}

bool checksumValid(const char* line, std::size_t length) { return (pairSum(line, length) & 0xFF) == 0; }

void appendHex(std::string& out, std::uint32_t value, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out.push_back(kDigits[(value >> shift) & 0xF]);
}

std::string completeFrame(const std::string& codeAndData) {
    std::string frame = codeAndData;
    appendHex(frame, lrcOfHexText(codeAndData.data(), codeAndData.size()), 2);
    frame.push_back(kCR);
    frame.push_back(kLF);
    return frame;
}

}  // namespace mr420
