// mr420-chart: draws saved registration and memory files side by side on one
// time axis.
//
//   mr420-chart [--ini PATH] [--png FILE] [--svg FILE] [--csv FILE]
//               [--from DATE] [--to DATE] FILE...
//
// Text and CSV files of the live registration and of the memory save, and
// .qvg files; without a file it asks for them. It speaks the language of the
// window's settings file (read, never written). Every file is named on
// standard error with its count of readings or why it has none, and every
// line it passed over with its number and reason (the first 20 of a file,
// then a count); the window lists the same under the chart. With --png,
// --svg or --csv the chart (the rows of the span for --csv, as the memory
// save writes CSV) goes to that file and the program ends; these, --help
// and --version need no display (the offscreen platform is taken, as it is
// whenever there is no display).
//
// Exit status: 0 when every file was drawn, 3 when some were and others not,
// 1 when nothing could be drawn or written, 2 for a wrong command line.

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/ProgramVersion.h"
#include "settings/Settings.h"
#include "settings/SettingsLocation.h"
#include "app/widgets/Translation.h"
#include "base/IniFile.h"
#include "base/StringTable.h"
#include "chart/ChartFiles.h"
#include "chart/widgets/ChartFeature.h"
#include "recording/MemorySave.h"

namespace {

using namespace mr420;

constexpr int kMostSkippedShown = 20;

// A string of the table with its printf arguments.
template <typename... A>
std::string text(int id, A... args) {
    const std::string format = str(id);
    const int n = std::snprintf(nullptr, 0, format.c_str(), args...);
    std::string out(static_cast<std::size_t>(std::max(0, n)) + 1, '\0');
    std::snprintf(out.data(), out.size(), format.c_str(), args...);
    out.resize(static_cast<std::size_t>(std::max(0, n)));
    return out;
}

QString t(const char* text) { return QCoreApplication::translate("mr420-chart", text); }

void say(const std::string& line) { std::fprintf(stderr, "mr420-chart: %s\n", line.c_str()); }

// The language of the window's settings file; Polish without one.
std::string settingsLanguage(int argc, char** argv) {
    std::vector<std::string> arguments(argv, argv + argc);
    IniFile ini;
    if (!ini.open(iniPathFromArguments(arguments), /*saveWhenClosed=*/false, /*createIfMissing=*/false,
                  /*caseBlind=*/true))
        return {};
    return readLanguage(ini);
}

// "2007-03-14", "2007-03-14T10:00", "2007-03-14 10:00:30": local time. A
// date alone ends the span at the end of its day when `end`.
std::optional<std::int64_t> isoTime(const std::string& s, bool end) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0, used = 0;
    const bool dateOnly = std::sscanf(s.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &used) == 3 &&
                          used == static_cast<int>(s.size());
    if (!dateOnly) {
        used = 0;
        const int got = std::sscanf(s.c_str(), "%4d-%2d-%2d%*1[T ]%2d:%2d%n:%2d%n", &y, &mo, &d, &h, &mi, &used, &sec, &used);
        if (got < 5 || used != static_cast<int>(s.size())) return std::nullopt;
    }
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || sec > 59 || y < 1900) return std::nullopt;
    const std::int64_t t = msecsOfLocalTime({y, mo, d, h, mi, sec});
    return dateOnly && end ? msecsOfLocalTime({y, mo, d + 1, 0, 0, 0}) - 1 : t;
}

// The drawn rows as the memory save writes them.
std::vector<MemoryRecord> recordsOf(const std::vector<ChartData>& files) {
    std::map<std::int64_t, MemoryRecord> byTime;
    for (const ChartData& f : files)
        for (int c = 0; c < kChannelCount; ++c)
            for (const ChartPoint& p : f.series[static_cast<std::size_t>(c)]) {
                if (p.gap()) continue;
                MemoryRecord& r = byTime[p.time];
                r.time = localTimeOfMsecs(p.time);
                r.twoDecimals = true;
                switch (c) {
                case kChannelTemp1: r.temperature1Present = true, r.temperature1 = p.value; break;
                case kChannelTemp2: r.temperature2Present = true, r.temperature2 = p.value; break;
                case kChannelRh: r.humidityPresent = true, r.humidity = p.value; break;
                case kChannelPressure: r.pressurePresent = true, r.pressure = p.value; break;
                case kChannelDp: r.dewPointComputed = true, r.dewPoint = p.value; break;
                default: r.vapourComputed = true, r.vapourPpm = p.value; break;
                }
            }
    std::vector<MemoryRecord> out;
    out.reserve(byTime.size());
    for (auto& [t, r] : byTime) out.push_back(r);
    return out;
}

