// Feeds arbitrary bytes as the content of mr420.ini: open, read every setting,
// change some, save, and check that the saved file reads back to the same text.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "base/IniFile.h"
#include "app/Settings.h"

namespace {

std::string workDirectory() {
    // Memory-backed when possible: every run renames and syncs a file.
    std::string pattern = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/mr420-fuzz-XXXXXX");
    if (!::mkdtemp(pattern.data())) std::abort();
    return pattern;
}

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string dir = workDirectory();
    const std::string path = dir + "/mr420.ini";
    writeFile(path, data, size);

    const bool caseBlind = size == 0 || (data[0] & 1) == 0;
    mr420::IniFile ini;
    if (!ini.open(path, true, true, caseBlind)) std::abort();

    mr420::AppSettings s = mr420::defaultSettings();
    s.language = mr420::readLanguage(ini);
    mr420::readSettings(ini, s);
    (void)mr420::readPortAliases(ini);
    for (const std::string& name : ini.sectionNames())
        for (const auto& [key, value] : ini.entries(name)) {
            (void)ini.getUnsigned(name, key, 1);
            (void)ini.getInt(name, key, -1);
            (void)ini.getString(name, key, value);
        }

    // Values taken from the input itself, some of which cannot be stored.
    const std::string text(reinterpret_cast<const char*>(data), size < 64 ? size : 64);
    ini.setString("GENERAL", text, "x");
    ini.setString(text, "KEY", text);
    ini.setString("", "lead", text);
    s.fileName = text;
    mr420::correctWindowRect(s, 1280, 1024);
    mr420::writeSettings(ini, s);

    const std::string written = ini.serialise();
    if (!ini.close()) std::abort();
    mr420::IniFile again;
    if (!again.open(path, false, false, caseBlind)) std::abort();
    if (again.serialise() != written) std::abort();
    return 0;
}
