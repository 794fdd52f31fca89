#include "support/TestSupport.h"

#include <cstdlib>
#include <csignal>
#include <unistd.h>
#include <filesystem>

#include "protocol/Frame.h"

namespace mr420::test {

std::string replyWithLrc(const std::string& textWithoutLrc) {
    std::string digits;
    for (char c : textWithoutLrc)
        if (c != ':') digits.push_back(c);
    std::string line = textWithoutLrc;
    appendHex(line, lrcOfHexText(digits.data(), digits.size()), 2);
    line += "\r\n";
    return line;
}

std::string makeTempDir(const std::string& name) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("mr420-test-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

bool signalChild(pid_t pid, int signal) { return pid > 0 && ::kill(pid, signal) == 0; }

}  // namespace mr420::test
