#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QProcess>

#include <fstream>

#include "base/StringTable.h"
#include "support/TestApplication.h"
#include "support/TestSupport.h"

namespace mr420 {
namespace {

// A text of the string table without its leading "%s: ".
QString reason(int id) { return QString::fromStdString(str(id)).remove(QStringLiteral("%s: ")); }

struct ViewerRun {
    int status = -1;
    QString out, err;
};

// The viewer with no display at all, and no settings file of the user's.
ViewerRun viewer(const QStringList& args, const QString& home) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QString::fromLatin1(v));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(MR420_BINARY_DIR "/bin/mr420-chart"), args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

TEST(ChartViewerProgram, WorksWithoutADisplayAndSaysWhyAFileGaveNothing) {
    test::app();
    const QString dir = QString::fromStdString(test::makeTempDir("chartviewer"));
    const QString good = dir + "/good.txt", words = dir + "/words.csv", png = dir + "/c.png", csv = dir + "/c.csv";
    std::ofstream(good.toStdString(), std::ios::binary)
        << "Data i Godzina\tTemperatura1 \xB0" "C\r\n2007.03.14 10:00:00\t20,5\r\n14.03 nonsense\t3\r\n"
           "2007.03.14 10:01:00\t21,5\r\n2007.03.14 10:02:00\t22,5\r\n";
    std::ofstream(words.toStdString(), std::ios::binary) << "nothing but words\nand more\n";
    const QString missing = dir + "/missing.csv";
    struct Case {
        QStringList args;
        int status;
        QString says;   // in the standard error, or the output for 0 with no file
        QString writes;
    } const cases[] = {
        {{"--help"}, 0, "--png", {}},
        {{"--version"}, 0, "mr420-chart ", {}},
        {{"--png", png, missing}, 1, reason(string_id::kChartNoSuchFile), {}},
        {{"--png", png, words}, 1, reason(string_id::kChartNotAChartFile), {}},
        {{"--png", png, dir}, 1, dir + ": ", {}},   // a folder cannot be opened
        {{"--png", png, good, missing}, 3, reason(string_id::kChartNoSuchFile), png},
        {{"--png", png, good}, 0, good, png},
        {{"--csv", csv, "--from", "2007-03-14T10:01", "--to", "2007-03-14T10:01:30", good}, 0, {}, csv},
        {{"--from", "14.03.2007", good}, 2, "14.03.2007", {}},
        {{good}, 2, reason(string_id::kChartNoDisplay).left(10), {}},
    };
    for (const Case& c : cases) {
        QFile::remove(png);
        QFile::remove(csv);
        const ViewerRun r = viewer(c.args, dir);
        const QString& text = c.args.front() == "--help" || c.args.front() == "--version" ? r.out : r.err;
        SCOPED_TRACE(c.args.join(' ').toStdString() + "\n" + r.err.toStdString());
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(text.contains(c.says)) << c.says.toStdString();
        EXPECT_EQ(QFile::exists(png) || QFile::exists(csv), !c.writes.isEmpty());
    }
    // The skipped line is named with its file, number and reason; the CSV holds the span's one row.
    const ViewerRun r = viewer({"--png", png, good}, dir);
    EXPECT_TRUE(r.err.contains(good + QStringLiteral(", ")) && r.err.contains(QStringLiteral(" 3: "))) << r.err.toStdString();
    EXPECT_FALSE(QImage(png).isNull());
    viewer({"--csv", csv, "--from", "2007-03-14T10:01", "--to", "2007-03-14T10:01:30", good}, dir);
    QFile out(csv);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const QByteArray rows = out.readAll();
    EXPECT_TRUE(rows.contains("21.50")) << rows.constData();
    EXPECT_FALSE(rows.contains("20.50") || rows.contains("22.50")) << rows.constData();
}

}  // namespace
}  // namespace mr420
