// mr420-chart: draws saved registration and memory files side by side on one
// time axis.
//
//   mr420-chart [--ini PATH] [--png FILE] [--svg FILE] FILE...
//
// Text and CSV files of the live registration and of the memory save, and
// .qvg files; without a file it asks for them. It speaks the language of the
// window's settings file (read, never written). What a file holds that could not be read is listed under the
// chart (and on standard error) with the line and the reason. With --png or
// --svg the chart is written to that file and the program ends.

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "app/SettingsLocation.h"
#include "app/widgets/Translation.h"
#include "base/IniFile.h"
#include "chart/ChartFiles.h"
#include "chart/widgets/ChartFeature.h"

namespace {

void usage(std::FILE* to) {
    std::fputs("Usage: mr420-chart [--ini PATH] [--png FILE] [--svg FILE] FILE...\n"
               "Draws registration and memory files (text, CSV, .qvg) on one time axis;\n"
               "without a file it asks for them.\n",
               to);
}

QString t(const char* text) { return QCoreApplication::translate("mr420-chart", text); }

// The language of the window's settings file; Polish without one.
std::string settingsLanguage(const QStringList& args) {
    std::vector<std::string> arguments;
    for (const QString& a : args) arguments.push_back(a.toStdString());
    mr420::IniFile ini;
    if (!ini.open(mr420::iniPathFromArguments(arguments), /*saveWhenClosed=*/false, /*createIfMissing=*/false,
                  /*caseBlind=*/true))
        return {};
    return mr420::readLanguage(ini);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    const QStringList args = app.arguments();
    mr420::ProgramLanguage language(app, settingsLanguage(args), QCoreApplication::applicationDirPath());
    std::vector<std::string> paths;
    QString png, svg;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            usage(stdout);
            return 0;
        }
        if ((a == QLatin1String("--png") || a == QLatin1String("--svg")) && i + 1 < args.size()) {
            (a == QLatin1String("--png") ? png : svg) = args[++i];
            continue;
        }
        if (a == QLatin1String("--ini") && i + 1 < args.size()) {
            ++i;   // read above
            continue;
        }
        if (a.startsWith(QLatin1String("--ini="))) continue;
        if (a.startsWith(QLatin1String("--"))) {
            std::fprintf(stderr, "mr420-chart: unknown option %s\n", a.toLocal8Bit().constData());
            usage(stderr);
            return 2;
        }
        paths.push_back(a.toStdString());
    }
    if (paths.empty() && png.isEmpty() && svg.isEmpty()) {
        // Started from a menu: the files are chosen here; none chosen, nothing to do.
        const QStringList chosen = QFileDialog::getOpenFileNames(
            nullptr, t("Wybierz pliki do wykresu"), QString(),
            t("Pliki pomiarów (*.txt *.csv *.qvg);;Wszystkie pliki (*)"));
        for (const QString& f : chosen) paths.push_back(QFile::encodeName(f).toStdString());
        if (paths.empty()) return 0;
    }
    if (paths.empty()) {
        usage(stderr);
        return 2;
    }

    std::vector<mr420::ChartData> files;
    QString report;
    int unreadable = 0;
    for (const std::string& path : paths) {
        mr420::ChartFileResult r = mr420::readChartFile(path);
        const QString name = QString::fromStdString(r.data.title);
        if (r.rows == 0) ++unreadable;
        report += QStringLiteral("%1: %2 %3").arg(name).arg(r.rows).arg(r.binary ? QStringLiteral("records")
                                                                                  : QStringLiteral("readings"));
        if (r.damaged() > 0) report += QStringLiteral(", %1 passed over").arg(r.damaged());
        report += QLatin1Char('\n');
        for (const mr420::SkippedLine& s : r.skipped) {
            if (s.expected) continue;
            const QString line = QStringLiteral("  %1 %2: %3\n")
                                     .arg(r.binary ? QStringLiteral("record") : QStringLiteral("line"))
                                     .arg(s.number)
                                     .arg(QString::fromStdString(s.reason));
            report += line;
        }
        files.push_back(std::move(r.data));
    }
    std::fputs(report.toLocal8Bit().constData(), stderr);

    mr420::ChartWindow window(QStringLiteral("mr420-chart"));
    QStringList titles;
    for (const auto& f : files) titles << QString::fromStdString(f.title);
    window.setWindowTitle(titles.join(QStringLiteral(", ")) + QStringLiteral(" - mr420-chart"));
    auto* notes = new QPlainTextEdit(report.trimmed(), &window);
    notes->setReadOnly(true);
    notes->setMaximumHeight(notes->fontMetrics().height() * 6 + 12);
    window.layout()->addWidget(notes);
    window.view()->setData(std::move(files));
    window.show();

    if (!png.isEmpty() || !svg.isEmpty()) {
        bool ok = true;
        QTimer::singleShot(0, &app, [&] {
            if (!png.isEmpty()) ok &= window.view()->exportPng(png);
            if (!svg.isEmpty()) ok &= window.view()->exportSvg(svg);
            app.exit(ok ? 0 : 1);
        });
        return app.exec();
    }
    app.exec();
    return unreadable == static_cast<int>(paths.size()) ? 1 : 0;
}
