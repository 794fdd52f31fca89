// mr420-shots: the pictures of the help pages. Runs the main window on the
// simulated panel behind a pseudo-terminal, in this process, opens every
// window the menus reach, waits until it is shown and filled, saves it as a
// PNG and closes it with Cancel. A menu entry whose window is not built yet
// (the entry is disabled) is skipped with a note. Then the main window and
// the memory windows on a panel with logged memory, and the main window of a
// panel that has stopped answering.

#include <QAbstractButton>
#include <QApplication>
#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "settings/Settings.h"
#include "app/widgets/LinkStatic.h"
#include "app/widgets/MainWindow.h"
#include "app/widgets/Translation.h"
#include "base/StringTable.h"
#include "base/widgets/MessageBoxes.h"
#include "base/widgets/WaitWindow.h"
#include "config/ConfigTable.h"
#include "config/widgets/ConfigDialog.h"
#include "config/widgets/ConfigFeature.h"
#include "link/widgets/PortDialog.h"
#include "protocol/PanelConnection.h"
#include "chart/widgets/ChartFeature.h"
#include "recording/widgets/MemoryDialog.h"
#include "recording/widgets/MemorySaveDialog.h"
#include "sim/PanelModel.h"
#include "sim/PtyPanel.h"
#include "sim/Scenarios.h"
#include "tools/mr420-shots/ShotPlan.h"

namespace {

using namespace mr420;

// Every box is noted on stderr and answered as Escape would answer it; with
// `real` on, the program's own box is shown (a picture is taken of it).
class ShotBoxes : public MessageBoxes {
public:
    bool real = false;
    BoxAnswer showBox(QWidget* parent, const BoxRequest& request) override {
        if (real) return qt_.showBox(parent, request);
        std::fprintf(stderr, "mr420-shots: message: %s\n", request.text.toUtf8().constData());
        return escapeAnswer(request);
    }

private:
    QtMessageBoxes qt_;
};

// Help and web links open nothing while pictures are taken.
class NoLinks : public LinkOpener {
public:
    int open(const QString&) override { return 33; }
};

void pumpFor(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool pumpUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// The main window on a simulated panel of a scenario, on port COM99.
struct PanelWindow {
    sim::Scenario scenario;
    std::unique_ptr<sim::PtyPanel> panel;
    AppSettings settings = defaultSettings();
    ShotBoxes boxes;
    NoLinks links;
    std::unique_ptr<MainWindow> window;
    bool connected = false;

    PanelWindow(const sim::Scenario& s, const std::string& language, const std::string& linkPath) : scenario(s) {
        panel = std::make_unique<sim::PtyPanel>(scenario.model, scenario.faults, linkPath);
        if (!panel->start()) {
            std::fprintf(stderr, "mr420-shots: the simulated panel does not start: %s\n", panel->lastError().c_str());
            return;
        }
        settings.portNr = 99;
        settings.showAdv = 0;
        settings.language = language;
        window = std::make_unique<MainWindow>(settings, std::map<int, std::string>{{99, panel->linkPath()}}, boxes);
        window->setLinkOpener(&links);
        window->initialise();
        window->show();
        connected = pumpUntil([&] { return window->connection().state().panelSerialNumber != 0; }, 15000);
    }
    ~PanelWindow() {
        if (window) {
            window->closePort();
            window.reset();
        }
        if (panel) panel->stop();
    }

    // Past the settings-read period, with values in the panes.
    bool settle() {
        QAction* registration = window->action(menu_id::kRegistration);
        const bool done = pumpUntil([&] { return registration && registration->isEnabled(); }, 30000);
        pumpFor(1500);
        return done;
    }
};

// One picture in a sequence: the window to look for, when it is ready, the
// file (none: no picture), and what happens after (default: Cancel).
struct Step {
    std::function<QWidget*()> find;
    std::function<bool(QWidget*)> ready;
    QString file;
    std::function<void(QWidget*)> after;
};

void closeWindow(QWidget* w) {
    if (auto* config = qobject_cast<ConfigDialog*>(w)) {
        config->cancelButton()->click();
    } else if (auto* dialog = qobject_cast<QDialog*>(w)) {
        dialog->reject();
    } else {
        w->close();
    }
}

class Shooter {
public:
    explicit Shooter(QString outDir) : dir_(std::move(outDir)) {}

    bool save(QWidget* w, const QString& file) {
        const QString path = QDir(dir_).filePath(file);
        if (!w->grab().save(path, "PNG")) {
            std::fprintf(stderr, "mr420-shots: cannot write %s\n", path.toUtf8().constData());
            ++failures_;
            return false;
        }
        std::fprintf(stderr, "mr420-shots: %s\n", path.toUtf8().constData());
        ++saved_;
        return true;
    }

    // Runs `start`, which returns once the window it opens has closed, while
    // a timer works through the steps. A step that is not ready within
    // `timeoutMs` ends the sequence: the open windows are cancelled.
    void run(const std::function<void()>& start, std::vector<Step> steps, int timeoutMs = 20000) {
        std::size_t next = 0;
        qint64 readySince = -1;
        bool gaveUp = false;
        QElapsedTimer clock;
        clock.start();
        QTimer poll;
        poll.setInterval(25);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (gaveUp) {
                if (QWidget* w = QApplication::activeModalWidget(); w && w != main_) closeWindow(w);
                return;
            }
            if (next >= steps.size()) return;
            Step& s = steps[next];
            QWidget* w = s.find();
            if (!w || !w->isVisible() || (s.ready && !s.ready(w))) {
                readySince = -1;
                if (clock.elapsed() > timeoutMs) {
                    std::fprintf(stderr, "mr420-shots: %s: the window was not ready in time\n",
                                 s.file.isEmpty() ? "(closing)" : s.file.toUtf8().constData());
                    ++failures_;
                    gaveUp = true;
                }
                return;
            }
            // Shown and filled: let it lay itself out and paint once more.
            if (readySince < 0) readySince = clock.elapsed();
            if (clock.elapsed() - readySince < 400) return;
            if (!s.file.isEmpty()) save(w, s.file);
            readySince = -1;
            ++next;
            clock.restart();
            if (s.after) {
                s.after(w);
            } else {
                closeWindow(w);
            }
        });
        poll.start();
        start();
        poll.stop();
        if (!gaveUp && next < steps.size()) {
            std::fprintf(stderr, "mr420-shots: %s: the window closed before its picture\n",
                         steps[next].file.toUtf8().constData());
            ++failures_;
        }
        pumpFor(300);
    }

