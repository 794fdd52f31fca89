#include "app/HelpPages.h"

#include <filesystem>

namespace mr420 {

int helpContextForMarker(const std::string& languageMarker) {
    return languageMarker == "EN" ? help_context::kEnglish : help_context::kPolish;
}

std::string helpPageOfContext(int context) {
    return context == help_context::kEnglish ? "en/index.html" : "pl/index.html";
}

std::string sharedDataFolder(const std::string& programDir) {
    namespace fs = std::filesystem;
    const fs::path dir = programDir.empty() ? fs::path(".") : fs::path(programDir);
    return (dir / ".." / "share" / "mr420").lexically_normal().string();
}

std::string helpPagePath(int context, const std::string& programDir) {
    namespace fs = std::filesystem;
    return (fs::path(sharedDataFolder(programDir)) / "help" / helpPageOfContext(context)).string();
}

std::string readmePath(const std::string& programDir) {
    namespace fs = std::filesystem;
    return (fs::path(sharedDataFolder(programDir)) / "README.md").string();
}

}  // namespace mr420
