// Charts: 20 000 memory records to a drawn chart (setData, then the first
// paint of the window, offscreen), and reading a 10 MB registration text
// file. Prints the figures; run it on the offscreen platform:
//   QT_QPA_PLATFORM=offscreen build/bench/chart_bench

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "chart/ChartData.h"
#include "chart/ChartFiles.h"
#include "recording/MemoryDecoder.h"
#include "chart/LiveBuffer.h"
#include "chart/widgets/ChartView.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::setlocale(LC_ALL, "C");
    using namespace mr420;

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
    return 0;
}