    void setMainWindow(QWidget* main) { main_ = main; }
    // The modal window above the main window, not a wait window.
    QWidget* modalWindow() const {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w == main_ || qobject_cast<PortSearchWindow*>(w) || qobject_cast<WaitWindow*>(w)) return nullptr;
        return w;
    }

    int saved() const { return saved_; }
    int failures() const { return failures_; }

private:
    QString dir_;
    QWidget* main_ = nullptr;
    int saved_ = 0;
    int failures_ = 0;
};

// Triggers a menu entry (it returns when its window has closed). A disabled
// or missing entry is noted and nothing happens.
std::function<void()> trigger(MainWindow& window, int menuId) {
    return [&window, menuId] {
        QAction* a = window.action(menuId);
        if (a && a->isEnabled()) a->trigger();
    };
}

bool entryEnabled(MainWindow& window, int menuId) {
    QAction* a = window.action(menuId);
    return a && a->isEnabled();
}

void menuShots(PanelWindow& pw, Shooter& shooter) {
    MainWindow& window = *pw.window;
    for (const shots::MenuShot& shot : shots::menuShots()) {
        if (!entryEnabled(window, shot.menuId)) {
            std::fprintf(stderr, "mr420-shots: %s skipped: the menu entry \"%s\" is disabled (not built yet)\n",
                         shot.file, withoutMnemonic(menuText(shot.menuId)).c_str());
            continue;
        }
        Step step;
        const ConfigSpec* spec = configSpecForMenu(shot.menuId);
        if (spec && window.config().offers(shot.menuId)) {
            ConfigDialog* dialog = &window.config().dialog(spec->kind);
            step.find = [dialog] { return static_cast<QWidget*>(dialog); };
            step.ready = [dialog](QWidget*) { return !dialog->waitingForSettings(); };
        } else {
            step.find = [&shooter] { return shooter.modalWindow(); };
            // The port choice first shows the search window, which modalWindow() passes over.
            if (shot.menuId == menu_id::kSerialPort) {
                step.ready = [](QWidget* w) { return qobject_cast<PortDialog*>(w) != nullptr; };
                // The list as a computer with a built-in port and a USB adapter named in [PORTS]
                // shows it, rather than this run's temporary link.
                window.setPortEntrySource([] {
                    return std::vector<std::string>{
                        "COM1", "COM33 (FT232R USB UART)",
                        "COM99 (/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K1234-if00-port0)"};
                });
            }
        }
        step.file = QString::fromLatin1(shot.file);
        shooter.run(trigger(window, shot.menuId), {step});
    }
}

