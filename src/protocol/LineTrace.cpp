#include "protocol/LineTrace.h"

#include <chrono>
#include <ctime>

namespace mr420 {

LineTrace::~LineTrace() { close(); }

bool LineTrace::open(const std::string& path) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (file_) std::fclose(file_);
    file_ = std::fopen(path.c_str(), "ae");
    return file_ != nullptr;
}

void LineTrace::close() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

bool LineTrace::isOpen() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return file_ != nullptr;
}

void LineTrace::write(char direction, std::string_view text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
    std::lock_guard<std::mutex> guard(mutex_);
    if (!file_) return;
    // Noise on the line must not break the one-event-per-line layout.
    std::string shown;
    shown.reserve(text.size());
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", u);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::fprintf(file_, "%s.%03d %c %s\n", stamp, static_cast<int>(millis), direction, shown.c_str());
    // A trace is read while the program runs, and must survive its crash.
    std::fflush(file_);
}

}  // namespace mr420
