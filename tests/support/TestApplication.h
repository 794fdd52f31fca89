#pragma once
// The one application object of a widget or socket test program (offscreen).
// Never destroyed: tearing it down after Qt's own statics crashes at exit.

#include <QApplication>
#include <QElapsedTimer>

#include <functional>

namespace mr420::test {

inline QApplication& app() {
    static int argc = 1;
    static char arg0[] = "test";
    static char* argv[] = {arg0, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}

// Handles events for `ms` milliseconds.
inline void pumpFor(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Handles events until `done` holds or `ms` milliseconds have passed;
// returns what `done` says last.
inline bool pumpUntil(const std::function<bool()>& done, int ms = 3000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

}  // namespace mr420::test
