#include "base/TimerIds.h"
#include "cli/Commands.h"
#include "cli/LiveLog.h"

namespace mr420::cli {

int commandLog(Engine& engine, const CliOptions& o) {
    LiveLog log(engine, o);
    if (!log.openCurrent()) return exit_status::kFileFailed;
    engine.timers().route(timer_id::kRegistration, [&](int) { log.tick(); });
    engine.timers().startTimer(timer_id::kRegistration, o.interval * 1000);
    engine.reportConnection(true);
    engine.runUntil([] { return false; });
    engine.timers().stopTimer(timer_id::kRegistration);
    engine.timers().route(timer_id::kRegistration, {});
    return exit_status::kDone;
}

}  // namespace mr420::cli
