#include "support/ReplyFactory.h"

#include <algorithm>

#include "protocol/Frame.h"
#include "protocol/PanelCommand.h"
#include "support/TestSupport.h"

namespace mr420::test {

namespace {

std::string hex(std::uint32_t value, int digits) {
    std::string s;
    appendHex(s, value, digits);
    return s;
}

std::string codeOf(int commandNumber) { return std::string(kCommandTable[static_cast<std::size_t>(commandNumber)].code); }

// Code, colon, then zeros (an even count), long enough for the command's
// minimum and reaching past its refusal digit.
std::string zeroText(int commandNumber) {
    const CommandSpec& spec = kCommandTable[static_cast<std::size_t>(commandNumber)];
    const int minLength = std::max(spec.minReplyLength, 20);
    int digits = std::max(minLength - 11, spec.refusedAt - 6);   // code, colon, LRC, CR LF
    if (digits % 2) ++digits;
    return codeOf(commandNumber) + ":" + std::string(static_cast<std::size_t>(digits), '0');
}

}  // namespace

std::string identityReply(int firmwareVersion, bool mr411Supported, bool mr466Supported, bool measurementError) {
    std::string d(24, '0');   // positions 12..35
    auto put = [&](int position, const std::string& s) { d.replace(static_cast<std::size_t>(position - 12), s.size(), s); };
    put(14, hex(static_cast<std::uint32_t>(firmwareVersion / 100), 2));
    put(16, hex(static_cast<std::uint32_t>(firmwareVersion % 100), 2));
    put(25, measurementError ? "1" : "0");
    put(27, "1234");
    put(34, mr466Supported ? "1" : "0");
    put(35, mr411Supported ? "8" : "0");
    return replyWithLrc("020A00:0420:" + d);
}

std::string probeReply(int commandNumber, bool present) {
    std::string text = codeOf(commandNumber) + ":" + std::string(22, '0');   // positions 7..28
    if (!present) text[8] = '1';
    if (present && commandNumber == toNumber(PanelCommand::Mr466Info)) text[10] = '7';   // T1, T2, humidity
    return replyWithLrc(text);
}

std::string memorySettingsReply(int blocks) {
    std::string text = "040000:" + std::string(22, '0');   // positions 7..28
    text.replace(10, 4, hex(static_cast<std::uint32_t>(blocks), 4));
    return replyWithLrc(text);
}

std::string blockSelectReply(bool empty) {
    return replyWithLrc(std::string("041000:") + (empty ? "00000000FF" : "0000000001"));
}

std::string blockDataReply(std::uint8_t fill) {
    std::string text = "041100:000000";   // positions 0..12
    for (int i = 0; i < 256; ++i) text += hex(static_cast<std::uint8_t>(fill + i), 2) + ":";
    return replyWithLrc(text);
}

std::string okReply(int commandNumber) { return replyWithLrc(zeroText(commandNumber)); }

std::string indexedReply(int commandNumber, int index) {
    std::string text = zeroText(commandNumber);
    const auto c = static_cast<PanelCommand>(commandNumber);
    if (c == PanelCommand::ReadSmsNumber || c == PanelCommand::ReadLongText) text.replace(8, 1, hex(static_cast<std::uint32_t>(index), 1));
    else text.replace(7, 2, hex(static_cast<std::uint32_t>(index), 2));
    return replyWithLrc(text);
}

std::string refusedReply(int commandNumber) {
    std::string text = zeroText(commandNumber);
    const int at = kCommandTable[static_cast<std::size_t>(commandNumber)].refusedAt;
    if (at >= 0) text[static_cast<std::size_t>(at)] = '1';
    return replyWithLrc(text);
}

}  // namespace mr420::test
