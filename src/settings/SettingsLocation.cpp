#include "settings/SettingsLocation.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace mr420 {

namespace {

bool isAbsolute(const char* p) { return p && p[0] == '/'; }

std::string homeDirectory() {
    const char* home = std::getenv("HOME");
    if (isAbsolute(home)) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && isAbsolute(pw->pw_dir)) return pw->pw_dir;
    return std::string();
}

}  // namespace

std::string defaultIniPath() {
    // Relative values are to be ignored, as the base-directory rules say.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (isAbsolute(config)) return std::string(config) + "/mr420/mr420.ini";
    std::string home = homeDirectory();
    if (!home.empty()) return home + "/.config/mr420/mr420.ini";
    return "mr420.ini";
}

std::string iniPathFromArguments(const std::vector<std::string>& arguments) {
    std::string chosen;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--ini") {
            if (i + 1 < arguments.size()) {
                if (!arguments[i + 1].empty()) chosen = arguments[i + 1];
                ++i;
            }
        } else if (a.rfind("--ini=", 0) == 0 && a.size() > 6) {
            chosen = a.substr(6);
        }
    }
    return chosen.empty() ? defaultIniPath() : chosen;
}

bool ensureParentDirectory(const std::string& filePath) {
    std::filesystem::path parent = std::filesystem::path(filePath).parent_path();
    if (parent.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(parent, ec);
    return std::filesystem::is_directory(parent, ec);
}

}  // namespace mr420
