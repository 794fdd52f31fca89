// Feeds arbitrary bytes as mr420.ini through the program's settings table, in
// memory: read every setting as at start-up, correct the window as at exit,
// write every setting back, and check that the text written reads back to
// the same sections and entries, and is still a settings file when
// the input was one (so the next start does not refuse it).

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/Settings.h"
#include "base/IniFile.h"
#include "AsanOptions.h"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const bool caseBlind = size == 0 || (data[0] & 1) == 0;

    // Kept from run to run: load() empties a store but keeps its memory, so
    // a run does not fault in fresh pages for it.
    static mr420::IniFile ini;
    static mr420::IniFile again;
    ini.load(input, caseBlind);
    mr420::AppSettings settings = mr420::defaultSettings();
    settings.language = mr420::readLanguage(ini);
    mr420::readSettings(ini, settings);
    (void)mr420::readPortAliases(ini);
    settings.fileName = std::string(input.substr(0, 64));
    mr420::correctWindowRect(settings, 1280, 1024);
    mr420::writeSettings(ini, settings);

    const std::string written = ini.serialise();
    if (mr420::IniFile::isSettingsText(input)) check(mr420::IniFile::isSettingsText(written));
    again.load(written, caseBlind);
    check(again.sameContent(ini));
    return 0;
}
