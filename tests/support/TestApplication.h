#pragma once
// The one application object of a widget or socket test program (offscreen).
// Never destroyed: tearing it down after Qt's own statics crashes at exit.

#include <QApplication>

namespace mr420::test {

inline QApplication& app() {
    static int argc = 1;
    static char arg0[] = "test";
    static char* argv[] = {arg0, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}

}  // namespace mr420::test
