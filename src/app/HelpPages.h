#pragma once
// The help pages: the context a help request carries, the page of each
// context and where the pages are looked for. The pages are HTML files under
// help/<language>/ of the program's shared data folder: ../share/mr420/ from
// the program's folder, both when installed and in the build tree (where that
// folder links to the source tree's docs/).

#include <string>

namespace mr420 {

namespace help_context {
constexpr int kPolish = 100;
constexpr int kEnglish = 1100;
}  // namespace help_context

// The context of every help request: English when the language marker of the
// active texts (string 212) reads "EN", Polish otherwise.
int helpContextForMarker(const std::string& languageMarker);

// The page of a context, relative to the help folder: "pl/index.html" for
// 100, "en/index.html" for 1100; a context without a page of its own gets
// the Polish one.
std::string helpPageOfContext(int context);

// The program's shared data folder, seen from the program's folder.
std::string sharedDataFolder(const std::string& programDir);

// The help page of a context as a path beside the program, whether or not it
// exists.
std::string helpPagePath(int context, const std::string& programDir);

// The project's README beside the program, whether or not it exists.
std::string readmePath(const std::string& programDir);

}  // namespace mr420
