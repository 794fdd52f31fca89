#include "recording/ChartProgramSearch.h"

#include <sys/stat.h>
#include <unistd.h>

namespace mr420 {

namespace {

std::string joined(const std::string& dir, std::string_view name) {
    std::string out = dir;
    if (out.empty() || out.back() != '/') out += '/';
    out += name;
    return out;
}

}  // namespace

std::vector<std::string> chartProgramSearchDirs(const std::string& programDir, const std::string& currentDir,
                                                std::string_view pathVariable) {
    std::vector<std::string> dirs;
    if (!programDir.empty()) dirs.push_back(programDir);
    if (!currentDir.empty()) dirs.push_back(currentDir);
    if (pathVariable.empty()) return dirs;
    for (;;) {
        const std::size_t colon = pathVariable.find(':');
        const std::string_view entry = pathVariable.substr(0, colon);
        if (entry.empty()) {
            if (!currentDir.empty()) dirs.push_back(currentDir);
        } else if (entry.front() == '/' || currentDir.empty()) {
            dirs.emplace_back(entry);
        } else {
            dirs.push_back(joined(currentDir, entry));
        }
        if (colon == std::string_view::npos) break;
        pathVariable.remove_prefix(colon + 1);
    }
    return dirs;
}

std::string findChartProgram(const std::string& programDir, const std::string& currentDir,
                             std::string_view pathVariable,
                             const std::function<bool(const std::string& path)>& isExecutableFile) {
    for (const std::string& dir : chartProgramSearchDirs(programDir, currentDir, pathVariable)) {
        std::string candidate = joined(dir, kChartProgramName);
        if (isExecutableFile && isExecutableFile(candidate)) return candidate;
    }
    return {};
}

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace mr420
