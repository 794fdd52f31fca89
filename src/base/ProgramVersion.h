#pragma once
// The program's one version number (the build's project version), as
// `mr420 --version` prints it and the About box shows it.

#include <string>

namespace mr420 {

// "1.08" and the like: major, a full stop, two digits of the minor number.
std::string programVersion();

// The version line of the About box: `format` is string 225, whose "%d.%02d"
// stands for the version number and is replaced by `version`. A format
// without that conversion gets the version appended after a blank.
std::string versionLine(const std::string& format, const std::string& version);

}  // namespace mr420
