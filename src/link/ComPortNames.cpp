#include "link/ComPortNames.h"

#include <cctype>
#include <sys/stat.h>

namespace mr420 {

namespace {

struct ComRange {
    int first;         // COM number of device 0
    const char* stem;  // device name without its number
};

// Each range holds 32 devices.
constexpr ComRange kRanges[] = {{1, "ttyS"}, {33, "ttyUSB"}, {65, "ttyACM"}};
constexpr int kRangeSize = 32;

}  // namespace

std::string devicePathForCom(int comNumber, const std::map<int, std::string>& aliases,
                             const std::string& devRoot) {
    auto alias = aliases.find(comNumber);
    if (alias != aliases.end() && !alias->second.empty()) return alias->second;
    for (const ComRange& range : kRanges) {
        if (comNumber >= range.first && comNumber < range.first + kRangeSize)
            return devRoot + "/" + range.stem + std::to_string(comNumber - range.first);
    }
    return "";
}

std::string devicePathForCom(int comNumber, const std::map<int, std::string>& aliases) {
    return devicePathForCom(comNumber, aliases, "/dev");
}

int comNumberForDeviceName(const std::string& name) {
    for (const ComRange& range : kRanges) {
        const std::string stem = range.stem;
        if (name.size() <= stem.size() || name.compare(0, stem.size(), stem) != 0) continue;
        const std::string digits = name.substr(stem.size());
        if (digits.size() > 2) return 0;
        if (digits.size() == 2 && digits[0] == '0') return 0;
        int index = 0;
        for (char c : digits) {
            if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
            index = index * 10 + (c - '0');
        }
        return index < kRangeSize ? range.first + index : 0;
    }
    return 0;
}

bool comPortExists(int comNumber, const std::map<int, std::string>& aliases) {
    const std::string path = devicePathForCom(comNumber, aliases);
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

int parseComName(const std::string& text) {
    if (text.size() < 4 || text.size() > 6) return 0;
    for (int i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != "COM"[i]) return 0;
    int n = 0;
    for (std::size_t i = 3; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return 0;
        n = n * 10 + (text[i] - '0');
    }
    return n > 0 && n < 256 ? n : 0;
}

}  // namespace mr420
