#pragma once
// Where the chart program is started from. It is a separate executable; the
// program looks for it the way a program is found for starting: in this
// program's own directory, then the current directory, then the search path.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mr420 {

inline constexpr const char* kChartProgramName = "Vimo.exe";
constexpr int kMsgChartProgramMissing = 128;   // "Nie można odnaleźć programu Vimo.exe"

// The directories looked in, in order: programDir, currentDir, then each
// entry of PATH. An empty PATH entry stands for the current directory and a
// relative one is taken from it, as a shell would; an empty programDir or
// currentDir is left out.
std::vector<std::string> chartProgramSearchDirs(const std::string& programDir, const std::string& currentDir,
                                                std::string_view pathVariable);

// The first <dir>/Vimo.exe of those directories that isExecutableFile
// accepts, or empty when none does.
std::string findChartProgram(const std::string& programDir, const std::string& currentDir,
                             std::string_view pathVariable,
                             const std::function<bool(const std::string& path)>& isExecutableFile);

// A regular file (after following links) that this user may execute.
bool isExecutableFile(const std::string& path);

}  // namespace mr420
