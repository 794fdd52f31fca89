#include "sim/Transcript.h"

#include <chrono>
#include <ctime>

namespace mr420::sim {

namespace {

std::string_view withoutLineEnd(std::string_view s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n')) s.remove_suffix(1);
    return s;
}

}  // namespace

Transcript::~Transcript() { close(); }

bool Transcript::open(const std::string& path) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (file_) std::fclose(file_);
    file_ = std::fopen(path.c_str(), "a");
    return file_ != nullptr;
}

void Transcript::close() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

bool Transcript::isOpen() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return file_ != nullptr;
}

void Transcript::writeLine(char direction, std::string_view text) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!file_) return;
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::fprintf(file_, "%s.%03d %c %.*s\n", stamp, static_cast<int>(millis), direction,
                 static_cast<int>(text.size()), text.data());
    std::fflush(file_);
}

void Transcript::frameReceived(std::string_view frame) { writeLine('>', withoutLineEnd(frame)); }

void Transcript::replySent(const std::optional<std::string>& reply) {
    if (!reply) {
        writeLine('-', "no reply");
        return;
    }
    std::string_view rest = *reply;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        writeLine('<', withoutLineEnd(line));
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
}

void Transcript::note(std::string_view text) { writeLine('#', text); }

}  // namespace mr420::sim
