#pragma once
// Where the chart program is started from. It is a separate executable: the
// program's own viewer mr420-chart, looked for beside this program and then
// on the search path, or else Vimo.exe, looked for the way a program is found
// for starting: in this program's own directory, then the current directory,
// then the search path.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mr420 {

inline constexpr const char* kOwnChartProgramName = "mr420-chart";
inline constexpr const char* kChartProgramName = "Vimo.exe";
constexpr int kMsgChartProgramMissing = 128;   // "Nie można odnaleźć programu mr420-chart ani Vimo.exe"

// The directories Vimo.exe is looked in, in order: programDir, currentDir,
// then each entry of PATH. An empty PATH entry stands for the current
// directory and a relative one is taken from it, as a shell would; an empty
// programDir or currentDir is left out.
std::vector<std::string> chartProgramSearchDirs(const std::string& programDir, const std::string& currentDir,
                                                std::string_view pathVariable);

// The first <dir>/Vimo.exe of those directories that isExecutableFile
// accepts, or empty when none does.
std::string findChartProgram(const std::string& programDir, const std::string& currentDir,
                             std::string_view pathVariable,
                             const std::function<bool(const std::string& path)>& isExecutableFile);

// The chart program to start and what it is given.
struct ChartProgramStart {
    std::string program;                  // empty: neither was found
    std::vector<std::string> arguments;
};

// mr420-chart beside this program or on PATH (not the current directory),
// else Vimo.exe as findChartProgram finds it. mr420-chart is given the file
// last saved from the memory window when there is one; Vimo.exe only a
// ".qvg" file, its own format, and nothing else.
ChartProgramStart chartProgramToStart(const std::string& programDir, const std::string& currentDir,
                                      std::string_view pathVariable, const std::string& lastSavedFile,
                                      const std::function<bool(const std::string& path)>& isExecutableFile);

// A regular file (after following links) that this user may execute.
bool isExecutableFile(const std::string& path);

}  // namespace mr420