// The chart window on screen, if any.
QWidget* chartWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<ChartWindow*>(w) && w->isVisible()) return w;
    return nullptr;
}

// The live chart after some seconds of readings.
void liveChartShot(PanelWindow& pw, Shooter& shooter) {
    if (!entryEnabled(*pw.window, menu_id::kChart)) {
        std::fprintf(stderr, "mr420-shots: %s skipped: the chart entry is disabled\n", shots::kChartLive);
        return;
    }
    trigger(*pw.window, menu_id::kChart)();
    pumpFor(2500);
    if (QWidget* w = chartWindow()) {
        shooter.save(w, QString::fromLatin1(shots::kChartLive));
        w->close();
    } else {
        std::fprintf(stderr, "mr420-shots: %s: the chart window did not open\n", shots::kChartLive);
    }
}

void memoryShots(PanelWindow& pw, Shooter& shooter) {
    MainWindow& window = *pw.window;
    auto modal = [&shooter] { return shooter.modalWindow(); };
    auto memoryDecoded = [](QWidget* w) {
        auto* d = qobject_cast<MemoryDialog*>(w);
        return d && d->saveButton()->isVisible() && d->saveButton()->isEnabled();
    };
    if (entryEnabled(window, menu_id::kMemoryRead)) {
        std::vector<Step> steps;
        // The list; then "Zapisz jako" (queued: it runs a modal loop of its own).
        // The list, then its chart (a window of its own, not modal).
        steps.push_back({modal, memoryDecoded, QString::fromLatin1(shots::kMemory), [](QWidget* w) {
                             QPushButton* chart = static_cast<MemoryDialog*>(w)->chartButton();
                             QTimer::singleShot(0, chart, &QPushButton::click);
                         }});
        steps.push_back({chartWindow, {}, QString::fromLatin1(shots::kChartMemory), {}});
        steps.push_back({modal, memoryDecoded, QString(), [](QWidget* w) {
                             QPushButton* save = static_cast<MemoryDialog*>(w)->saveButton();
                             QTimer::singleShot(0, save, &QPushButton::click);
                         }});
        steps.push_back({modal, [](QWidget* w) { return qobject_cast<MemorySaveDialog*>(w) != nullptr; },
                         QString::fromLatin1(shots::kMemorySave), {}});
        steps.push_back({modal, memoryDecoded, QString(), {}});
        shooter.run(trigger(window, menu_id::kMemoryRead), steps, 60000);
    } else {
        std::fprintf(stderr, "mr420-shots: %s skipped: the memory read-out entry is disabled\n", shots::kMemory);
    }
    if (entryEnabled(window, menu_id::kMemoryErase)) {
        // The program's own confirmation, answered with No: nothing is erased.
        pw.boxes.real = true;
        shooter.run(trigger(window, menu_id::kMemoryErase),
                    {{modal, [](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; },
                      QString::fromLatin1(shots::kMemoryErase), {}}});
        pw.boxes.real = false;
    }
}

void printHelp() {
    std::printf(
        "Usage: mr420-shots [--lang pl|en] [--out DIR] [--scenario NAME]\n"
        "Takes the pictures of the help pages: the main window and every window its\n"
        "menus open, on the simulated panel, in this process.\n\n"
        "  --lang pl|en     the program's language (default pl; en loads mr420_en.qm\n"
        "                   next to this program, as the program does)\n"
        "  --out DIR        where the PNG files go (default docs/help/images/<lang>\n"
        "                   of the source tree)\n"
        "  --scenario NAME  the simulated panel of the main run (default %s);\n"
        "                   the memory pictures always use the scenario %s\n\n"
        "Run it under a display, for example: xvfb-run -a mr420-shots --lang en\n",
        std::string(shots::kDefaultScenario).c_str(), std::string(shots::kMemoryScenario).c_str());
}

