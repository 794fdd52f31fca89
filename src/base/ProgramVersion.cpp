#include "base/ProgramVersion.h"

namespace mr420 {

std::string programVersion() { return MR420_VERSION; }

std::string versionLine(const std::string& format, const std::string& version) {
    static const std::string kConversion = "%d.%02d";
    const std::size_t at = format.find(kConversion);
    if (at == std::string::npos) return format.empty() ? version : format + " " + version;
    std::string line = format;
    line.replace(at, kConversion.size(), version);
    return line;
}

}  // namespace mr420
