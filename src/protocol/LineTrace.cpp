#include "protocol/LineTrace.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace mr420 {

namespace {

constexpr std::string_view kPinCode = "025600";        // four character codes of the PIN
constexpr std::string_view kLongTextCode = "026300";   // text selector, chunk, three character codes
constexpr char kPapPasswordSelector = '2';
constexpr std::size_t kCodeLength = 6;
constexpr std::size_t kSecretDataDigits = 8;

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

}  // namespace

std::string withoutSecrets(std::string_view line) {
    std::string out(line);
    if (out.size() <= kCodeLength) return out;
    const std::string_view code = std::string_view(out).substr(0, kCodeLength);
    // A frame has its data right after the code; a reply, after a colon.
    const bool reply = out[kCodeLength] == ':';
    const std::size_t data = reply ? kCodeLength + 1 : kCodeLength;
    std::size_t from = 0;
    if (code == kPinCode) {
        from = data;
    } else if (code == kLongTextCode && out.size() > data && out[data] == kPapPasswordSelector) {
        from = data + 2;   // the selector and the chunk number stay readable
    } else {
        return out;
    }
    const std::size_t to = std::min(out.size(), data + kSecretDataDigits);
    for (std::size_t i = from; i < to; ++i)
        if (isHexDigit(out[i])) out[i] = '*';
    // The checksum: the rest of a frame, the last group of a reply.
    const std::size_t checksum = reply ? out.rfind(':') + 1 : to;
    for (std::size_t i = std::max(checksum, to); i < out.size(); ++i)
        if (isHexDigit(out[i])) out[i] = '*';
    return out;
}

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
    const std::string clear = direction == '>' || direction == '<' ? withoutSecrets(text) : std::string(text);
    // Noise on the line must not break the one-event-per-line layout.
    std::string shown;
    shown.reserve(clear.size());
    for (char c : clear) {
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
