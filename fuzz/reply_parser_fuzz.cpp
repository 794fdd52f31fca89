// Reply parser against arbitrary lines. First byte: the command number
// (mod 64, so 63 stands for an invalid number); bit 7 of it also asks for the
// line's last checksum pair to be repaired, so that the decoding behind the
// checksum is reached often. The rest is the line, in a buffer of exactly its
// size so that any read past it is caught.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "protocol/Frame.h"
#include "protocol/PanelState.h"
#include "protocol/ReplyParser.h"
#include "AsanOptions.h"

namespace {

class CountingListener : public mr420::WriteAckListener {
public:
    void onWriteAcknowledged(int commandNumber) override {
        if (commandNumber < 0 || commandNumber > 62) __builtin_trap();
        ++calls;
    }
    int calls = 0;
};

// Rewrites the last pair the checksum walk forms so that the sum becomes 0.
void repairChecksum(std::vector<char>& line) {
    const std::size_t length = line.size();
    unsigned sum = 0;
    std::size_t last = length;
    std::size_t i = 0;
    while (i < length) {
        if (line[i] == ':') {
            ++i;
            continue;
        }
        if (i + 1 >= length || line[i + 1] == '\n') break;
        sum += static_cast<unsigned>(mr420::hexDigitValue(line[i]) * 16 + mr420::hexDigitValue(line[i + 1]));
        last = i;
        i += 2;
    }
    if (last == length) return;
    const unsigned pair = static_cast<unsigned>(mr420::hexDigitValue(line[last]) * 16 + mr420::hexDigitValue(line[last + 1]));
    const unsigned wanted = (pair + 0x100 - (sum & 0xFF)) & 0xFF;
    static constexpr char kDigits[] = "0123456789ABCDEF";
    line[last] = kDigits[wanted >> 4];
    line[last + 1] = kDigits[wanted & 0xF];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int commandNumber = data[0] % 64;
    std::vector<char> line(data + 1, data + size);
    if (data[0] & 0x80) repairChecksum(line);

    mr420::PanelState state;
    CountingListener listener;
    mr420::ReplyParser parser(state, &listener);
    const bool accepted = parser.parse(line.empty() ? nullptr : line.data(), line.size(), commandNumber);

    // The copy is always terminated inside its buffer; an invalid command
    // number, an ignored line or a rejected line never acknowledges anything.
    if (state.lineLength < 0 || state.lineLength >= mr420::kLineCopySize) __builtin_trap();
    if (state.lineCopy[static_cast<std::size_t>(state.lineLength)] != '\0') __builtin_trap();
    if (static_cast<std::size_t>(state.lineLength) != (line.size() < 999 ? line.size() : 999)) __builtin_trap();
    if (!accepted && listener.calls != 0) __builtin_trap();
    if (commandNumber == 63 && accepted) __builtin_trap();
    if (state.ignoredLine && accepted) __builtin_trap();
    if (!accepted) return 0;

    // An accepted line holds nothing but hex digits and colons before its
    // line end, and sets the length of that command's replies: the same line
    // with one more colon (which the checksum skips) is refused.
    std::size_t body = line.size();
    if (body >= 2 && line[body - 2] == '\r' && line[body - 1] == '\n') body -= 2;
    for (std::size_t i = 0; i < body; ++i) {
        const char c = line[i];
        if (c != ':' && !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) __builtin_trap();
    }
    line.insert(line.begin() + static_cast<std::ptrdiff_t>(body), ':');
    if (parser.parse(line.data(), line.size(), commandNumber)) __builtin_trap();
    return 0;
}
