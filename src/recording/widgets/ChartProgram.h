#pragma once
// Menu "Uruchom Vimo": starts the chart program, a separate executable, and
// does not wait for it.

#include <QByteArray>
#include <QString>

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

// Starts a program without arguments, detached; false when it did not start.
using ProgramStarter = std::function<bool(const QString& program)>;
bool startDetachedProgram(const QString& program);

// Finds "Vimo.exe" (program directory, current directory, PATH) and starts it
// without arguments. When it is not found or does not start: message 128 in
// a plain box. Returns whether it was started.
bool launchChartProgram(QWidget* parent, MessageBoxes& boxes,
                        const ChartProgramPlaces& places = currentChartProgramPlaces(),
                        const ProgramStarter& start = startDetachedProgram);

}  // namespace mr420
