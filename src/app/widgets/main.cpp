// The program mr420: settings, language, the main window, and what is written
// back at exit.

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/IniFile.h"
#include "settings/Settings.h"
#include "base/ProgramVersion.h"
#include "settings/SettingsLocation.h"
#include "app/widgets/LanguageDialog.h"
#include "base/widgets/MessageBoxes.h"
#include "app/widgets/Translation.h"
#include "base/StringTable.h"
#include "protocol/PanelConnection.h"
#include "app/widgets/MainWindow.h"
#include "recording/widgets/MemoryFeature.h"

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    // Only an async-signal-safe write; the UI thread does the rest.
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &c, 1);
}

void printHelp() {
    std::printf(
        "Usage: mr420 [--ini PATH] [--trace FILE] [/memdump | -memdump]\n"
        "Shows the live readings of an MR420 panel on a serial port and reads and\n"
        "writes its settings.\n\n"
        "  --ini PATH   settings file to use instead of ~/.config/mr420/mr420.ini\n"
        "  --trace FILE append every frame sent to the panel and every line\n"
        "               received, with the reason for each line refused, to FILE\n"
        "  /memdump     the memory read-out also writes __memdump.txt\n"
        "  --screenshot PATH\n"
        "               save a PNG picture of the window after --screenshot-after\n"
        "               seconds (default 14, past the settings-read period), then end\n"
        "  --help       this text\n"
        "  --version    the program's version\n\n"
        "LANGUAGE in [GENERAL] of the settings file chooses the language (pl, en);\n"
        "the English texts come from mr420_en.qm next to the program or in\n"
        "../share/mr420/. COM numbers name ports; [PORTS] COMn=/dev/... maps one to\n"
        "any device.\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    bool memoryDump = false;
    std::string screenshotPath;
    std::string tracePath;
    double screenshotAfter = 14;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            printHelp();
            return 0;
        }
        if (a == "--version") {
            std::printf("mr420 %s\n", mr420::programVersion().c_str());
            return 0;
        }
        if (a == "--ini") {
            ++i;  // its value is not a switch
            continue;
        }
        if (a == "--trace") {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "mr420: --trace needs a file name\n");
                return 1;
            }
            tracePath = args[++i];
            continue;
        }
        if (a == "--screenshot" && i + 1 < args.size()) {
            screenshotPath = args[++i];
            continue;
        }
        if (a == "--screenshot-after" && i + 1 < args.size()) {
            screenshotAfter = std::atof(args[++i].c_str());
            continue;
        }
        // The dump switch after a slash or a hyphen, exact case.
        if (a == "/memdump" || a == "-memdump") memoryDump = true;
    }

    QApplication app(argc, argv);
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("invalid.mr420.mr420"));
    // Numbers the program formats follow the user's locale (decimal comma
    // under Polish); Qt itself sets LC_ALL from the environment, this makes it explicit.
    std::setlocale(LC_ALL, "");

    // SIGTERM and SIGINT end the program like the close box, from any modal
    // state: before the window exists they end the start-up questions.
    mr420::MainWindow* openWindow = nullptr;
    bool terminated = false;
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        struct sigaction sa {};
        sa.sa_handler = onSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        sigaction(SIGTERM, &sa, nullptr);
        sigaction(SIGINT, &sa, nullptr);
    }
    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&openWindow, &terminated] {
        char buf[16];
        while (::read(signalPipe[0], buf, sizeof buf) > 0) {
        }
        terminated = true;
        if (openWindow) {
            openWindow->requestClose();
            return;
        }
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible()) d->done(QDialog::Rejected);
    });

    const std::string iniPath = mr420::iniPathFromArguments(args);
    mr420::ensureParentDirectory(iniPath);
    mr420::IniFile ini;
    const bool opened = ini.open(iniPath, /*saveWhenClosed=*/true, /*createIfMissing=*/true, /*caseBlind=*/true,
                                 /*backup=*/false);

    mr420::QtMessageBoxes boxes;
    // A file that holds something else is left as it is; the program runs
    // on its defaults and says so once.
    if (ini.notASettingsFile()) {
        const std::string text = mr420::str(mr420::string_id::kNotASettingsFile);
        boxes.show(nullptr, QString::fromStdString(text).replace(QStringLiteral("%s"), QString::fromStdString(iniPath)),
                   mr420::BoxButtons::Ok, mr420::BoxIcon::Warning);
    }

    std::string language = opened ? mr420::readLanguage(ini) : std::string();
    if (language.empty() && !terminated) mr420::setLanguage(language, mr420::askLanguage(0));
    if (terminated) return 0;   // nothing was changed yet

    // The program's texts, Qt's own buttons and choosers, and the calendar's
    // and print dialog's locale speak the program's language, whatever LANG
    // says; printf-style numbers keep the process locale set above.
    mr420::ProgramLanguage programLanguage(app, language, QCoreApplication::applicationDirPath());

    mr420::AppSettings settings = mr420::defaultSettings();
    mr420::readSettings(ini, settings);
    settings.language = language;
    const auto aliases = mr420::readPortAliases(ini);

    int result = 0;
    {
        mr420::MainWindow window(settings, aliases, boxes);
        window.memory().options().fullDump = memoryDump;
        if (!tracePath.empty() && !window.connection().startTrace(tracePath)) {
            std::fprintf(stderr, "mr420: cannot write the trace file %s: %s\n", tracePath.c_str(), std::strerror(errno));
            return 1;
        }
        openWindow = &window;

        if (!screenshotPath.empty()) {
            QTimer::singleShot(static_cast<int>(screenshotAfter * 1000), &window, [&window, &screenshotPath, &result] {
                if (!window.grab().save(QString::fromStdString(screenshotPath), "PNG")) {
                    std::fprintf(stderr, "mr420: cannot save %s\n", screenshotPath.c_str());
                    result = 1;
                }
                window.requestClose();
            });
        }

        window.initialise();
        // A termination signal during the start-up questions ends the program here.
        if (!window.closing()) window.exec();

        window.closePort();
        window.storeSettings(settings);
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QSize s = screen->size();
            mr420::correctWindowRect(settings, s.width(), s.height());
        }
        mr420::writeSettings(ini, settings);
        signal(SIGTERM, SIG_DFL);
        signal(SIGINT, SIG_DFL);
        openWindow = nullptr;
    }
    ini.close();
    return result;
}
