#include "recording/widgets/ChartProgram.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include "base/StringTable.h"
#include "base/widgets/MessageBoxes.h"
#include "recording/ChartProgramSearch.h"

namespace mr420 {

ChartProgramPlaces currentChartProgramPlaces() {
    return {QCoreApplication::applicationDirPath(), QDir::currentPath(), qgetenv("PATH")};
}

bool startDetachedProgram(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

bool launchChartProgram(QWidget* parent, MessageBoxes& boxes, const ChartProgramPlaces& places,
                        const ProgramStarter& start, const QString& lastSavedFile) {
    auto local = [](const QString& text) { return QFile::encodeName(text).toStdString(); };
    auto shown = [](const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); };
    // A file deleted since it was saved is not handed on.
    const QString saved = !lastSavedFile.isEmpty() && QFileInfo(lastSavedFile).isFile() ? lastSavedFile : QString();
    const ChartProgramStart found = chartProgramToStart(local(places.programDir), local(places.currentDir),
                                                        places.path.toStdString(), local(saved), isExecutableFile);
    QStringList arguments;
    for (const std::string& a : found.arguments) arguments << shown(a);
    if (!found.program.empty() && start && start(shown(found.program), arguments)) return true;
    boxes.message(parent, QString::fromStdString(str(kMsgChartProgramMissing)));
    return false;
}

}  // namespace mr420
