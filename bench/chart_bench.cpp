// Charts: 20 000 memory records to a drawn chart (setData, then the first
// paint of the window, offscreen), and reading a 10 MB registration text
// file; then a year of one-minute records as registration text and as .qvg,
// and ten years as .qvg, which it writes itself (into $TMPDIR, removed
// afterwards): per file, in a process of its own, the time from the start
// of reading to the first painted frame, the peak memory, and the redraw of
// a zoom and of a pan. Prints the figures; run it on the offscreen platform:
//   QT_QPA_PLATFORM=offscreen build/bench/chart_bench [--no-years]

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>

#include <sys/resource.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "chart/ChartData.h"
#include "chart/ChartFiles.h"
#include "recording/MeasurementFile.h"
#include "recording/MemoryDecoder.h"
#include "chart/LiveBuffer.h"
#include "chart/widgets/ChartView.h"

namespace {

using namespace mr420;

// One minute's readings, moving slowly as a room's do.
MemoryRecord minuteRecord(long minute) {
    MemoryRecord r;
    const std::int64_t t = 1'767'225'600 + minute * 60;   // from 2026-01-01 (UTC)
    r.time = localTimeOf(static_cast<std::time_t>(t));
    r.temperature1Present = r.temperature2Present = r.humidityPresent = r.pressurePresent = true;
    r.temperature1 = 20 + (minute % 1440) * 0.004;
    r.temperature2 = 18 + (minute % 700) * 0.005;
    r.humidity = 40 + (minute % 3000) * 0.005;
    r.pressure = 1000 + (minute % 10000) * 0.002;
    return r;
}

// Writes `minutes` records as registration text or .qvg; returns its size.
long long writeFile(const std::string& path, long minutes, bool qvg) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!qvg) out << "Data i Godzina\tTemperatura1 \xB0" "C\tTemperatura2 \xB0" "C\tWilgotno\x9C\xE6 %\tCi\x9Cnienie hPa\r\n";
    std::string buffer;
    for (long m = 0; m < minutes; ++m) {
        const MemoryRecord r = minuteRecord(m);
        if (qvg) {
            buffer += encodeRecord(memoryRecordText(r, 1234));
        } else {
            char line[128];
            std::snprintf(line, sizeof line, "%04d.%02d.%02d %02d:%02d:%02d\t%.1f\t%.1f\t%.1f\t%.1f\r\n", r.time.year,
                          r.time.month, r.time.day, r.time.hour, r.time.minute, r.time.second, r.temperature1,
                          r.temperature2, r.humidity, r.pressure);
            for (char* c = line; *c; ++c)
                if (*c == '.' && c > line + 19) *c = ',';
            buffer += line;
        }
        if (buffer.size() > (1 << 20)) {
            out << buffer;
            buffer.clear();
        }
    }
    out << buffer;
    return static_cast<long long>(out.tellp());
}

// In a process of its own: the file to the first painted frame, then a zoom
// and a pan as the user does them.
int drawOne(const char* path) {
    QElapsedTimer t;
    t.start();
    ChartFileResult r = readChartFile(path);
    const qint64 read = t.elapsed();
    const ChartFileIndex index = r.index;
    ChartView view;
    view.resize(1000, 600);
    view.setSpanReader([&index](std::size_t, qint64 from, qint64 to, int columns) {
        ChartFileResult span = readChartSpan(index, from, to, columns);
        return span.data;
    });
    const int rows = r.rows;
    view.setData({std::move(r.data)});
    view.show();
    view.grab();
    const qint64 first = t.elapsed();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    double worst = 0;
    const auto redraw = [&](auto&& change) {
        QElapsedTimer each;
        each.start();
        change();
        view.redrawNow();
        view.grab();
        worst = std::max(worst, static_cast<double>(each.nsecsElapsed()) / 1e6);
    };
    const qint64 mid = (view.rangeStart() + view.rangeEnd()) / 2;
    redraw([&] { view.zoomTime(0.5, mid); });
    redraw([&] { view.zoomTime(0.02, mid); });   // a week of a year: read again from the file
    redraw([&] { view.panTime(0.3); });
    redraw([&] { view.zoomTime(0.05, mid); });
    redraw([&] { view.panTime(-0.5); });
    const auto ms = [](const timeval& v) { return v.tv_sec * 1000.0 + v.tv_usec / 1000.0; };
    std::printf("  %d rows: read %lld ms, first frame %lld ms (CPU %.0f ms user, %.0f ms system), peak memory %.0f MiB,"
                " slowest zoom or pan redraw %.0f ms\n",
                rows, static_cast<long long>(read), static_cast<long long>(first), ms(usage.ru_utime), ms(usage.ru_stime),
                usage.ru_maxrss / 1024.0, worst);
    return 0;
}

