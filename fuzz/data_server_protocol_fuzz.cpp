// Hostile client input to the local data server's line protocol: whatever
// arrives, the pending line stays bounded, every reply is whole lines, and an
// over-long line closes the connection.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "publish/DataServerProtocol.h"
#include "AsanOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace mr420;
    static DataServerProtocol server = [] {
        DataServerProtocol s;
        LiveReadings panes{};
        for (auto& p : panes) p = {true, true, false, 21.5, 3, false};
        s.start(1234, panes);
        return s;
    }();
    DataServerProtocol::Session session;
    std::vector<std::pair<int, int>> advised;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string out;
    // Feed in uneven pieces, as a socket would deliver them.
    std::size_t chunk = size > 0 ? (data[0] % 37) + 1 : 1;
    while (!input.empty()) {
        out.clear();
        std::string_view piece = input.substr(0, chunk);
        input.remove_prefix(piece.size());
        DataServerProtocol::Feed f = server.feed(session, piece, out);
        if (!out.empty() && out.back() != '\n') std::abort();
        if (session.pending.size() > data_server::kMaxLineBytes + 1 + 37 && f == DataServerProtocol::Feed::Keep)
            std::abort();
        if (session.advises.size() > data_server::kTopicCount * data_server::kItemCount) std::abort();
        if (f == DataServerProtocol::Feed::Close) break;
        // The advise loops' lines depend on nothing but the loops (the
        // readings stay): looked at whenever the loops have changed.
        if (session.advises != advised) {
            advised = session.advises;
            const std::string data2 = server.adviseData(session);
            if (!data2.empty() && data2.back() != '\n') std::abort();
        }
    }
    return 0;
}
