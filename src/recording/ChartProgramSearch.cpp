#include "recording/ChartProgramSearch.h"

#include <sys/stat.h>
#include <unistd.h>

#include "recording/MeasurementFile.h"
#include "recording/MemorySave.h"

namespace mr420 {

namespace {

std::string joined(const std::string& dir, std::string_view name) {
    std::string out = dir;
    if (out.empty() || out.back() != '/') out += '/';
    out += name;
    return out;
}

// The entries of PATH as directories: an empty entry is the current
// directory, a relative one is taken from it.
void appendPathDirs(std::vector<std::string>& dirs, const std::string& currentDir, std::string_view pathVariable) {
    if (pathVariable.empty()) return;
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
}

std::string firstExecutable(const std::vector<std::string>& dirs, std::string_view name,
                            const std::function<bool(const std::string& path)>& isExecutableFile) {
    for (const std::string& dir : dirs) {
        std::string candidate = joined(dir, name);
        if (isExecutableFile && isExecutableFile(candidate)) return candidate;
    }
    return {};
}

}  // namespace

std::vector<std::string> chartProgramSearchDirs(const std::string& programDir, const std::string& currentDir,
                                                std::string_view pathVariable) {
    std::vector<std::string> dirs;
    if (!programDir.empty()) dirs.push_back(programDir);
    if (!currentDir.empty()) dirs.push_back(currentDir);
    appendPathDirs(dirs, currentDir, pathVariable);
    return dirs;
}

std::string findChartProgram(const std::string& programDir, const std::string& currentDir,
                             std::string_view pathVariable,
                             const std::function<bool(const std::string& path)>& isExecutableFile) {
    return firstExecutable(chartProgramSearchDirs(programDir, currentDir, pathVariable), kChartProgramName,
                           isExecutableFile);
}

ChartProgramStart chartProgramToStart(const std::string& programDir, const std::string& currentDir,
                                      std::string_view pathVariable, const std::string& lastSavedFile,
                                      const std::function<bool(const std::string& path)>& isExecutableFile) {
    std::vector<std::string> ownDirs;
    if (!programDir.empty()) ownDirs.push_back(programDir);
    appendPathDirs(ownDirs, currentDir, pathVariable);
    ChartProgramStart start;
    start.program = firstExecutable(ownDirs, kOwnChartProgramName, isExecutableFile);
    const bool own = !start.program.empty();
    if (!own) start.program = findChartProgram(programDir, currentDir, pathVariable, isExecutableFile);
    if (start.program.empty() || lastSavedFile.empty()) return start;
    if (own || isMeasurementFileName(lastSavedFile)) start.arguments.push_back(lastSavedFile);
    return start;
}

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace mr420