// What a file gave, for standard error and the window: its readings or why
// it has none, then the lines passed over.
std::string reportOf(const ChartFileResult& r, const std::string& path, bool spanChosen) {
    const char* name = path.c_str();
    std::string out;
    switch (r.problem) {
    case ChartFileProblem::NoSuchFile: return text(string_id::kChartNoSuchFile, name) + '\n';
    case ChartFileProblem::CannotOpen: return text(string_id::kChartCannotOpen, name, r.systemReason.c_str()) + '\n';
    case ChartFileProblem::NotAChartFile: out = text(string_id::kChartNotAChartFile, name) + '\n'; break;
    case ChartFileProblem::NoReadings: out = text(string_id::kChartNoReadings, name) + '\n'; break;
    case ChartFileProblem::None:
        out = text(string_id::kChartReadCount, name, r.rows) + '\n';
        if (spanChosen && r.data.empty()) out += text(string_id::kChartNoReadings, name) + '\n';
        break;
    }
    int shown = 0, more = 0;
    for (const SkippedLine& s : r.skipped) {
        if (s.expected || r.problem == ChartFileProblem::NotAChartFile) continue;
        if (shown++ >= kMostSkippedShown) {
            ++more;
            continue;
        }
        out += text(r.binary ? string_id::kChartSkippedRecord : string_id::kChartSkippedLine, name, s.number,
                    s.reason.c_str()) + '\n';
    }
    if (more > 0) out += text(string_id::kChartMoreSkipped, name, more) + '\n';
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    // Without a display, or with nothing to show, Qt takes no display.
    bool headless = std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr;
    const bool noDisplay = headless;
    for (int i = 1; i < argc; ++i)
        for (const char* o : {"--help", "-h", "--version", "--png", "--svg", "--csv"})
            headless |= std::strcmp(argv[i], o) == 0;
    if (headless) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    ProgramLanguage language(app, settingsLanguage(argc, argv), QCoreApplication::applicationDirPath());
    const QStringList args = app.arguments();

    std::vector<std::string> paths;
    QString png, svg, csv;
    ChartReadOptions options;
    bool spanChosen = false;
    auto wrong = [](const std::string& line) {
        say(line);
        std::fputs(str(string_id::kChartUsage).c_str(), stderr);
        return 2;
    };
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(str(string_id::kChartUsage).c_str(), stdout);
            return 0;
        }
        if (a == QLatin1String("--version")) {
            std::printf("mr420-chart %s\n", programVersion().c_str());
            return 0;
        }
        const bool valued = a == QLatin1String("--png") || a == QLatin1String("--svg") || a == QLatin1String("--csv") ||
                            a == QLatin1String("--from") || a == QLatin1String("--to") || a == QLatin1String("--ini");
        if (valued && i + 1 >= args.size()) return wrong(text(string_id::kChartOptionNeedsValue, a.toLocal8Bit().constData()));
        if (a == QLatin1String("--png") || a == QLatin1String("--svg") || a == QLatin1String("--csv")) {
            (a == QLatin1String("--png") ? png : a == QLatin1String("--svg") ? svg : csv) = args[++i];
            continue;
        }
        if (a == QLatin1String("--from") || a == QLatin1String("--to")) {
            const std::string value = args[++i].toStdString();
            const std::optional<std::int64_t> t = isoTime(value, a == QLatin1String("--to"));
            if (!t) return wrong(text(string_id::kChartBadDate, value.c_str()));
            (a == QLatin1String("--from") ? options.from : options.to) = *t;
            spanChosen = true;
            continue;
        }
        if (a == QLatin1String("--ini")) {
            ++i;   // read above
            continue;
        }
        if (a.startsWith(QLatin1String("--ini="))) continue;
        if (a.startsWith(QLatin1String("--"))) return wrong(text(string_id::kChartUnknownOption, a.toLocal8Bit().constData()));
        paths.push_back(QFile::encodeName(a).toStdString());
    }
    const bool exporting = !png.isEmpty() || !svg.isEmpty() || !csv.isEmpty();
    if (!exporting && noDisplay) return wrong(str(string_id::kChartNoDisplay));
    if (paths.empty() && !exporting) {
        // Started from a menu: the files are chosen here; none chosen, nothing to do.
        const QStringList chosen = QFileDialog::getOpenFileNames(
            nullptr, t("Wybierz pliki do wykresu"), QString(),
            t("Pliki pomiarów (*.txt *.csv *.qvg);;Wszystkie pliki (*)"));
        for (const QString& f : chosen) paths.push_back(QFile::encodeName(f).toStdString());
        if (paths.empty()) return 0;
    }
    if (paths.empty()) return wrong(str(string_id::kChartUsage));
    if (!csv.isEmpty()) options.fullRows = std::numeric_limits<std::size_t>::max();   // every row goes out

    std::vector<ChartData> files;
    std::vector<ChartFileIndex> indexes;
    std::string report;
    for (const std::string& path : paths) {
        ChartFileResult r = readChartFile(path, options);
        report += reportOf(r, path, spanChosen);
        if (r.data.empty()) continue;
        r.data.reduced = r.reduced;
        files.push_back(std::move(r.data));
        indexes.push_back(std::move(r.index));
    }
    std::fputs(report.c_str(), stderr);
    if (files.empty()) {
        if (spanChosen) say(str(string_id::kChartNothingInSpan));
        return 1;
    }
    const int drawn = files.size() == paths.size() ? 0 : 3;

    if (!csv.isEmpty()) {
        const std::string path = QFile::encodeName(csv).toStdString();
        MemorySaveOptions save;
        save.separator = 1;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << memoryTextFile(recordsOf(files), save, memorySaveTextsFromStringTable());
        out.close();
        if (!out) {
            say(text(string_id::kChartCannotWrite, path.c_str()));
            return 1;
        }
        say(text(string_id::kChartWritten, path.c_str()));
        if (png.isEmpty() && svg.isEmpty()) return drawn;
    }

    ChartWindow window(QStringLiteral("mr420-chart"), nullptr, QStringLiteral("viewer"));
    QStringList titles;
    for (const auto& f : files) titles << QString::fromStdString(f.title);
    QString title = titles.join(QStringLiteral(", "));
    if (title.size() > 60) title = title.left(57) + QStringLiteral("...");
    window.setWindowTitle(title + QStringLiteral(" - mr420-chart"));
    auto* notes = new QPlainTextEdit(QString::fromStdString(report).trimmed(), &window);
    notes->setReadOnly(true);
    notes->setMaximumHeight(notes->fontMetrics().height() * 6 + 12);
    window.layout()->addWidget(notes);
    window.view()->setSpanReader([indexes](std::size_t file, qint64 from, qint64 to, int columns) {
        ChartFileResult r = readChartSpan(indexes[file], from, to, columns);
        r.data.reduced = r.reduced;
        return r.data;
    });
    window.view()->setData(std::move(files));
    if (png.isEmpty() && svg.isEmpty()) {
        window.show();
        app.exec();
        return drawn;
    }
    // Exports are drawn at the window's own size, without showing it.
    window.resize(1000, 620);
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.show();
    QCoreApplication::processEvents();
    int status = drawn;
    for (const bool vector : {false, true}) {
        const QString& target = vector ? svg : png;
        if (target.isEmpty()) continue;
        const bool ok = vector ? window.view()->exportSvg(target) : window.view()->exportPng(target);
        const std::string name = QFile::encodeName(target).toStdString();
        say(text(ok ? string_id::kChartWritten : string_id::kChartCannotWrite, name.c_str()));
        if (!ok) status = 1;
    }
    return status;
}