void years(const char* self) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string dir = tmp && *tmp ? tmp : "/tmp";
    struct Case {
        const char* what;
        long minutes;
        bool qvg;
    } const cases[] = {{"a year, registration text", 525'600, false},
                       {"a year, .qvg", 525'600, true},
                       {"ten years, .qvg", 5'256'000, true}};
    for (const Case& c : cases) {
        const std::string path = dir + "/mr420-chart-bench" + (c.qvg ? ".qvg" : ".txt");
        const long long size = writeFile(path, c.minutes, c.qvg);
        std::printf("%s (%.1f MB):\n", c.what, size / 1e6);
        std::fflush(stdout);
        const std::string command = std::string(self) + " --draw " + path;
        if (std::system(command.c_str()) != 0) std::printf("  failed\n");
        std::remove(path.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::setlocale(LC_ALL, "C");
    if (argc == 3 && std::strcmp(argv[1], "--draw") == 0) return drawOne(argv[2]);

    std::vector<MemoryRecord> records(20000);
    for (std::size_t i = 0; i < records.size(); ++i) {
        MemoryRecord& r = records[i];
        const int minutes = static_cast<int>(i) * 5;
        r.time = {2026, 1 + minutes / (60 * 24 * 28), 1 + minutes / (60 * 24) % 28, minutes / 60 % 24, minutes % 60, 0};
        r.temperature1Present = r.temperature2Present = r.humidityPresent = r.pressurePresent = true;
        r.temperature1 = 20 + (i % 100) * 0.05;
        r.temperature2 = 18 + (i % 70) * 0.05;
        r.humidity = 40 + (i % 50) * 0.2;
        r.pressure = 1000 + (i % 30);
        r.humidityError = i % 997 == 0;   // a few gaps
        addComputedValues(r, true, true, 1013.0);
    }
    QElapsedTimer t;
    t.start();
    ChartView view;
    view.resize(1000, 600);
    view.setData({chartFromMemory(records)});
    const qint64 built = t.elapsed();
    view.show();
    const QPixmap first = view.grab();   // renders the whole widget once
    const qint64 painted = t.elapsed();
    std::printf("20000 memory records: series built in %lld ms, first paint after %lld ms (%d lines, %dx%d)\n",
                static_cast<long long>(built), static_cast<long long>(painted), view.lineCount(), first.width(),
                first.height());

    // A full live buffer (a day thinned to one per second, ten minutes at
    // five cycles a second), redrawn as the open live window does each second.
    {
        LiveBuffer buffer;
        const std::int64_t start = 1'780'000'000'000;
        for (std::int64_t ms = 0; ms < 24LL * 3600 * 1000 + 600'000; ms += 200) {
            LiveSample sample;
            sample.time = start + ms;
            for (std::size_t c = 0; c < sample.values.size(); ++c) sample.values[c] = 20.0 + c + (ms / 1000 % 600) * 0.01;
            buffer.add(sample);
        }
        ChartView live;
        live.resize(1000, 600);
        live.setData({buffer.chart()});
        live.show();
        live.grab();
        t.restart();
        constexpr int kRedraws = 5;
        for (int i = 0; i < kRedraws; ++i) {
            live.setData({buffer.chart()});
            live.grab();
        }
        const double each = static_cast<double>(t.elapsed()) / kRedraws;
        // The open window redraws once the readings move on by a pixel column.
        const double interval = std::max(1000.0, static_cast<double>(live.rangeEnd() - live.rangeStart()) / 1000.0);
        std::printf("live buffer of %zu samples: one redraw %.0f ms, every %.0f s on a 1000-pixel plot: %.2f %% of a core"
                    " (%.1f %% at one redraw a second)\n",
                    buffer.size(), each, interval / 1000.0, 100.0 * each / interval, each / 10.0);
    }

    std::string text = "Data i Godzina\tTemperatura1 \xB0" "C\tTemperatura2 \xB0" "C\tCi\x9Cnienie hPa\tWilgotno\x9C\xE6 %\r\n";
    int second = 0;
    while (text.size() < 10u * 1024 * 1024) {
        char line[160];
        const int s = second++;
        std::snprintf(line, sizeof line, "2026.%02d.%02d %02d:%02d:%02d\t%d,%d\t???\t1013,%d\t45,%d\r\n",
                      1 + s / 86400 / 28 % 12, 1 + s / 86400 % 28, s / 3600 % 24, s / 60 % 60, s % 60, 20 + s % 5,
                      s % 10, s % 10, s % 10);
        text += line;
    }
    t.restart();
    const ChartFileResult r = readChartText(text);
    const qint64 read = t.elapsed();
    std::printf("10 MB text file (%zu bytes, %d rows): read in %lld ms (%.1f MB/s)\n", text.size(), r.rows,
                static_cast<long long>(read), read > 0 ? text.size() / 1048576.0 / (read / 1000.0) : 0.0);
    std::fflush(stdout);
    if (!(argc == 2 && std::strcmp(argv[1], "--no-years") == 0)) years(argv[0]);
    return 0;
}
