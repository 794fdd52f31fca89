#pragma once
// A record of the traffic of the simulated panel: every frame received and
// every line sent back, in the line-trace format that the program's --trace
// writes too (see protocol/LineTrace.h), so a session can be read afterwards,
// compared with one taken at a real panel, or replayed.

#include <optional>
#include <string>
#include <string_view>

#include "protocol/LineTrace.h"

namespace mr420::sim {

class Transcript {
public:
    // Appends to `path`; false when it cannot be opened.
    bool open(const std::string& path) { return trace_.open(path); }
    void close() { trace_.close(); }
    bool isOpen() const { return trace_.isOpen(); }

    void frameReceived(std::string_view frame) { trace_.write('>', frame); }
    // The bytes sent back (one or more CR LF lines), or nullopt for silence.
    void replySent(const std::optional<std::string>& reply);
    void note(std::string_view text) { trace_.write('#', text); }

private:
    LineTrace trace_;
};

}  // namespace mr420::sim
