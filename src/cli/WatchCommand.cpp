#include <cstdio>

#include "cli/Commands.h"
#include "cli/WatchLines.h"

namespace mr420::cli {

int commandWatch(Engine& engine, const CliOptions& o) {
    std::FILE* out = engine.streams().out;
    WatchLines lines(o.format);
    long printed = 0;
    auto line = [&] {
        std::fprintf(out, "%s\n", lines.next(nowText(), engine.readings().panes()).c_str());
        std::fflush(out);
        ++printed;
    };
    line();   // the cycle the start waited for
    engine.setCycleHandler([&] {
        if (o.count == 0 || printed < o.count) line();
    });
    engine.reportConnection(true);
    engine.runUntil([&] { return o.count > 0 && printed >= o.count; });
    engine.setCycleHandler({});
    return exit_status::kDone;
}

}  // namespace mr420::cli
