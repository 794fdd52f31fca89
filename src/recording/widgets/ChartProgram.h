#pragma once
// Menu "Uruchom Vimo": starts the chart program, a separate executable, and
// does not wait for it.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace mr420 {

class MessageBoxes;

// Where the chart program is looked for.
struct ChartProgramPlaces {
    QString programDir;   // the directory of this program
    QString currentDir;
    QByteArray path;      // the PATH variable
};

// This process's places: QCoreApplication::applicationDirPath(), the
// current directory, $PATH.
ChartProgramPlaces currentChartProgramPlaces();

// Starts a program with its arguments, detached; false when it did not start.
using ProgramStarter = std::function<bool(const QString& program, const QStringList& arguments)>;
bool startDetachedProgram(const QString& program, const QStringList& arguments);

// Finds mr420-chart (beside this program, then on PATH), else "Vimo.exe"
// (program directory, current directory, PATH), and starts it with the file
// last saved from the memory window when there is one and it still exists
// (Vimo.exe only with a ".qvg" file). When neither is found or it does not
// start: message 128 in a plain box. Returns whether it was started.
bool launchChartProgram(QWidget* parent, MessageBoxes& boxes,
                        const ChartProgramPlaces& places = currentChartProgramPlaces(),
                        const ProgramStarter& start = startDetachedProgram, const QString& lastSavedFile = {});

}  // namespace mr420
