#pragma once
// What a hyperlink click reports: a result code in the shell's numbering
// (above 32 = opened), the reason for each failure code, and how a target is
// told apart (a URL with a scheme, or a file).

#include <optional>
#include <string>

namespace mr420 {

namespace link_result {
constexpr int kOutOfResources = 0;
constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kAccessDenied = 5;
constexpr int kNoAssociation = 31;
constexpr int kOpened = 33;  // any value above 32 means the target was opened
}  // namespace link_result

inline bool linkOpened(int code) { return code > 32; }

// The reason shown for a failure code; "Unknown Error (%d) occurred." for a
// code without one.
std::string hyperlinkFailureReason(int code);

// "Unable to open hyperlink:\n\n" followed by the reason.
std::string hyperlinkFailureMessage(int code);

// True when the target names a scheme ("mailto:", "https://", "file://"):
// letters, digits, '+', '-' or '.' after a letter, two characters at least (a
// single letter before ':' is a drive, not a scheme).
bool targetHasScheme(const std::string& target);

// Why a file target cannot be opened, looked up in the file system: the file
// is missing (its folder exists), its folder is missing, or it cannot be read.
// Nothing when it is there and readable.
std::optional<int> fileTargetFailure(const std::string& path);

}  // namespace mr420
