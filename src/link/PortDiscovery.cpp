#include "link/PortDiscovery.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <sys/stat.h>

#include "link/ComPortNames.h"

namespace mr420 {

namespace fs = std::filesystem;

namespace {

// Highest COM number the program knows (the port table has 255 usable slots).
constexpr int kMaxComNumber = 255;

std::string readFirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line)) return "";
    return line;
}

// Descriptions end up on one line of the port list: no control characters,
// no surrounding blanks.
std::string cleanDescription(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string linkName(const fs::path& link) {
    std::error_code ec;
    fs::path target = fs::read_symlink(link, ec);
    return ec ? std::string() : target.filename().string();
}

// The USB product string of the device or of one of its parents, else the
// name of the first driver met on the way up that is not the generic serial
// core's "port"/"ctrl" layer.
std::string describeDevice(const fs::path& deviceLink) {
    std::error_code ec;
    fs::path dir = fs::canonical(deviceLink, ec);
    if (ec) return "";
    std::string driver;
    for (int depth = 0; depth < 12 && !dir.empty(); ++depth) {
        std::string product = cleanDescription(readFirstLine(dir / "product"));
        if (!product.empty()) return product;
        if (driver.empty()) {
            std::string name = linkName(dir / "driver");
            if (!name.empty() && name != "port" && name != "ctrl") driver = name;
        }
        if (dir.filename() == "devices" || dir.parent_path() == dir) break;
        dir = dir.parent_path();
    }
    return driver;
}

// Legacy ttyS nodes exist for every possible UART; only those with hardware
// behind them count.
bool hasRealUart(const fs::path& ttyDir) {
    std::error_code ec;
    if (fs::exists(ttyDir / "type", ec)) {
        std::string type = readFirstLine(ttyDir / "type");
        return !type.empty() && type != "0";
    }
    return linkName(ttyDir / "device" / "driver") != "serial8250";
}

bool isCharDevice(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

// Cuts a trailing " (COMn)" off a description: it would repeat the name.
std::string withoutComSuffix(const std::string& text) {
    const auto at = text.rfind(" (COM");
    if (at == std::string::npos || text.empty() || text.back() != ')') return text;
    const std::size_t digitsBegin = at + 5;
    const std::size_t digitsEnd = text.size() - 1;
    if (digitsEnd <= digitsBegin) return text;
    for (std::size_t i = digitsBegin; i < digitsEnd; ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return text;
    return text.substr(0, at);
}

}  // namespace

std::vector<DiscoveredPort> discoverPorts(const std::map<int, std::string>& aliases,
                                          const std::string& sysfsRoot, const std::string& devRoot) {
    std::map<int, DiscoveredPort> found;

    std::error_code ec;
    fs::directory_iterator entries(sysfsRoot, ec);
    if (!ec) {
        for (const fs::directory_entry& entry : entries) {
            const std::string name = entry.path().filename().string();
            const int com = comNumberForDeviceName(name);
            if (com == 0 || aliases.count(com)) continue;
            std::error_code linkEc;
            if (!fs::exists(entry.path() / "device", linkEc)) continue;
            if (name.rfind("ttyS", 0) == 0 && !hasRealUart(entry.path())) continue;
            found[com] = DiscoveredPort{com, devRoot + "/" + name, describeDevice(entry.path() / "device")};
        }
    } else {
        // No sysfs: fall back to the device nodes themselves.
        for (int com = 1; com <= kMaxComNumber; ++com) {
            if (aliases.count(com)) continue;
            const std::string path = devicePathForCom(com, {}, devRoot);
            if (!path.empty() && isCharDevice(path)) found[com] = DiscoveredPort{com, path, ""};
        }
    }

    for (const auto& [com, target] : aliases) {
        if (com <= 0 || com > kMaxComNumber || target.empty()) continue;
        if (isCharDevice(target)) found[com] = DiscoveredPort{com, target, cleanDescription(target)};
    }

    std::vector<DiscoveredPort> ports;
    ports.reserve(found.size());
    for (auto& [com, port] : found) ports.push_back(std::move(port));
    return ports;
}

std::string portListText(const std::vector<DiscoveredPort>& ports) {
    std::vector<DiscoveredPort> sorted = ports;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const DiscoveredPort& a, const DiscoveredPort& b) { return a.comNumber < b.comNumber; });
    std::string text;
    for (const DiscoveredPort& port : sorted) {
        if (port.comNumber <= 0) continue;
        const std::string description = withoutComSuffix(cleanDescription(port.description));
        text += "COM" + std::to_string(port.comNumber);
        if (!description.empty()) text += ":" + description;
        text += "\n";
    }
    return text;
}

std::vector<std::string> portEntries(const std::string& listText) {
    std::vector<std::string> entries;
    std::size_t begin = 0;
    while (begin < listText.size()) {
        std::size_t end = listText.find('\n', begin);
        if (end == std::string::npos) end = listText.size();
        const std::string line = listText.substr(begin, end - begin);
        if (!line.empty()) {
            const auto colon = line.find(':');
            entries.push_back(colon == std::string::npos
                                  ? line
                                  : line.substr(0, colon) + " (" + line.substr(colon + 1) + ")");
        }
        begin = end + 1;
    }
    return entries;
}

int comNumberFromEntry(const std::string& entry) {
    const auto first = entry.find_first_not_of(" \t");
    if (first == std::string::npos) return 0;
    const auto last = entry.find_last_not_of(" \t");
    const std::string text = entry.substr(first, last - first + 1);
    if (text.size() < 4) return 0;
    long n = 0;
    for (std::size_t i = 3; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        n = n * 10 + (text[i] - '0');
        if (n > 1000000) return 0;
    }
    return n > 0 ? static_cast<int>(n) : 0;
}

}  // namespace mr420