std::optional<sim::Scenario> scenarioNamed(const std::string& name) {
    auto s = sim::makeScenario(name, sim::panelSecondsNow());
    if (!s) std::fprintf(stderr, "mr420-shots: unknown scenario %s\n", name.c_str());
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    const shots::ParsedOptions parsed = shots::parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::fprintf(stderr, "mr420-shots: %s\n", parsed.error.c_str());
        return 1;
    }
    const shots::Options& options = *parsed.options;
    if (options.help) {
        printHelp();
        return 0;
    }
    const std::string outDir =
        options.outDir.empty() ? std::string(MR420_SOURCE_DIR) + "/docs/help/images/" + options.language : options.outDir;
    if (!QDir().mkpath(QString::fromStdString(outDir))) {
        std::fprintf(stderr, "mr420-shots: cannot make %s\n", outDir.c_str());
        return 1;
    }

    // The data server's socket and the panel's link go to a folder of our own.
    QTemporaryDir work;
    if (!work.isValid()) {
        std::fprintf(stderr, "mr420-shots: no temporary folder\n");
        return 1;
    }
    qputenv("XDG_RUNTIME_DIR", work.path().toLocal8Bit());

    QApplication app(argc, argv);
    // Numbers, dates and Qt's own texts as a user of that language sees them.
    const bool english = options.language == "en";
    if (!std::setlocale(LC_ALL, english ? "C.UTF-8" : "pl_PL.UTF-8")) std::setlocale(LC_ALL, "");
    QLocale::setDefault(english ? QLocale(QLocale::English, QLocale::UnitedKingdom)
                                : QLocale(QLocale::Polish, QLocale::Poland));
    QTranslator translator;
    QTranslator qtTranslator;
    if (english &&
        !installTranslation(app, translator, QStringLiteral("en"), QCoreApplication::applicationDirPath())) {
        std::fprintf(stderr, "mr420-shots: mr420_en.qm not found next to this program (build mr420_translations)\n");
        return 1;
    }
    installQtTranslation(app, qtTranslator, QString::fromStdString(options.language));

    Shooter shooter(QString::fromStdString(outDir));
    const std::string link = work.filePath(QStringLiteral("ttyMR420")).toStdString();

    // The main run: the main window and every window of the menus.
    {
        auto scenario = scenarioNamed(options.scenario);
        if (!scenario) return 1;
        PanelWindow pw(*scenario, options.language, link);
        if (!pw.window || !pw.connected) {
            std::fprintf(stderr, "mr420-shots: the main window did not connect to the simulated panel\n");
            return 1;
        }
        shooter.setMainWindow(pw.window.get());
        if (!pw.settle()) std::fprintf(stderr, "mr420-shots: the settings-read period did not end\n");
        shooter.save(pw.window.get(), QString::fromLatin1(shots::kMainWindow));
        menuShots(pw, shooter);
    }
    pumpFor(300);

    // A panel with logged memory; then the same panel silent.
    {
        auto scenario = scenarioNamed(std::string(shots::kMemoryScenario));
        if (!scenario) return 1;
        PanelWindow pw(*scenario, options.language, link);
        if (!pw.window || !pw.connected) {
            std::fprintf(stderr, "mr420-shots: the main window did not connect to the memory panel\n");
            return 1;
        }
        shooter.setMainWindow(pw.window.get());
        pw.settle();
        shooter.save(pw.window.get(), QString::fromLatin1(shots::kMainWindowMemory));
        liveChartShot(pw, shooter);
        memoryShots(pw, shooter);

        pw.panel->silenceFor(3600);
        const std::string noCommunication = str(string_id::kStatusNoCommunication);
        const bool lost = pumpUntil(
            [&] { return pw.window->statusField()->text().startsWith(QString::fromStdString(noCommunication).trimmed()); },
            60000);
        if (!lost) std::fprintf(stderr, "mr420-shots: the status line never reported the lost communication\n");
        pumpFor(600);   // the blinking "???" in its visible phase or not: either is what the user sees
        shooter.save(pw.window.get(), QString::fromLatin1(shots::kMainWindowNoCommunication));
    }

    std::fprintf(stderr, "mr420-shots: %d pictures in %s, %d problems\n", shooter.saved(), outDir.c_str(),
                 shooter.failures());
    removeTranslation(app, translator);
    return shooter.failures() == 0 ? 0 : 2;
}
