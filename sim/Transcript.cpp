#include "sim/Transcript.h"

namespace mr420::sim {

void Transcript::replySent(const std::optional<std::string>& reply) {
    if (!reply) {
        trace_.write('-', "no reply");
        return;
    }
    std::string_view rest = *reply;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        trace_.write('<', rest.substr(0, end));
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
}

}  // namespace mr420::sim
