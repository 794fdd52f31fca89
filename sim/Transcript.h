#pragma once
// A record of the traffic of the simulated panel: every frame received and
// every line sent back, one per text line with the local time to the
// millisecond, so a session can be read afterwards or replayed.
//   2026-12-08 10:15:02.481 > 020A00F4
//   2026-12-08 10:15:02.493 < 020A00:0420:0002080000000000:1267:0018:9D
//   2026-12-08 10:15:03.104 - no reply

#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace mr420::sim {

class Transcript {
public:
    Transcript() = default;
    ~Transcript();
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;

    // Appends to `path`; false when it cannot be opened.
    bool open(const std::string& path);
    void close();
    bool isOpen() const;

    void frameReceived(std::string_view frame);
    // The bytes sent back (one or more CR LF lines), or nullopt for silence.
    void replySent(const std::optional<std::string>& reply);
    void note(std::string_view text);

private:
    void writeLine(char direction, std::string_view text);

    mutable std::mutex mutex_;
    std::FILE* file_ = nullptr;
};

}  // namespace mr420::sim
