// A full memory read-out over the line as a panel paces it: the simulated
// panel's memory-full scenario (256 blocks) behind a pseudo-terminal, every
// reply sent at 9600 baud, the real PanelConnection, session and MemoryReadout
// on the plain event loop. Prints the wall time of the read-out beside the
// time the line itself needs for the frames and replies it carried (their
// characters, CR LF included, at 10 bits each), and the ratio of the two.
// A full read-out takes a few minutes.
//
// Usage: readout_bench

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "recording/MemoryReadout.h"
#include "sim/PtyPanel.h"
#include "sim/Scenarios.h"
#include "support/ConnectionRig.h"

using namespace mr420;
using namespace std::chrono_literals;

namespace {

struct View : MemoryReadoutView {
    bool done = false;
    bool windowExists() const override { return true; }
    void setProgressRange(int) override {}
    void setProgress(int) override {}
    void showDecoded() override { done = true; }
    void showMessage(const UserMessage& m) override { std::printf("message %d\n", m.stringId); }
    void closeAsCancelled() override { done = true; }
};

// Characters of the frames and lines in a trace, CR LF included.
long lineCharacters(const std::string& path) {
    std::ifstream in(path);
    long characters = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.size() < 26 || (line[24] != '>' && line[24] != '<')) continue;
        characters += static_cast<long>(line.size() - 26) + 2;
    }
    return characters;
}

}  // namespace

int main() {
    auto scenario = sim::makeScenario("memory-full", 0);
    if (!scenario) return 1;
    scenario->faults.pace = true;
    sim::PtyPanel panel(scenario->model, scenario->faults);
    const auto path = panel.start();
    if (!path) return 1;

    test::ConnectionRig rig;
    if (rig.openAndStart(*path)) return 1;
    rig.loop.runFor(10s, [&] { return rig.connectedCycles() >= 1; });

    const std::string trace = "/tmp/readout_bench_trace.txt";
    std::remove(trace.c_str());
    MemoryReadout readout(rig.connection.session(), rig.timers);
    View view;
    rig.connection.startTrace(trace);
    const auto start = std::chrono::steady_clock::now();
    readout.start(view, {});
    rig.loop.runFor(600s, [&] { return view.done; });
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rig.connection.stopTrace();

    const long characters = lineCharacters(trace);
    const double lineSeconds = characters * 10.0 / 9600.0;
    std::printf("readout_bench: %zu records from %d blocks\n", readout.records().size(), readout.memorySizeBlocks());
    std::printf("  read-out %.2f s, line %.2f s for %ld characters, ratio %.3f\n", seconds, lineSeconds, characters,
                seconds / lineSeconds);
    return 0;
}
