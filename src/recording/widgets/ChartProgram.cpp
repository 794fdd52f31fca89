#include "recording/widgets/ChartProgram.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include "base/StringTable.h"
#include "base/widgets/MessageBoxes.h"
#include "recording/ChartProgramSearch.h"

namespace mr420 {

ChartProgramPlaces currentChartProgramPlaces() {
    return {QCoreApplication::applicationDirPath(), QDir::currentPath(), qgetenv("PATH")};
}

bool startDetachedProgram(const QString& program) { return QProcess::startDetached(program, QStringList()); }

bool launchChartProgram(QWidget* parent, MessageBoxes& boxes, const ChartProgramPlaces& places,
                        const ProgramStarter& start) {
    const std::string found =
        findChartProgram(QFile::encodeName(places.programDir).toStdString(),
                         QFile::encodeName(places.currentDir).toStdString(), places.path.toStdString(),
                         isExecutableFile);
    if (!found.empty() && start && start(QFile::decodeName(QByteArray::fromStdString(found)))) return true;
    boxes.message(parent, QString::fromStdString(str(kMsgChartProgramMissing)));
    return false;
}

}  // namespace mr420
