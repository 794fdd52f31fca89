// Feeds arbitrary bytes as the content of mr420.ini, in memory: parse, set
// values taken from the input, serialise, parse the result again. Checks
// that the serialised text reads back to the same sections and entries and
// to the same bytes, that setString refuses exactly the text a settings file
// cannot hold, that numbers read like strtoll clamped to their type, and
// that a settings file stays one after the program has written to it (so
// the next start does not refuse it). open() reads a file through the same
// parse; saving is left to the unit tests, as a file system would cost a
// hundred times more per run than everything here. The program's settings
// table on top of this store is fuzzed by settings_fuzz.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/IniFile.h"
#include "AsanOptions.h"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

// What setString takes in every argument: no line feed, and nothing that
// would make the file stop being a settings file.
bool storableText(std::string_view text) {
    return text.find('\n') == std::string_view::npos && mr420::IniFile::isTextBytes(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const bool caseBlind = size == 0 || (data[0] & 1) == 0;
    const bool settingsText = mr420::IniFile::isSettingsText(input);

    mr420::IniFile ini;
    ini.load(input, caseBlind);
    check(ini.isOpen() && !ini.dirty());

    // Values taken from the input itself, some of which cannot be stored.
    const std::string text(input.substr(0, 64));
    const bool textStorable = storableText(text);
    const bool keyStorable = textStorable && text.find('=') == std::string::npos;
    const bool looksLikeHeader = !text.empty() && text.front() == '[' && text.back() == ']';
    check(ini.setString("GENERAL", text, "x") == keyStorable);
    check(ini.setString(text, "KEY", text) == textStorable);
    check(ini.setString("S", text, text) == (keyStorable && !looksLikeHeader));
    check(ini.setString("", "lead", text) == textStorable);
    if (textStorable) {
        // Text reads lose everything from the last ';'; numbers read like
        // strtoll, clamped to int32, or to [INT32_MIN, UINT32_MAX] and
        // taken modulo 2^32.
        const std::string cut = text.substr(0, text.rfind(';'));
        check(ini.getString("", "lead", "") == cut);
        const long long number = std::strtoll(cut.c_str(), nullptr, 10);
        check(mr420::parseLeadingInteger(cut) == number);
        check(ini.getInt("", "lead", 0) == std::clamp<long long>(number, INT32_MIN, INT32_MAX));
        check(ini.getUnsigned("", "lead", 0) ==
              static_cast<std::uint32_t>(std::clamp<long long>(number, INT32_MIN, UINT32_MAX)));
    }

    const std::string written = ini.serialise();
    if (settingsText) check(mr420::IniFile::isSettingsText(written));
    mr420::IniFile again;
    again.load(written, caseBlind);
    // Same content means the same bytes once serialised again.
    check(again.sameContent(ini));
    check(ini.close() && again.close());  // nothing behind them to write
    return 0;
}
