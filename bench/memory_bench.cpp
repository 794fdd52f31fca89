// Decoding a full panel memory (256 blocks, 64 KiB) as the read-out does
// once the last block is in: the image of the simulated panel's memory-full
// scenario (records in time order), and a full image written in overwrite
// mode that wrapped round halfway (so the records must be sorted). Then the
// dew point and water-vapour content added to every record. Prints the
// median, the fastest and the slowest of many runs, the first run on its own
// (the read-out decodes once, into memory the process has not touched yet),
// and the record count.
//
// Usage: memory_bench [runs]   (default 2000)

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <sys/resource.h>

#include "recording/MemoryDecoder.h"
#include "sim/MemoryImageBuilder.h"
#include "sim/PanelModel.h"
#include "sim/Scenarios.h"

using namespace mr420;

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    double first = 0, median = 0, fastest = 0, slowest = 0;   // microseconds
};

long firstRunFaults = 0;   // page faults of the last measure()'s first run

long minorFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

template <typename Work>
Figures measure(int runs, Work&& work) {
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        const long faults = minorFaults();
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        if (i == 0) firstRunFaults = minorFaults() - faults;
    }
    const double first = times.front();
    std::sort(times.begin(), times.end());
    return {first, times[times.size() / 2], times.front(), times.back()};
}

// 256 blocks in overwrite mode, written one and a half times round: blocks 0
// to 127 hold the newest records, 128 to 255 the oldest.
std::vector<std::uint8_t> wrappedImage() {
    sim::MemoryImageBuilder builder(5);
    builder.setOverwrite(sim::kMaxMemoryBlocks);
    std::uint32_t t = panelSecondsSince2000({2026, 1, 1, 0, 0, 0});
    for (int i = 0; !(builder.wrapped() && builder.lastBlock() == 128); ++i, t += 300) {
        sim::LoggedReading r;
        r.seconds = t;
        r.temperature1Present = r.temperature2Present = r.humidityPresent = r.pressurePresent = true;
        r.coding = sim::TemperatureCoding::WideFine;
        r.temperature1 = 20.0 + (i % 500) * 0.01;
        r.temperature2 = 15.0 - (i % 300) * 0.01;
        r.humidity = 40.0 + (i % 200) * 0.1;
        r.pressure = 1000.0 + (i % 250) * 0.1;
        builder.add(r);
    }
    builder.closeBlock();
    return builder.image();
}

void report(const char* what, const std::vector<std::uint8_t>& image, int runs) {
    std::size_t records = 0;
    int used = 0;
    const Figures decode = measure(runs, [&] {
        const DecodedMemory d = decodeMemoryImage(image.data(), image.size());
        records = d.records.size();
        used = d.usedBytes;
    });
    const long decodeFaults = firstRunFaults;
    DecodedMemory decoded = decodeMemoryImage(image.data(), image.size());
    const Figures computed = measure(runs, [&] {
        for (MemoryRecord& r : decoded.records) addComputedValues(r, true, true, 1013.25);
    });
    std::printf("%s: %zu bytes, %zu records, %d bytes used\n", what, image.size(), records, used);
    std::printf("  decode:              median %8.1f us, fastest %8.1f us, slowest %8.1f us, first %8.1f us"
                " (%ld page faults)  (target under 2000 us)\n",
                decode.median, decode.fastest, decode.slowest, decode.first, decodeFaults);
    std::printf("  dew point + vapour:  median %8.1f us, fastest %8.1f us, slowest %8.1f us, first %8.1f us\n",
                computed.median, computed.fastest, computed.slowest, computed.first);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const auto full = sim::makeScenario("memory-full", panelSecondsSince2000({2026, 12, 8, 10, 15, 0}));
    if (!full) return 1;
    std::printf("memory_bench: %d runs each\n", runs);
    report("memory-full scenario (in time order)", full->model.memoryImage, runs);
    report("overwrite mode, wrapped at block 128 (sorted)", wrappedImage(), runs);
    return 0;
}
