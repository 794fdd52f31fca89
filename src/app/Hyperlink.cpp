#include "app/Hyperlink.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace mr420 {

std::string hyperlinkFailureReason(int code) {
    switch (code) {
        case 0: return "The operating system is out\nof memory or resources.";
        case 2: return "The specified file was not found.";
        case 3: return "The specified path was not found.";
        case 5: return "The operating system denied\naccess to the specified file.";
        case 8: return "There was not enough memory to complete the operation.";
        case 11: return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
        case 26: return "A sharing violation occurred. ";
        case 27: return "The filename association is\nincomplete or invalid.";
        case 28: return "The DDE transaction could not\nbe completed because the request timed out.";
        case 29: return "The DDE transaction failed.";
        case 30:
            return "The DDE transaction could not\nbe completed because other DDE transactions\nwere being "
                   "processed.";
        case 31: return "There is no application associated\nwith the given filename extension.";
        case 32: return "The specified dynamic-link library was not found.";
        default: {
            char text[64];
            std::snprintf(text, sizeof text, "Unknown Error (%d) occurred.", code);
            return text;
        }
    }
}

std::string hyperlinkFailureMessage(int code) { return "Unable to open hyperlink:\n\n" + hyperlinkFailureReason(code); }

bool targetHasScheme(const std::string& target) {
    const std::size_t colon = target.find(':');
    if (colon == std::string::npos || colon < 2) return false;
    if (!std::isalpha(static_cast<unsigned char>(target[0]))) return false;
    for (std::size_t i = 1; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(target[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

std::optional<int> fileTargetFailure(const std::string& path) {
    namespace fs = std::filesystem;
    if (path.empty()) return link_result::kFileNotFound;
    std::error_code ec;
    const fs::path p(path);
    if (!fs::exists(p, ec)) {
        const fs::path folder = p.has_parent_path() ? p.parent_path() : fs::path(".");
        return fs::is_directory(folder, ec) ? link_result::kFileNotFound : link_result::kPathNotFound;
    }
    if (::access(path.c_str(), R_OK) != 0) return link_result::kAccessDenied;
    return std::nullopt;
}

}  // namespace mr420
